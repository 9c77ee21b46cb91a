#include "help/help_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "lib/descriptor.h"

namespace {

const char BLANKS[] = " \t";
const char TOPIC_MARK[] = ".topic";
const char BYTE_ORDER_MARK[] = "\xef\xbb\xbf";

bool starts_with(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::string trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

std::string lower_ascii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The length of the well-formed UTF-8 sequence at text[at] with its value in
// *code, or 0 when the bytes there are not one (overlong forms, surrogates
// and values past U+10FFFF included).
size_t utf8_sequence(const std::string& text, size_t at, long* code)
{
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = lead < 0x80 ? 1 : lead < 0xc2 ? 0 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : lead < 0xf5 ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    *code = length == 1 ? lead : lead & (0x7f >> length);
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xc0) != 0x80)
            return 0;
        *code = (*code << 6) | (next & 0x3f);
    }
    static const long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (*code < smallest[length] || (*code >= 0xd800 && *code <= 0xdfff) || *code > 0x10ffff)
        return 0;
    return length;
}

// What is wrong with the characters of line, or "" when nothing is: a NUL,
// another control character (a tab is allowed) or bytes that are not UTF-8.
std::string character_fault(const std::string& line)
{
    size_t at = 0;
    while (at < line.size()) {
        long code = 0;
        size_t length = utf8_sequence(line, at, &code);
        if (length == 0)
            return "text that is not UTF-8";
        if (code == 0)
            return "a NUL byte";
        if ((code < 0x20 && code != '\t') || (code >= 0x7f && code <= 0x9f)) {
            char text[64];
            std::snprintf(text, sizeof text, "the control character U+%04lX", code);
            return text;
        }
        at += length;
    }
    return "";
}

// The first place at or after from where pattern occurs in text, or npos,
// through *found, the answer to an earlier question about the same text:
// asked again only when that lies before from, so a text full of markup
// that does not close is still searched once, not once per mark.
size_t find_from(const std::string& text, const char* pattern, size_t from, size_t* found)
{
    if (*found != std::string::npos && *found < from)
        *found = text.find(pattern, from);
    return *found;
}

// The link written at text[at] ("[[N]]" or "[[N|words]]") in *run and its
// length, or 0 when none starts there. *next_close is find_from's answer
// for "]]".
size_t parse_link(const std::string& text, size_t at, size_t* next_close, help_run* run)
{
    if (text.compare(at, 2, "[[") != 0)
        return 0;
    size_t number_end = text.find_first_not_of("0123456789", at + 2);
    if (number_end == std::string::npos ||
        !help_file::parse_context(text.substr(at + 2, number_end - at - 2), &run->target))
        return 0;
    size_t close = find_from(text, "]]", number_end, next_close);
    bool named = text[number_end] == '|';
    if (close == std::string::npos || (!named && close != number_end))
        return 0;
    run->kind = help_run::link;
    run->text = named ? trimmed(text.substr(number_end + 1, close - number_end - 1)) : "";
    return close + 2 - at;
}

// The runs of a paragraph's or list item's text: "**" pairs mark bold, "[[
// ]]" links; markup that does not close is shown as written.
std::vector<help_run> parse_runs(const std::string& text)
{
    std::vector<help_run> runs;
    std::string pending;
    bool bold = false;
    auto flush = [&] {
        if (!pending.empty())
            runs.push_back({bold ? help_run::bold : help_run::plain, pending, 0});
        pending.clear();
    };
    size_t next_close = 0;
    size_t next_stars = 0;
    size_t at = 0;
    while (at < text.size()) {
        help_run link;
        if (size_t length = parse_link(text, at, &next_close, &link)) {
            flush();
            runs.push_back(link);
            at += length;
        } else if (text.compare(at, 2, "**") == 0 &&
                   (bold || find_from(text, "**", at + 2, &next_stars) != std::string::npos)) {
            flush();
            bold = !bold;
            at += 2;
        } else {
            pending += text[at++];
        }
    }
    flush();
    return runs;
}

// Tabs of a preformatted line expanded to stops every eight columns, so a
// line indented by a tab and one indented by blanks line up alike.
std::string expand_tabs(const std::string& line)
{
    std::string expanded;
    size_t column = 0;
    for (char c : line) {
        if (c == '\t') {
            expanded.append(8 - column % 8, ' ');
            column += 8 - column % 8;
        } else {
            expanded += c;
            // Continuation bytes of UTF-8 take no column of their own.
            if ((static_cast<unsigned char>(c) & 0xc0) != 0x80)
                ++column;
        }
    }
    return expanded;
}

// Builds the topics of a help file line by line; the first fault ends the
// reading with its line named.
class topic_builder {
public:
    // Takes line number of the file: false with *reason naming the line
    // when it breaks the format.
    bool take(const std::string& line, int number, std::string* reason);
    // Hands the topics over: false with *reason when there is none.
    bool finish(std::vector<help_topic>* topics, std::string* reason);

private:
    // Each returns what is wrong with the line, or "".
    std::string take_line(const std::string& line);
    // rest: the line after ".topic".
    std::string take_topic_line(const std::string& rest);
    void take_body_line(const std::string& line);
    void close_block();

    std::vector<help_topic> topics_;
    // The line of each topic's .topic line, by context number.
    std::map<int, int> topic_lines_;
    // The paragraph or list item being collected, its lines joined.
    bool open_ = false;
    help_block::kind_t open_kind_ = help_block::paragraph;
    std::string open_text_;
    // Blank lines since the last block, kept between preformatted lines.
    int blank_lines_ = 0;
    int line_number_ = 0;
};

bool topic_builder::take(const std::string& line, int number, std::string* reason)
{
    line_number_ = number;
    std::string fault = character_fault(line);
    if (fault.empty())
        fault = take_line(line);
    if (!fault.empty())
        *reason = "line " + std::to_string(number) + ": " + fault;
    return fault.empty();
}

std::string topic_builder::take_line(const std::string& line)
{
    size_t mark_length = std::strlen(TOPIC_MARK);
    if (line[0] == '#')
        return "";
    if (starts_with(line, TOPIC_MARK) && (line.size() == mark_length || std::strchr(BLANKS, line[mark_length])))
        return take_topic_line(line.substr(mark_length));
    if (line.find_first_not_of(BLANKS) == std::string::npos) {
        close_block();
        ++blank_lines_;
        return "";
    }
    if (topics_.empty())
        return "text before the first .topic line";
    take_body_line(line);
    return "";
}

std::string topic_builder::take_topic_line(const std::string& rest)
{
    close_block();
    blank_lines_ = 0;
    size_t start = rest.find_first_not_of(BLANKS);
    if (start == std::string::npos)
        return "a topic without a context number";
    size_t end = rest.find_first_of(BLANKS, start);
    std::string number = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
    help_topic topic;
    if (!help_file::parse_context(number, &topic.context))
        return "\"" + number + "\" is not a context number (1 to 2147483647)";
    auto earlier = topic_lines_.find(topic.context);
    if (earlier != topic_lines_.end())
        return "context number " + number + " is already used on line " + std::to_string(earlier->second);
    topic.title = end == std::string::npos ? "" : trimmed(rest.substr(end));
    if (topic.title.empty())
        return "a topic without a title";
    topics_.push_back(topic);
    topic_lines_[topic.context] = line_number_;
    return "";
}

void topic_builder::take_body_line(const std::string& line)
{
    std::vector<help_block>& blocks = topics_.back().blocks;
    if (starts_with(line, "    ") || line[0] == '\t') {
        close_block();
        // Blank lines inside an example stay part of it.
        if (!blocks.empty() && blocks.back().kind == help_block::preformatted)
            blocks.insert(blocks.end(), blank_lines_, help_block{help_block::preformatted, {}});
        std::string text = expand_tabs(line.substr(line[0] == '\t' ? 1 : 4));
        text.erase(text.find_last_not_of(BLANKS) + 1);
        help_block block{help_block::preformatted, {}};
        if (!text.empty())
            block.runs.push_back({help_run::plain, text, 0});
        blocks.push_back(block);
    } else if (starts_with(line, "- ")) {
        close_block();
        open_ = true;
        open_kind_ = help_block::list_item;
        open_text_ = trimmed(line.substr(2));
    } else if (open_) {
        // A line continues a list item only when indented by two blanks;
        // any other ends it and starts a paragraph.
        if (open_kind_ == help_block::list_item && !starts_with(line, "  ")) {
            close_block();
            open_ = true;
            open_kind_ = help_block::paragraph;
            open_text_ = trimmed(line);
        } else {
            open_text_ += " " + trimmed(line);
        }
    } else {
        open_ = true;
        open_kind_ = help_block::paragraph;
        open_text_ = trimmed(line);
    }
    blank_lines_ = 0;
}

void topic_builder::close_block()
{
    if (open_)
        topics_.back().blocks.push_back({open_kind_, parse_runs(open_text_)});
    open_ = false;
    open_text_.clear();
}

bool topic_builder::finish(std::vector<help_topic>* topics, std::string* reason)
{
    close_block();
    if (topics_.empty()) {
        *reason = "holds no topic";
        return false;
    }
    topics->swap(topics_);
    return true;
}

}  // namespace

bool help_file::read(const std::string& path, std::string* reason)
{
    topics_.clear();
    index_.clear();
    // Non-blocking, so that a FIFO named as a help file cannot hold the
    // viewer up; a regular file reads the same either way.
    descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status;
    if (!file.valid() || fstat(file.get(), &status) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        *reason = std::strerror(EISDIR);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *reason = "not a regular file";
        return false;
    }
    std::string too_large = "larger than " + std::to_string(max_size / (1024 * 1024)) + " MiB";
    if (status.st_size > max_size) {
        *reason = too_large;
        return false;
    }
    std::string text;
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *reason = std::strerror(errno);
            return false;
        }
        if (got == 0)
            return parse(text, reason);
        text.append(chunk, static_cast<size_t>(got));
        // The file may have grown since the fstat.
        if (static_cast<long>(text.size()) > max_size) {
            *reason = too_large;
            return false;
        }
    }
}

bool help_file::parse(const std::string& text, std::string* reason)
{
    topics_.clear();
    index_.clear();
    topic_builder builder;
    size_t at = starts_with(text, BYTE_ORDER_MARK) ? std::strlen(BYTE_ORDER_MARK) : 0;
    int number = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        if (!builder.take(text.substr(at, end - at), ++number, reason))
            return false;
        at = end + 1;
    }
    if (!builder.finish(&topics_, reason))
        return false;
    for (size_t i = 0; i < topics_.size(); ++i)
        index_[topics_[i].context] = i;
    // "[[N]]" shows topic N's title, which may come later in the file.
    for (help_topic& topic : topics_) {
        for (help_block& block : topic.blocks) {
            for (help_run& run : block.runs) {
                if (run.kind != help_run::link || !run.text.empty())
                    continue;
                const help_topic* target = this->topic(run.target);
                run.text = target ? target->title : "topic " + std::to_string(run.target);
            }
        }
    }
    return true;
}

bool help_file::parse_context(const std::string& text, int* context)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long long number = std::strtoll(text.c_str(), nullptr, 10);
    if (number < 1 || number > INT_MAX)
        return false;
    *context = static_cast<int>(number);
    return true;
}

const help_topic* help_file::topic(int context) const
{
    auto found = index_.find(context);
    return found == index_.end() ? nullptr : &topics_[found->second];
}

const help_topic* help_file::contents() const
{
    return topics_.empty() ? nullptr : &topics_.front();
}

std::vector<const help_topic*> help_file::search(const std::string& words) const
{
    std::vector<const help_topic*> found;
    std::string wanted = lower_ascii(trimmed(words));
    if (wanted.empty())
        return found;
    for (const help_topic& topic : topics_) {
        // Blocks are kept apart by a newline so no match spans two of them.
        std::string text = topic.title;
        for (const help_block& block : topic.blocks)
            text += "\n" + block_text(block);
        if (lower_ascii(text).find(wanted) != std::string::npos)
            found.push_back(&topic);
    }
    return found;
}

std::vector<int> help_file::links(const help_topic& topic)
{
    std::vector<int> targets;
    for (const help_block& block : topic.blocks) {
        for (const help_run& run : block.runs) {
            if (run.kind == help_run::link)
                targets.push_back(run.target);
        }
    }
    return targets;
}

std::string help_file::block_text(const help_block& block)
{
    std::string text;
    for (const help_run& run : block.runs)
        text += run.text;
    return text;
}
