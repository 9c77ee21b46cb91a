// The help file reader: blocks and markup, every fault refused with its line,
// the file checks, the look-ups, and the help files the demo tree ships.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "help/help_file.h"
#include "run_program.h"
#include "ui/help_request.h"

namespace {

const char SAMPLE[] =
    "\xef\xbb\xbf# a comment before the first topic\n"
    "\n"
    ".topic 5   Contents \n"
    "Start with **Install**, or read [[20]]\n"
    "# a comment inside a paragraph does not end it\n"
    "and [[15|the actions]].\n"
    "- first item\n"
    "  goes on\n"
    "after the item, a paragraph with ** alone and [[x|no link]]\n"
    "    kitsetup -dir /cdrom\n"
    "\n"
    "\tKARCH=linux\tkitsetup\n"
    ".topic 15 Actions\n"
    ".topic 20 R\xc3\xa9sum\xc3\xa9 of [[5]]\n"
    "See [[99]] and [[20|again]].\n";

// The runs of a block as "kind:text:target" strings.
std::vector<std::string> runs_of(const help_block& block)
{
    static const char* const kinds[] = {"plain", "bold", "link"};
    std::vector<std::string> runs;
    for (const help_run& run : block.runs)
        runs.push_back(std::string(kinds[run.kind]) + ":" + run.text + ":" + std::to_string(run.target));
    return runs;
}

std::vector<int> contexts(const std::vector<const help_topic*>& topics)
{
    std::vector<int> numbers;
    for (const help_topic* topic : topics)
        numbers.push_back(topic->context);
    return numbers;
}

using strings = std::vector<std::string>;

}  // namespace

TEST(HelpFile, SampleReadsIntoTopicsBlocksAndRuns)
{
    help_file file;
    std::string reason;
    ASSERT_TRUE(file.parse(SAMPLE, &reason)) << reason;
    ASSERT_EQ(file.topics().size(), 3u);
    const help_topic& contents = *file.contents();
    EXPECT_EQ(std::to_string(contents.context) + " " + contents.title, "5 Contents");
    ASSERT_EQ(contents.blocks.size(), 6u);
    EXPECT_EQ(runs_of(contents.blocks[0]),
              (strings{"plain:Start with :0", "bold:Install:0", "plain:, or read :0",
                       "link:R\xc3\xa9sum\xc3\xa9 of [[5]]:20", "plain: and :0", "link:the actions:15",
                       "plain:.:0"}));
    EXPECT_EQ(contents.blocks[1].kind, help_block::list_item);
    EXPECT_EQ(runs_of(contents.blocks[1]), strings{"plain:first item goes on:0"});
    EXPECT_EQ(contents.blocks[2].kind, help_block::paragraph);
    EXPECT_EQ(help_file::block_text(contents.blocks[2]),
              "after the item, a paragraph with ** alone and [[x|no link]]");
    // An example keeps its blank line; a tab-led line lines up with the rest.
    for (size_t i = 3; i < 6; ++i)
        EXPECT_EQ(contents.blocks[i].kind, help_block::preformatted) << i;
    EXPECT_EQ(help_file::block_text(contents.blocks[3]), "kitsetup -dir /cdrom");
    EXPECT_TRUE(contents.blocks[4].runs.empty());
    EXPECT_EQ(help_file::block_text(contents.blocks[5]), "KARCH=linux     kitsetup");
    EXPECT_TRUE(file.topic(15)->blocks.empty());
    EXPECT_EQ(runs_of(file.topic(20)->blocks[0]),
              (strings{"plain:See :0", "link:topic 99:99", "plain: and :0", "link:again:20", "plain:.:0"}));
}

TEST(HelpFile, EveryFaultOfTheFormatIsRefusedWithItsLine)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"# only a comment\n\n", "holds no topic"},
        {"", "holds no topic"},
        {"\nstray text\n.topic 1 A\n", "line 2: text before the first .topic line"},
        {".topic 1 A\n.topic 2   \n", "line 2: a topic without a title"},
        {".topic\n", "line 1: a topic without a context number"},
        {".topic 0 Zero\n", "line 1: \"0\" is not a context number (1 to 2147483647)"},
        {".topic 2147483648 Big\n", "line 1: \"2147483648\" is not a context number (1 to 2147483647)"},
        {".topic 7a Seven\n", "line 1: \"7a\" is not a context number (1 to 2147483647)"},
        {".topic 3 A\n\n.topic 3 B\n", "line 3: context number 3 is already used on line 1"},
        {std::string(".topic 1 A\nx\0y\n", 15), "line 2: a NUL byte"},
        {".topic 1 A\r\n", "line 1: the control character U+000D"},
        {".topic 1 A\n\xc2\x85\n", "line 2: the control character U+0085"},
        {".topic 1 A\nb\xc0\xaf\n", "line 2: text that is not UTF-8"},
        {".topic 1 A\n\xed\xa0\x80\n", "line 2: text that is not UTF-8"},
        {".topic 1 A\n\xe2\x82\n", "line 2: text that is not UTF-8"},
    };
    for (const auto& [text, expected] : cases) {
        help_file file;
        std::string reason;
        EXPECT_FALSE(file.parse(text, &reason)) << text;
        EXPECT_EQ(reason, expected) << text;
        EXPECT_EQ(file.contents(), nullptr) << text;
    }
    help_file file;
    std::string reason;
    EXPECT_TRUE(file.parse(".topic 2147483647 Largest\n", &reason)) << reason;
}

TEST(HelpFile, ReadRefusesWhatIsNotASmallFileAndKeepsNothingOfIt)
{
    temp_dir dir;
    help_file file;
    std::string reason;
    write_file(dir / "good.hlp", ".topic 1 One\n");
    ASSERT_TRUE(file.read(dir / "good.hlp", &reason)) << reason;
    // The reason a read was refused, or "read".
    auto refused = [&](const std::string& path) { return file.read(path, &reason) ? "read" : reason; };
    EXPECT_EQ(refused(dir / "missing.hlp"), std::strerror(ENOENT));
    EXPECT_EQ(file.contents(), nullptr);
    EXPECT_EQ(refused(dir.path()), std::strerror(EISDIR));
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(refused(dir / "fifo"), "not a regular file");
    // One byte over the limit, the rest of a good file's topic.
    std::string big = dir / "big.hlp";
    write_file(big, ".topic 1 Big\n");
    ASSERT_EQ(truncate(big.c_str(), help_file::max_size + 1), 0);
    EXPECT_EQ(refused(big), "larger than 4 MiB");
}

TEST(HelpFile, SearchAndLinksFollowTheFileOrder)
{
    help_file file;
    std::string reason;
    ASSERT_TRUE(file.parse(SAMPLE, &reason)) << reason;
    EXPECT_EQ(contexts(file.search("actions")), (std::vector<int>{5, 15}));
    EXPECT_EQ(contexts(file.search("  KITSETUP -DIR ")), std::vector<int>{5});
    EXPECT_EQ(contexts(file.search("r\xc3\xa9sum\xc3\xa9")), (std::vector<int>{5, 20}));
    // Markup is not text, and no match spans two blocks.
    for (const char* text : {"[[15", "on after", " \t"})
        EXPECT_TRUE(file.search(text).empty()) << text;
    EXPECT_EQ(help_file::links(*file.contents()), (std::vector<int>{20, 15}));
    EXPECT_EQ(help_file::links(*file.topic(20)), (std::vector<int>{99, 20}));
    EXPECT_EQ(file.topic(99), nullptr);
}

// Every shipped help file links only within itself and has a topic for each
// context number the installer asks of it.
TEST(HelpFile, ShippedHelpFilesReadAndLinkWithin)
{
    std::string dir = std::string(KITSETUP_DEMO_DIR) + "/hh/";
    for (const char* name : {"kitsetup.hlp", "hoh.hlp", "kps30rel.hlp"}) {
        help_file file;
        std::string reason;
        ASSERT_TRUE(file.read(dir + name, &reason)) << name << ": " << reason;
        for (const help_topic& topic : file.topics())
            for (int target : help_file::links(topic))
                EXPECT_NE(file.topic(target), nullptr) << name << ", topic " << topic.context << ": link to " << target;
        std::vector<unsigned long> wanted;
        if (std::string(name) == "kitsetup.hlp")
            wanted = {HELP_CONTENTS_TOPIC, HELP_ACTIONS_TOPIC, HELP_PRODUCT_TOPIC, HELP_PRIMARY_OPTIONS_TOPIC,
                      HELP_INSTALL_OPTIONS_TOPIC, HELP_SUBSETS_TOPIC, HELP_PRINTERS_TOPIC, HELP_CONTINUE_TOPIC,
                      HELP_DEINSTALL_TOPIC, HELP_RELEASE_NOTES_TOPIC, HELP_USER_SETUP_TOPIC};
        if (std::string(name) == "kps30rel.hlp")
            wanted = {HELP_RELEASE_NOTES_TOPIC};
        for (unsigned long context : wanted)
            EXPECT_NE(file.topic(static_cast<int>(context)), nullptr) << name << " lacks topic " << context;
    }
    EXPECT_NE(access((dir + "kdb12rel.hlp").c_str(), F_OK), 0) << "one product is left without notes";
}
