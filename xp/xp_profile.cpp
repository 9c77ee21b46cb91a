// The private-profile engine: "[section]" headers and key=value entries,
// read by section and key, and rewritten one entry or section at a time.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xp/xp.h"
#include "xp/xp_internal.h"

using xp_internal::same_text;
using xp_internal::trimmed;

namespace {

// Only this much of a line is interpreted; the rest of a longer line goes
// along with it uninterpreted, so no reader can overrun and no writer cuts it.
const size_t LINE_LIMIT = 255;
const char* const BLANKS = " \t\r\n\f\v";

// One line of the file: raw with its line end, as it is copied; text
// without the line end (and a CR before it), cut to LINE_LIMIT, as it is
// read; whole when nothing was cut.
struct profile_line {
    std::string_view raw;
    std::string_view text;
    bool whole;
};

std::vector<profile_line> split_lines(std::string_view contents)
{
    std::vector<profile_line> lines;
    while (!contents.empty()) {
        size_t newline = contents.find('\n');
        size_t length = newline == std::string_view::npos ? contents.size() : newline + 1;
        std::string_view raw = contents.substr(0, length);
        std::string_view text = raw;
        if (!text.empty() && text.back() == '\n')
            text.remove_suffix(1);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        lines.push_back({raw, text.substr(0, LINE_LIMIT), text.size() <= LINE_LIMIT});
        contents.remove_prefix(length);
    }
    return lines;
}

// A header is a line whose first non-blank character is "[".
bool is_header(std::string_view text)
{
    size_t first = text.find_first_not_of(BLANKS);
    return first != std::string_view::npos && text[first] == '[';
}

// The text after "[" up to "]" (or to the end when "]" is missing).
std::string_view header_name(std::string_view text)
{
    std::string_view name = text.substr(text.find('[') + 1);
    return name.substr(0, name.find(']'));
}

// True when the line is an entry (has "=") whose key, blanks aside, is key.
bool has_key(std::string_view text, std::string_view key)
{
    size_t equals = text.find('=');
    return equals != std::string_view::npos && same_text(trimmed(text.substr(0, equals)), trimmed(key));
}

// The text after the first "=", unchanged.
std::string_view entry_value(std::string_view text)
{
    return text.substr(text.find('=') + 1);
}

// Index of the first line after the section that starts at begin: the next
// header or the end.
size_t section_end(const std::vector<profile_line>& lines, size_t begin)
{
    while (begin < lines.size() && !is_header(lines[begin].text))
        ++begin;
    return begin;
}

// Index of the first line of section (after its header), or npos.
size_t section_start(const std::vector<profile_line>& lines, std::string_view section)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (is_header(lines[i].text) && same_text(header_name(lines[i].text), section))
            return i + 1;
    return std::string_view::npos;
}

// The new contents being built. Lines it makes end as the file's first line
// does (CRLF files stay CRLF); a copied last line without a line end gets one
// before anything is added after it.
class profile_output {
public:
    explicit profile_output(const std::vector<profile_line>& lines)
        : newline_(!lines.empty() && lines[0].raw.size() >= 2 &&
                           lines[0].raw.substr(lines[0].raw.size() - 2) == "\r\n"
                       ? "\r\n"
                       : "\n")
    {
    }
    void copy(const profile_line& line) { text_ += line.raw; }
    void put(std::string_view line)
    {
        end_open_line();
        text_ += line;
        text_ += newline_;
    }
    void put_header(std::string_view name) { put("[" + std::string(name) + "]"); }
    // A header line read whole is rewritten as "[" name "]"; a longer one,
    // never fully read, is copied as it is.
    void put_header(const profile_line& line, std::string_view name)
    {
        if (line.whole)
            put_header(name);
        else
            copy(line);
    }
    void put_entry(std::string_view key, std::string_view value)
    {
        put(std::string(key) + "=" + std::string(value));
    }
    void end_open_line()
    {
        if (!text_.empty() && text_.back() != '\n')
            text_ += newline_;
    }
    std::string& text() { return text_; }

private:
    const char* newline_;
    std::string text_;
};

// What one rewrite does: key null deletes the section, value null the entry;
// append adds an entry instead of replacing one.
struct profile_edit {
    const char* section;
    const char* key;
    const char* value;
    bool append;
};

// Copies the section's lines [begin, end) with the key's first entry replaced
// or dropped (returns whether there was one); a new entry goes after the last
// non-empty line, followed by exactly one empty line when a header follows.
bool write_in_section(const std::vector<profile_line>& lines, size_t begin, size_t end,
                      const profile_edit& edit, profile_output& out)
{
    std::vector<const profile_line*> held_blanks;
    auto flush_blanks = [&]() {
        for (const profile_line* blank : held_blanks)
            out.copy(*blank);
        held_blanks.clear();
    };
    bool replaced = false;
    for (size_t i = begin; i < end; ++i) {
        const profile_line& line = lines[i];
        if (trimmed(line.text).empty()) {
            held_blanks.push_back(&line);
            continue;
        }
        flush_blanks();
        if (!replaced && has_key(line.text, edit.key)) {
            replaced = true;
            if (edit.value != nullptr)
                out.put_entry(edit.key, edit.value);
        } else {
            out.copy(line);
        }
    }
    if (replaced || edit.value == nullptr) {
        flush_blanks();
        return replaced;
    }
    out.put_entry(edit.key, edit.value);
    if (end < lines.size())
        out.put("");
    else
        flush_blanks();
    return false;
}

// Copies the section's lines [begin, end) without its empty lines and adds
// the entry at its end, unless that very entry (key and value, ignoring
// case) is there: then that line and the rest are copied unchanged.
void append_in_section(const std::vector<profile_line>& lines, size_t begin, size_t end,
                       const profile_edit& edit, profile_output& out)
{
    for (size_t i = begin; i < end; ++i) {
        const profile_line& line = lines[i];
        if (has_key(line.text, edit.key) &&
            same_text(trimmed(entry_value(line.text)), trimmed(edit.value))) {
            for (; i < end; ++i)
                out.copy(lines[i]);
            return;
        }
        if (!trimmed(line.text).empty())
            out.copy(line);
    }
    out.put_entry(edit.key, edit.value);
    if (end < lines.size())
        out.put("");
}

// The contents after edit: other lines copied, headers rewritten as "[" name
// "]"; only the first section of that name is edited. Deleting what is not
// there gives the contents back unchanged.
std::string edited_profile(const std::string& contents, const profile_edit& edit)
{
    std::vector<profile_line> lines = split_lines(contents);
    profile_output out(lines);
    bool section_found = false;
    bool entry_found = false;
    size_t i = 0;
    while (i < lines.size()) {
        const profile_line& line = lines[i];
        if (!is_header(line.text)) {
            out.copy(line);
            ++i;
            continue;
        }
        std::string_view name = header_name(line.text);
        if (section_found || !same_text(name, edit.section)) {
            out.put_header(line, name);
            ++i;
            continue;
        }
        section_found = true;
        size_t end = section_end(lines, i + 1);
        if (edit.key != nullptr) {
            out.put_header(line, name);
            if (edit.append)
                append_in_section(lines, i + 1, end, edit, out);
            else
                entry_found = write_in_section(lines, i + 1, end, edit, out);
        }
        i = end;
    }
    bool deleting = edit.key == nullptr || edit.value == nullptr;
    if (deleting && !(edit.key == nullptr ? section_found : entry_found))
        return contents;
    if (!section_found && !deleting) {
        out.end_open_line();
        out.put("");
        out.put_header(edit.section);
        out.put_entry(edit.key, edit.value);
        out.put("");
    }
    return std::move(out.text());
}

// True when text may go into the file: none of the characters in reserved,
// which would make it read back differently (a line end, "=" in a key).
bool writable_text(const char* text, const char* reserved)
{
    return text == nullptr || std::strpbrk(text, reserved) == nullptr;
}

// True when edit writes what a reader will find again: a section name, a
// key that cannot pass for a header, and for appends both key and value.
bool acceptable_edit(const profile_edit& edit)
{
    if (edit.section == nullptr || !writable_text(edit.section, "]\r\n") ||
        !writable_text(edit.key, "=\r\n") || !writable_text(edit.value, "\r\n"))
        return false;
    if (edit.key != nullptr && (trimmed(edit.key).empty() || trimmed(edit.key)[0] == '['))
        return false;
    return !edit.append || (edit.key != nullptr && edit.value != nullptr);
}

// Reads file, applies edit and replaces the file with the result. Reports as
// function; 1 ok, 0 failed.
int update_profile(const char* function, const profile_edit& edit, const char* file)
{
    if (file == nullptr || !acceptable_edit(edit)) {
        XpError(eIllegalArg, function);
        return 0;
    }
    std::string contents;
    if (!xp_internal::read_whole_file(file, &contents)) {
        XpError(eOpenFile, function, file);
        return 0;
    }
    return xp_internal::replace_file_contents(function, file, contents, edited_profile(contents, edit));
}

// The file's lines, false when it cannot be read.
bool read_lines(const char* file, std::string* contents, std::vector<profile_line>* lines)
{
    if (file == nullptr || !xp_internal::read_whole_file(file, contents))
        return false;
    *lines = split_lines(*contents);
    return true;
}

}  // namespace

namespace xp_internal {

bool same_text(std::string_view a, std::string_view b)
{
    // An empty view may hold no pointer at all, which strncasecmp must not get.
    return a.size() == b.size() && (a.empty() || strncasecmp(a.data(), b.data(), a.size()) == 0);
}

std::string_view trimmed(std::string_view text)
{
    size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

}  // namespace xp_internal

int _XpGetPrivateProfileString(const char* section, const char* key, const char* default_value,
                               char* buffer, int size, const char* file)
{
    std::string_view value = default_value == nullptr ? "" : default_value;
    std::string contents;
    std::vector<profile_line> lines;
    bool readable = read_lines(file, &contents, &lines);
    if (readable && section != nullptr && key != nullptr) {
        size_t begin = section_start(lines, section);
        size_t end = begin == std::string_view::npos ? begin : section_end(lines, begin);
        for (size_t i = begin; i < end; ++i)
            if (has_key(lines[i].text, key)) {
                value = entry_value(lines[i].text);
                break;
            }
    }
    if (buffer == nullptr || size <= 0)
        return 0;
    size_t length = std::min(value.size(), static_cast<size_t>(size) - 1);
    value.copy(buffer, length);
    buffer[length] = '\0';
    return readable ? static_cast<int>(std::strlen(buffer)) : 0;
}

std::unique_ptr<std::string[]> _XpGetPrivateProfileSection(const char* section, int* count,
                                                           const char* file)
{
    std::string contents;
    std::vector<profile_line> lines;
    int ignored_count;
    if (count == nullptr)
        count = &ignored_count;
    *count = 0;
    if (!read_lines(file, &contents, &lines))
        return nullptr;
    std::vector<std::string_view> entries;
    size_t begin = section == nullptr ? std::string_view::npos : section_start(lines, section);
    size_t end = begin == std::string_view::npos ? begin : section_end(lines, begin);
    for (size_t i = begin; i < end; ++i)
        if (!trimmed(lines[i].text).empty())
            entries.push_back(trimmed(lines[i].text));
    std::unique_ptr<std::string[]> result(new std::string[entries.size()]);
    for (size_t i = 0; i < entries.size(); ++i)
        result[i] = entries[i];
    *count = static_cast<int>(entries.size());
    return result;
}

int _XpWritePrivateProfileString(const char* section, const char* key, const char* value,
                                 const char* file)
{
    return update_profile("_XpWritePrivateProfileString",
                          {section, key, value, false}, file);
}

int _XpAppendPrivateProfileString(const char* section, const char* key, const char* value,
                                  const char* file)
{
    return update_profile("_XpAppendPrivateProfileString",
                          {section, key, value, true}, file);
}

int XpDeleteSection(const char* section, const char* file)
{
    return update_profile("XpDeleteSection",
                          {section, nullptr, nullptr, false}, file);
}

int XpDeleteSectionEntry(const char* section, const char* key, const char* file)
{
    if (key == nullptr) {
        XpError(eIllegalArg, "XpDeleteSectionEntry");
        return 0;
    }
    return update_profile("XpDeleteSectionEntry",
                          {section, key, nullptr, false}, file);
}
