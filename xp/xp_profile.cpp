// The private-profile engine: "[section]" headers and key=value entries,
// read by section and key, and rewritten by edits that are all checked
// before the file is replaced once.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <iterator>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
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

// The line raw (with its line end) as it is read.
profile_line line_of(std::string_view raw)
{
    std::string_view text = raw;
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    bool bad = raw.find('\0') != std::string_view::npos;
    return {raw, bad ? std::string_view() : text.substr(0, LINE_LIMIT), text.size() <= LINE_LIMIT, bad};
}

std::vector<profile_line> split_lines(std::string_view contents)
{
    std::vector<profile_line> lines;
    while (!contents.empty()) {
        size_t newline = contents.find('\n');
        size_t length = newline == std::string_view::npos ? contents.size() : newline + 1;
        lines.push_back(line_of(contents.substr(0, length)));
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

// True when the line holds nothing but blanks, for a writer; a bad line
// counts as empty too, as its text is empty.
bool is_blank(const profile_line& line)
{
    return trimmed(line.text).empty();
}

// True when an append drops the line: empty and not bad.
bool is_droppable(const profile_line& line)
{
    return is_blank(line) && !line.bad;
}

// The index keys of an entry: its key folded, and key "=" value folded;
// false for a line without "=". Keys are equal exactly when has_key and
// a trimmed value equal ignoring case would match the two.
bool entry_keys(std::string_view text, std::string* key, std::string* key_and_value)
{
    size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return false;
    *key = xp_internal::folded(trimmed(text.substr(0, equals)));
    *key_and_value = *key + "=" + xp_internal::folded(trimmed(text.substr(equals + 1)));
    return true;
}

// A line of a section being edited, numbered so that two lines before the
// section's tail compare by place without a walk.
struct section_line {
    profile_line line;
    size_t order;
};
using section_lines = std::list<section_line>;
using line_queue = std::list<section_lines::iterator>;

// A section of a file being edited: its header and the lines up to the next
// header. Its index, built when an edit first reaches it, finds each key's
// entries in file order, so that an edit takes the same time however long
// the section is.
struct profile_section {
    profile_line header;
    section_lines body;
    bool indexed = false;
    // The first of the empty lines that end the body (body.end() when
    // none): a new entry goes before them.
    section_lines::iterator tail;
    // folded key -> its entries; folded key "=" value -> its entries.
    std::unordered_map<std::string, line_queue> by_key;
    std::unordered_map<std::string, line_queue> by_entry;
    // The empty, not bad, lines before tail, in order: appends drop them.
    line_queue blanks;
    size_t next_order = 0;
};

// The line after the last non-empty line of section.
void find_tail(profile_section& section)
{
    section.tail = section.body.end();
    while (section.tail != section.body.begin() && is_blank(std::prev(section.tail)->line))
        --section.tail;
}

// Builds the index of section from its lines, unless it is up to date.
void index_section(profile_section& section)
{
    if (section.indexed)
        return;
    section.by_key.clear();
    section.by_entry.clear();
    section.blanks.clear();
    find_tail(section);
    size_t order = 0;
    std::string key, key_and_value;
    for (auto line = section.body.begin(); line != section.tail; ++line) {
        line->order = order++;
        if (is_droppable(line->line)) {
            section.blanks.push_back(line);
        } else if (entry_keys(line->line.text, &key, &key_and_value)) {
            section.by_key[key].push_back(line);
            section.by_entry[key_and_value].push_back(line);
        }
    }
    section.next_order = order;
    section.indexed = true;
}

// True when the indexed section has an entry of key.
bool has_entry(const profile_section& section, std::string_view key)
{
    auto keyed = section.by_key.find(xp_internal::folded(trimmed(key)));
    return keyed != section.by_key.end() && !keyed->second.empty();
}

// A defaults file being edited: the lines before the first header, then its
// sections in order, with the first section of each name found by name.
// Each edit changes the file as if it were written out and read back in
// between, without a walk over the file (a section is indexed once, when an
// edit first reaches it); the text is made once.
class profile_document {
public:
    explicit profile_document(const std::string& contents);
    // Applies edit, which acceptable_edit let through.
    void apply(const profile_edit& edit);
    // The edited contents; the original ones when no edit changed anything.
    std::string text() const;

private:
    using section_list = std::list<profile_section>;

    profile_line made_line(std::string_view text);
    const char* first_line_end() const;
    profile_line* last_line();
    void end_open_line(profile_line* line);
    void insert_entry(profile_section& section, std::string_view text);
    void put_blank(profile_section& section);
    void add_section(const profile_edit& edit);
    void write_entry(profile_section& section, const profile_edit& edit, bool last);
    void append_entry(profile_section& section, const profile_edit& edit, bool last);

    const std::string& contents_;
    std::vector<profile_line> preamble_;
    section_list sections_;
    // folded name -> the sections of that name, in order.
    std::unordered_map<std::string, std::list<section_list::iterator>> by_name_;
    // The lines edits made; a deque, so that views into them stay valid.
    std::deque<std::string> made_;
    // The line end of the edit in progress (or of the last one).
    const char* newline_ = "\n";
    // Whether an edit changed anything: then every header read whole is
    // written as "[" name "]".
    bool modified_ = false;
};

profile_document::profile_document(const std::string& contents) : contents_(contents)
{
    for (const profile_line& line : split_lines(contents)) {
        if (is_header(line.text)) {
            sections_.emplace_back();
            sections_.back().header = line;
            by_name_[xp_internal::folded(header_name(line.text))].push_back(std::prev(sections_.end()));
        } else if (sections_.empty()) {
            preamble_.push_back(line);
        } else {
            sections_.back().body.push_back({line, 0});
        }
    }
}

// A line an edit puts: text and the line end of the edit.
profile_line profile_document::made_line(std::string_view text)
{
    made_.push_back(std::string(text) + newline_);
    return line_of(made_.back());
}

// Lines an edit makes end as the file's first line does (CRLF files stay
// CRLF). A header read whole was last written with the last edit's end.
const char* profile_document::first_line_end() const
{
    const profile_line* first = nullptr;
    if (!preamble_.empty())
        first = &preamble_.front();
    else if (!sections_.empty())
        first = &sections_.front().header;
    if (first == nullptr)
        return "\n";
    if (preamble_.empty() && first->whole && modified_)
        return newline_;
    std::string_view raw = first->raw;
    return raw.size() >= 2 && raw.substr(raw.size() - 2) == "\r\n" ? "\r\n" : "\n";
}

profile_line* profile_document::last_line()
{
    if (!sections_.empty()) {
        profile_section& last = sections_.back();
        return last.body.empty() ? &last.header : &last.body.back().line;
    }
    return preamble_.empty() ? nullptr : &preamble_.back();
}

// Gives a last line without a line end one, before a line is put after it.
void profile_document::end_open_line(profile_line* line)
{
    if (line == nullptr || (!line->raw.empty() && line->raw.back() == '\n'))
        return;
    made_.push_back(std::string(line->raw) + newline_);
    line->raw = made_.back();
}

// Puts text as a line after the last non-empty line of section. A line that
// does not read back as an entry (its key too long to be read) sends the
// section to be indexed again.
void profile_document::insert_entry(profile_section& section, std::string_view text)
{
    end_open_line(section.tail == section.body.begin() ? &section.header : &std::prev(section.tail)->line);
    auto line = section.body.insert(section.tail, {made_line(text), section.next_order++});
    std::string key, key_and_value;
    if (is_blank(line->line) || !entry_keys(line->line.text, &key, &key_and_value)) {
        section.indexed = false;
        return;
    }
    section.by_key[key].push_back(line);
    section.by_entry[key_and_value].push_back(line);
}

// Puts an empty line at the end of section.
void profile_document::put_blank(profile_section& section)
{
    bool had_tail = section.tail != section.body.end();
    section.body.push_back({made_line(""), section.next_order++});
    if (!had_tail)
        section.tail = std::prev(section.body.end());
}

// Adds the section of edit at the end, after an empty line, its one entry
// followed by an empty line.
void profile_document::add_section(const profile_edit& edit)
{
    end_open_line(last_line());
    if (sections_.empty())
        preamble_.push_back(made_line(""));
    else
        put_blank(sections_.back());
    sections_.emplace_back();
    profile_section& added = sections_.back();
    added.header = made_line("[" + edit.section + "]");
    by_name_[xp_internal::folded(header_name(added.header.text))].push_back(std::prev(sections_.end()));
    index_section(added);
    insert_entry(added, *edit.key + "=" + *edit.value);
    put_blank(added);
}

// Replaces or deletes the key's first entry; a new entry goes after the
// last non-empty line, followed by exactly one empty line when a header
// follows (last is false), else by the empty lines that were there.
void profile_document::write_entry(profile_section& section, const profile_edit& edit, bool last)
{
    std::string key = xp_internal::folded(trimmed(*edit.key));
    auto keyed = section.by_key.find(key);
    if (keyed == section.by_key.end() || keyed->second.empty()) {
        if (!last)
            section.tail = section.body.erase(section.tail, section.body.end());
        insert_entry(section, *edit.key + "=" + *edit.value);
        if (!last)
            put_blank(section);
        return;
    }
    auto entry = keyed->second.front();
    std::string new_key, key_and_value;
    entry_keys(entry->line.text, &new_key, &key_and_value);
    section.by_entry[key_and_value].pop_front();
    if (edit.value) {
        entry->line = made_line(*edit.key + "=" + *edit.value);
        if (is_blank(entry->line) || !entry_keys(entry->line.text, &new_key, &key_and_value) || new_key != key)
            section.indexed = false;
        else
            section.by_entry[key_and_value].push_front(entry);
        return;
    }
    keyed->second.pop_front();
    bool was_last = std::next(entry) == section.tail;
    section.body.erase(entry);
    if (!was_last)
        return;
    // The empty lines before it now end the section.
    while (section.tail != section.body.begin() && is_blank(std::prev(section.tail)->line)) {
        --section.tail;
        if (is_droppable(section.tail->line))
            section.blanks.pop_back();
    }
}

// Adds the entry at the end of the section, dropping its empty lines, unless
// that very entry (key and value, ignoring case) is there: then only the
// empty lines before it go.
void profile_document::append_entry(profile_section& section, const profile_edit& edit, bool last)
{
    std::string key = xp_internal::folded(trimmed(*edit.key));
    auto same = section.by_entry.find(key + "=" + xp_internal::folded(trimmed(*edit.value)));
    if (same != section.by_entry.end() && !same->second.empty()) {
        size_t order = same->second.front()->order;
        while (!section.blanks.empty() && section.blanks.front()->order < order) {
            section.body.erase(section.blanks.front());
            section.blanks.pop_front();
        }
        return;
    }
    for (auto blank : section.blanks)
        section.body.erase(blank);
    section.blanks.clear();
    while (section.tail != section.body.end())
        section.tail = is_droppable(section.tail->line) ? section.body.erase(section.tail) : std::next(section.tail);
    insert_entry(section, *edit.key + "=" + *edit.value);
    if (!last)
        put_blank(section);
}

// Only the first section of a name is edited. Deleting what is not there
// changes nothing, not even the headers.
void profile_document::apply(const profile_edit& edit)
{
    auto named = by_name_.find(xp_internal::folded(edit.section));
    profile_section* section =
        named != by_name_.end() && !named->second.empty() ? &*named->second.front() : nullptr;
    if (section != nullptr && edit.key)
        index_section(*section);
    bool deleting = !edit.key || !edit.value;
    if (deleting && (section == nullptr || (edit.key && !has_entry(*section, *edit.key))))
        return;
    newline_ = first_line_end();
    modified_ = true;
    if (section == nullptr) {
        add_section(edit);
    } else if (!edit.key) {
        sections_.erase(named->second.front());
        named->second.pop_front();
    } else if (edit.append) {
        append_entry(*section, edit, section == &sections_.back());
    } else {
        write_entry(*section, edit, section == &sections_.back());
    }
}

std::string profile_document::text() const
{
    if (!modified_)
        return contents_;
    std::string text;
    text.reserve(contents_.size());
    for (const profile_line& line : preamble_)
        text += line.raw;
    for (const profile_section& section : sections_) {
        if (section.header.whole)
            text.append("[").append(header_name(section.header.text)).append("]").append(newline_);
        else
            text += section.header.raw;
        for (const section_line& line : section.body)
            text += line.line.raw;
    }
    return text;
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
// nothing; the edits then go one after another over the file indexed once.
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
    profile_document document(contents);
    for (const profile_edit& edit : edits)
        document.apply(edit);
    return replace_file_contents(function, file, contents, document.text());
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
