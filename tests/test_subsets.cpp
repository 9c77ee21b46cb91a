// Subset definition files and the subset tree: every keyword and message, nested
// sets sharing one name space, damaged files, and the space an installation needs.
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "message_recorder.h"
#include "product_sandbox.h"
#include "run_program.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "prod/product.h"

namespace {

class subsets : public ::testing::Test {
protected:
    std::string cfg(const std::string& name) const { return dir_ / ("config/" + name); }

    // Reads text as kps30's subset definition file into a fresh tree.
    prod_opts& parse(const std::string& text, int* status = nullptr)
    {
        write_file(cfg("kps30prd.cfg"), text);
        recorder_.clear();
        tree_ = std::make_unique<prod_opts>(nullptr, &kps_);
        int result = tree_->parse_config();
        if (status != nullptr)
            *status = result;
        return *tree_;
    }

    // The names of a set's entries, "|"-separated.
    static std::string names(const t_subset& set)
    {
        std::string all;
        for (unsigned i = 0; set.entries() != nullptr && i < set.entries()->entries(); ++i)
            all += std::string(all.empty() ? "" : "|") + set.entries()->elem(i)->name().c_str();
        return all;
    }

    // One subset whole: texts, the flags as letters, numbers, dependencies.
    static std::string describe(const subset& s)
    {
        std::string flags;
        const std::pair<bool, char> marks[] = {
            {s.is_archive(), 'a'},  {s.is_mandatory(), 'm'}, {s.is_default(), 'd'},
            {s.is_selected(), 's'}, {s.is_hidden(), 'h'},    {s.has_adverts(), 'v'},
            {s.needs_install(), 'i'}, {s.needs_deinstall(), 'x'}, {s.is_compressed(), 'c'},
            {s.has_suboptions(), 'o'}};
        for (auto [on, letter] : marks)
            flags += on ? letter : '-';
        std::string all = std::string(s.name()) + "/" + s.description().c_str() + "/" + flags + "/" +
                          std::to_string(s.volume_no()) + "," + std::to_string(s.position()) + "," +
                          std::to_string(s.size()) + "," + std::to_string(s.no_of_files()) + "/";
        for (unsigned i = 0; i < s.dependencies().entries(); ++i)
            all += std::string(s.dependencies().elem(i)->c_str()) + "|";
        return all;
    }

    std::string bad(const std::string& file) const { return "Error parsing " + cfg(file) + ", "; }
    std::string line(const std::string& file, int number) const
    {
        return "Unable to parse line " + std::to_string(number) + " in file \"" + cfg(file) + "\".";
    }

    temp_dir dir_;
    product_sandbox sandbox_{dir_ / "config", dir_ / "nls"};
    message_recorder recorder_;
    int prd_written_ = (write_file(cfg("kps30.prd"), "Code: kps\nVersion: 30\n"), 0);
    product kps_{nullptr, "kps30"};
    std::unique_ptr<prod_opts> tree_;
};

TEST_F(subsets, records_span_lines_and_comments_and_fill_every_field)
{
    write_file(cfg("docs.cfg"), "# parts\nName=man; Desc=Manual pages; Def=Yes; Siz=400; Fls=18.\n"
                                "Name=html; Siz=500; Fls=12.\n");
    prod_opts& tree = parse(
        "# Subsets of kps30\nname=base; Desc=Programs and libraries;\n# inside the record\n\n"
        "MAN=Yes; Dep=kps30cmn, tools.extra;\n   Vol=1; POS=3; Siz=2048; Fls=24.\n"
        "Name=docs; Desc=Version 3.0 manuals; Def=yes; Opt=Y; Hid=1; Ads=Yes; Vol=2; Pos=1.\n"
        "Name=print;Ins=Yes;Del=1;Com=Y;Arc=No;Man=no;Dep=0;Siz=350.\n");
    EXPECT_TRUE(recorder_.texts().empty()) << recorder_.texts()[0];
    ASSERT_EQ(names(tree), "base|docs|print");
    EXPECT_EQ(describe(*tree.elem(0u)), "base/Programs and libraries/am-s------/1,3,2048,24/"
                                        "kps30cmn|tools|extra|")
        << "a record over three lines with a comment and a blank line inside";
    EXPECT_EQ(describe(*tree.elem(1u)), "docs/Version 3.0 manuals/a-dshv---o/2,1,0,0/")
        << "dots inside words stay";
    EXPECT_EQ(describe(*tree.elem(2u)), "print//a-----ixc-/0,0,350,0/")
        << "false flags change nothing";

    t_subset* nested = tree.elem("docs")->suboptions();
    ASSERT_NE(nested, nullptr);
    EXPECT_EQ(std::string(tree.file()) + " " + nested->file().c_str() + " " + names(*nested),
              cfg("kps30prd.cfg") + " " + cfg("docs.cfg") + " man|html");
    EXPECT_EQ((std::vector<const void*>{nested->root(), nested->current_prod(), nested->elem(0u)->owner()}),
              (std::vector<const void*>{&tree, &kps_, tree.elem("docs")})) << "root, its product, owner";
}

// Each row: the file, the parse's result, every message in order, and the
// subsets defined (a failure ends the read at once).
TEST_F(subsets, mistakes_are_reported_and_the_first_failure_ends_the_read)
{
    const std::string f = "kps30prd.cfg";
    const char junk[] = "\x7f" "ELF\x02\0\0;=.\n\x89PNG\r\n\x1a\n";
    const std::string long_line(10000, 'y');
    const struct { const char* name; std::string text; int status; strings texts; const char* defined; } rows[] = {
        {"comments only", "# nothing\n\n# here\n", -1,
         {bad(f) + "insufficent number of options, 0 options specified."}, ""},
        {"empty file", "", -1, {bad(f) + "insufficent number of options, 0 options specified."}, ""},
        {"size not a number", "Name=a; Siz=2.\nName=b; Siz=lots; Fls=3.\nName=c.\n", -1,
         {bad(f) + "keyword \"Siz\" in option no. 2 is not followed by a valid integer."}, "a|b"},
        {"unknown keyword", "Name=a.\nName=b; Size=3; Man=maybe.\n", -1,
         {bad(f) + "unrecognised keyword \"Size\" in option no. 2."}, "a|b"},
        {"bad flag", "Name=a; Man=maybe; Siz=x.\nName=b.\n", -1,
         {bad(f) + "\"Man\" must be followed by a valid flag."}, "a"},
        {"duplicate name, exact case", "Name=base.\nName=Base.\nName=base; Siz=1.\nName=c.\n", -1,
         {bad(f) + "option name \"base\" already exists.",
          bad(f) + "an invalid option name \"base\" was specified for option no. 3."}, "base|Base"},
        {"name not first drops the record only", "Desc=Nameless; Siz=3.\nName=a; Siz=4.\n", 0,
         {"The option name is not specified first for option no. 1."}, "a"},
        {"a lone full stop ends the file", "Name=a.\n.\nName=b.\n", 0, {}, "a"},
        {"binary junk", std::string(junk, sizeof junk - 1), -1, {line(f, 1)}, ""},
        {"a NUL would merge two records", std::string("Name=a\0x.\nName=b.\n", 17), -1, {line(f, 1)}, ""},
        {"sizes beyond an int or below zero",
         "Name=a; Siz=2147483647; Fls=2147483647.\nName=b; Fls=2147483648.\nName=c; Siz=-1.\n", -1,
         {bad(f) + "keyword \"Fls\" in option no. 2 is not followed by a valid integer."}, "a|b"},
        {"a name that leaves the directory", "Name=../../../../tmp/evil; Opt=Y; Ins=Y.\n", -1,
         {bad(f) + "an invalid option name \"../../../../tmp/evil\" was specified for option no. 1."}, ""},
        {"a hidden file name", "Name=a.\nName=.profile.\n", -1,
         {bad(f) + "an invalid option name \".profile\" was specified for option no. 2."}, "a"},
        {"long line, no last newline", "Name=a; Desc=" + long_line + ";\nSiz=5.\nName=b", 0, {}, "a|b"},
        {"CRLF line ends", "Name=a;\r\nSiz=5.\r\n\r\n# c\r\nName=b.\r\n", 0, {}, "a|b"},
    };
    for (const auto& row : rows) {
        int status = 0;
        prod_opts& tree = parse(row.text, &status);
        EXPECT_EQ(status, row.status) << row.name;
        EXPECT_EQ(recorder_.texts(), row.texts) << row.name;
        EXPECT_EQ(names(tree), row.defined) << row.name;
    }
    EXPECT_EQ(parse("Name=a; Desc=" + long_line + ";\nSiz=5.\n").elem(0u)->description().length(),
              10000u);
}

// A nested set's failures do not fail the product's file; a set naming its own
// subset is refused by name, not read until the stack runs out.
TEST_F(subsets, nested_sets_report_their_own_failures_and_share_the_names)
{
    int status = 0;
    prod_opts& tree = parse("Name=docs; Opt=Yes.\nName=tools; Opt=Yes.\n", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(recorder_.texts(),
              (strings{"Unable to open file " + cfg("docs.cfg") + ". No such file or directory",
                       "Unable to open file " + cfg("tools.cfg") + ". No such file or directory"}));
    EXPECT_TRUE(tree.elem("docs")->has_suboptions());

    write_file(cfg("a.cfg"), "Name=b; Opt=Y.\n");
    write_file(cfg("b.cfg"), "Name=b; Opt=Y.\n");
    ASSERT_EQ(mkdir(cfg("d.cfg").c_str(), 0755), 0);
    parse("Name=a; Opt=Y.\nName=d; Opt=Y.\n", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(recorder_.texts(),
              (strings{bad("b.cfg") + "option name \"b\" already exists.",
                       bad("b.cfg") + "an invalid option name \"b\" was specified for option no. 1.",
                       "Unable to open file " + cfg("d.cfg") + ". Is a directory"}));
    EXPECT_EQ(names(*tree_->elem("a")->suboptions()), "b");
    EXPECT_EQ(names(*tree_->elem("a")->suboptions()->elem(0u)->suboptions()), "");

    write_file(cfg("docs.cfg"), "Name=man.\nName=html.\n");
    parse("Name=docs; Opt=Yes.\nName=html.\n", &status);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(recorder_.texts(),
              (strings{bad("kps30prd.cfg") + "option name \"html\" already exists.",
                       bad("kps30prd.cfg") + "an invalid option name \"html\" was specified for option no. 2."}));

    parse("Name=a; Def=Y; Siz=2147483647; Fls=2147483647.\nName=b; Man=Y; Fls=2147483647.\n");
    EXPECT_EQ(tree_->total_files(), 2 * std::int64_t{2147483647}) << "sums of sizes wrapped round";
}

using subsetsDeathTest = subsets;

// A record without a name of its own acts on a subset that does not exist.
TEST_F(subsetsDeathTest, record_without_its_own_name_ends_the_program)
{
    EXPECT_EXIT((set_reporter(nullptr), parse("Name=a.\nDesc=second; Siz=3.\n")), ::testing::ExitedWithCode(255),
                folded_pattern(bad("kps30prd.cfg") + "option no. 2 does not begin with the option name.") +
                    ".*" + folded_pattern("Option error, subscript 1 is out of bounds."));
}

// A demo-like tree: installer subset, base, docs of two parts, examples.
TEST_F(subsets, space_and_files_follow_media_selection_and_sub_options)
{
    write_file(cfg("docs.cfg"), "Name=man; Def=Yes; Siz=400; Fls=18.\nName=html; Siz=500; Fls=12.\n");
    prod_opts& tree = parse("Name=kps30ins; Siz=120; Fls=6.\nName=base; Siz=2048; Fls=24.\n"
                            "Name=docs; Opt=Yes; Siz=900; Fls=30.\nName=examples; Siz=150; Fls=10.\n");
    subset &ins = *tree.elem(0u), &base = *tree.elem(1u), &docs = *tree.elem(2u);
    const struct { media_t media; bool dist; std::vector<subset*> chosen; int full; int own; } rows[] = {
        {MEDIA_CD, false, {}, 120, 120},
        {MEDIA_DISTRIBUTION, false, {}, 120, 120},
        {MEDIA_TAPE, false, {}, 0, 0},
        {MEDIA_TAPE, false, {&ins, &base}, 2048, 2048},
        {MEDIA_FILESERVER, false, {&ins}, 0, 0},
        {MEDIA_TAPE, false, {&base, &docs}, 2048 + 400, 2048 + 900},
        {MEDIA_CD, false, {&docs}, 120 + 400, 120 + 900},
        {MEDIA_TAPE, true, {}, 120 + 2048 + 900 + 150, 120 + 2048 + 900 + 150},
    };
    for (const auto& row : rows) {
        for (unsigned i = 0; i < tree.entries()->entries(); ++i)
            tree.elem(i)->choose(false);
        for (subset* s : row.chosen)
            s->choose(true);
        kps_.set_media(row.media);
        kps_.set_create_dist_server(row.dist);
        EXPECT_EQ(tree.space_reqd(false), row.full) << row.media << "/" << row.chosen.size();
        EXPECT_EQ(tree.space_reqd(true), row.own) << row.media << "/" << row.chosen.size();
    }
    EXPECT_EQ(tree.total_files(), 0);
    base.choose(true);
    docs.choose(true);
    EXPECT_EQ(tree.total_files(), 24 + 30) << "nested sets not included";
    EXPECT_EQ(docs.suboptions()->total_files(), 18);
}

}  // namespace
