// The private-profile engine: "[section]" headers and key=value entries,
// read by section and key, and rewritten by edits that are all checked
// before the file is replaced once.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xp/xp.h"
#include "xp/xp_internal.h"

using xp_internal::same_text;
using xp_internal::trimmed;

namespace {

using xp_internal::profile_edit;
using xp_internal::profile_entry;
using xp_internal::profile_line;

// Only this much of a line is interpreted; the rest of a longer line goes
// along with it uninterpreted, so no reader can overrun and no writer cuts it.
const size_t LINE_LIMIT = 255;
const char* const BLANKS = " \t\r\n\f\v";

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
        bool bad = raw.find('\0') != std::string_view::npos;
        lines.push_back({raw, bad ? std::string_view() : text.substr(0, LINE_LIMIT), text.size() <= LINE_LIMIT, bad});
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
        if (!replaced && has_key(line.text, *edit.key)) {
            replaced = true;
            if (edit.value)
                out.put_entry(*edit.key, *edit.value);
        } else {
            out.copy(line);
        }
    }
    if (replaced || !edit.value) {
        flush_blanks();
        return replaced;
    }
    out.put_entry(*edit.key, *edit.value);
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
        if (has_key(line.text, *edit.key) &&
            same_text(trimmed(entry_value(line.text)), trimmed(*edit.value))) {
            for (; i < end; ++i)
                out.copy(lines[i]);
            return;
        }
        if (!trimmed(line.text).empty() || line.bad)
            out.copy(line);
    }
    out.put_entry(*edit.key, *edit.value);
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
        if (edit.key) {
            out.put_header(line, name);
            if (edit.append)
                append_in_section(lines, i + 1, end, edit, out);
            else
                entry_found = write_in_section(lines, i + 1, end, edit, out);
        }
        i = end;
    }
    bool deleting = !edit.key || !edit.value;
    if (deleting && !(edit.key ? entry_found : section_found))
        return contents;
    if (!section_found && !deleting) {
        out.end_open_line();
        out.put("");
        out.put_header(edit.section);
        out.put_entry(*edit.key, *edit.value);
        out.put("");
    }
    return std::move(out.text());
}

// True when text may go into the file: none of the characters in reserved,
// which would make it read back differently (a line end, "=" in a key), and
// no NUL, which would make its line a bad one.
bool writable_text(const std::optional<std::string>& text, std::string_view reserved)
{
    return !text || (text->find_first_of(reserved) == std::string::npos && text->find('\0') == std::string::npos);
}

// True when edit writes what a reader will find again: a section name, a
// key that cannot pass for a header, and for appends both key and value.
bool acceptable_edit(const profile_edit& edit)
{
    if (edit.section.empty() || !writable_text(edit.section, "]\r\n") || !writable_text(edit.key, "=\r\n") ||
        !writable_text(edit.value, "\r\n"))
        return false;
    if (edit.key && (trimmed(*edit.key).empty() || trimmed(*edit.key)[0] == '['))
        return false;
    return !edit.append || (edit.key && edit.value);
}

// The section, key and value of a public call as an edit; null stands for
// none. False (the call is refused) when the section is null.
bool edit_of(const char* section, const char* key, const char* value, bool append, profile_edit* edit)
{
    if (section == nullptr)
        return false;
    edit->section = section;
    if (key != nullptr)
        edit->key = key;
    if (value != nullptr)
        edit->value = value;
    edit->append = append;
    return true;
}

// One edit of a public call; a null section is refused like a bad value.
int update_profile(const char* function, const char* section, const char* key, const char* value,
                   bool append, const char* file)
{
    profile_edit edit;
    if (!edit_of(section, key, value, append, &edit)) {
        XpError(eIllegalArg, function);
        return 0;
    }
    return xp_internal::edit_profile(function, {edit}, file);
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

std::string folded(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool profile::read(const char* function, const char* file)
{
    sections_.clear();
    bad_line_ = 0;
    if (file == nullptr || !read_whole_file(file, &contents_))
        return false;
    lines_ = split_lines(contents_);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].bad && bad_line_ == 0)
            bad_line_ = i + 1;
        if (is_header(lines_[i].text))
            sections_.emplace(folded(header_name(lines_[i].text)), i + 1);
    }
    if (bad_line_ != 0)
        XpError(eBadLine, function, static_cast<int>(bad_line_), file);
    return true;
}

std::vector<profile_entry> profile::section(std::string_view name) const
{
    std::vector<profile_entry> entries;
    auto found = sections_.find(folded(name));
    if (found == sections_.end())
        return entries;
    for (size_t i = found->second; i < lines_.size() && !is_header(lines_[i].text); ++i)
        if (!trimmed(lines_[i].text).empty())
            entries.push_back({trimmed(lines_[i].text), i + 1});
    return entries;
}

std::optional<std::string_view> profile::value(std::string_view section, std::string_view key) const
{
    auto found = sections_.find(folded(section));
    if (found == sections_.end())
        return std::nullopt;
    for (size_t i = found->second; i < lines_.size() && !is_header(lines_[i].text); ++i)
        if (has_key(lines_[i].text, key))
            return entry_value(lines_[i].text);
    return std::nullopt;
}

// Checks every edit before the file is read, so that a refused one changes
// nothing; the edits then go one after another over the text in memory.
int edit_profile(const char* function, const std::vector<profile_edit>& edits, const char* file)
{
    if (file == nullptr || !std::all_of(edits.begin(), edits.end(), acceptable_edit)) {
        XpError(eIllegalArg, function);
        return 0;
    }
    std::string contents;
    if (!read_whole_file(file, &contents)) {
        XpError(eOpenFile, function, file);
        return 0;
    }
    std::string edited = contents;
    for (const profile_edit& edit : edits)
        edited = edited_profile(edited, edit);
    return replace_file_contents(function, file, contents, edited);
}

}  // namespace xp_internal

int _XpGetPrivateProfileString(const char* section, const char* key, const char* default_value,
                               char* buffer, int size, const char* file)
{
    std::string_view value = default_value == nullptr ? "" : default_value;
    xp_internal::profile defaults;
    bool readable = defaults.read("_XpGetPrivateProfileString", file);
    if (readable && section != nullptr && key != nullptr)
        value = defaults.value(section, key).value_or(value);
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
    int ignored_count;
    if (count == nullptr)
        count = &ignored_count;
    *count = 0;
    xp_internal::profile defaults;
    if (!defaults.read("_XpGetPrivateProfileSection", file))
        return nullptr;
    std::vector<profile_entry> entries;
    if (section != nullptr)
        entries = defaults.section(section);
    std::unique_ptr<std::string[]> result(new std::string[entries.size()]);
    for (size_t i = 0; i < entries.size(); ++i)
        result[i] = entries[i].text;
    *count = static_cast<int>(entries.size());
    return result;
}

int _XpWritePrivateProfileString(const char* section, const char* key, const char* value,
                                 const char* file)
{
    return update_profile("_XpWritePrivateProfileString", section, key, value, false, file);
}

int _XpAppendPrivateProfileString(const char* section, const char* key, const char* value,
                                  const char* file)
{
    return update_profile("_XpAppendPrivateProfileString", section, key, value, true, file);
}

int XpDeleteSection(const char* section, const char* file)
{
    return update_profile("XpDeleteSection", section, nullptr, nullptr, false, file);
}

int XpDeleteSectionEntry(const char* section, const char* key, const char* file)
{
    if (key == nullptr) {
        XpError(eIllegalArg, "XpDeleteSectionEntry");
        return 0;
    }
    return update_profile("XpDeleteSectionEntry", section, key, nullptr, false, file);
}
