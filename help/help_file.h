// A help file read into its topics: what the help viewer shows and what the
// tests check the shipped help files with. Plain data and look-ups, no
// display. The help_file owns its topics; pointers it hands out stay valid
// until the next read.
#ifndef KITSETUP_HELP_HELP_FILE_H
#define KITSETUP_HELP_HELP_FILE_H

#include <map>
#include <string>
#include <vector>

// A piece of text shown in one style. A link's text is what the reader
// clicks; target is the context number it leads to (0 for other runs).
struct help_run {
    enum kind_t { plain, bold, link };
    kind_t kind = plain;
    std::string text;
    int target = 0;
};

// One block of a topic's body. A paragraph or list item is wrapped to the
// window's width; a preformatted block is one line shown as it stands, in
// one plain run.
struct help_block {
    enum kind_t { paragraph, list_item, preformatted };
    kind_t kind = paragraph;
    std::vector<help_run> runs;
};

struct help_topic {
    int context = 0;
    std::string title;
    std::vector<help_block> blocks;
};

class help_file {
public:
    // Largest file read; a help file is a few pages of text.
    static constexpr long max_size = 4L * 1024 * 1024;

    // Reads the help file at path, replacing what was read before: true, or
    // false with *reason saying why, without the file's name ("line 4: a
    // topic without a title", "No such file or directory"). Nothing is kept
    // of a file that fails.
    bool read(const std::string& path, std::string* reason);
    // The same from text already in memory.
    bool parse(const std::string& text, std::string* reason);

    // The topic with context number context, or null.
    const help_topic* topic(int context) const;
    // The contents page (the file's first topic), or null before a read.
    const help_topic* contents() const;
    const std::vector<help_topic>& topics() const { return topics_; }
    // The topics whose title or body text holds words, ignoring the case of
    // ASCII letters, in file order. Blank words match nothing.
    std::vector<const help_topic*> search(const std::string& words) const;
    // The context numbers topic links to, in the order of its text.
    static std::vector<int> links(const help_topic& topic);
    // *context = text as a context number (decimal digits only, 1 to
    // 2147483647): false, *context untouched, when it is not one.
    static bool parse_context(const std::string& text, int* context);
    // The text a block shows: its runs' texts joined.
    static std::string block_text(const help_block& block);

private:
    std::vector<help_topic> topics_;
    // The place of each topic in topics_, by context number.
    std::map<int, size_t> index_;
};

#endif
