// Primary option files: keywords, "msg_" texts from the product's catalogue, the
// first error ending the read, and damaged files read without harm.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "message_recorder.h"
#include "product_sandbox.h"
#include "run_program.h"
#include "misc/unix_cat.h"
#include "prod/l_prim_opt.h"

namespace {

const char* const GOOD_FILE =
    "# options of kps\nName=Full; Desc=Everything; Icon=full.xpm; Opts=all; Fix=Yes\n\n"
    "nAmE = Minimal Set ; DESC=msg_12; Icon=min.xpm; Opts=0; Hid=docs, demo.extra\n"
    "# the last one\nName=Custom;Desc=msg_13;Opts=base,,docs;Fix=no;Hid=0\n";

class primary_options : public ::testing::Test {
protected:
    std::string path() const { return dir_ / "kps30ins.cfg"; }

    // Writes text as the option file and reads it into list: the result.
    int parse(const std::string& text, l_prim_opt& list)
    {
        write_file(path(), text);
        return list.parse_config();
    }

    // An option whole: name/description/bitmap/subsets/hidden/fixed, each
    // list as its names ended by "|".
    static std::string describe(prim_opt* o)
    {
        std::string all = std::string(o->name()) + "/" + o->description().c_str() + "/" +
                          o->bitmap().c_str() + "/";
        for (const l_listring* list : {&o->subset_options(), &o->hidden_options()}) {
            for (unsigned i = 0; i < list->entries(); ++i)
                all += std::string(list->elem(i)->c_str()) + "|";
            all += "/";
        }
        return all + (o->fixed() ? "1" : "0");
    }

    temp_dir dir_;
    product_sandbox sandbox_;
    message_recorder recorder_;
};

// A message missing from the catalogue keeps the text as written.
TEST_F(primary_options, good_file_fills_every_field_in_file_order)
{
    listring::case_sensitive_on();
    make_catalogue(dir_ / "kps30.cat", "$quote \"\n$set 1\n12 \"Only what is needed\"\n");
    nl_catd catalogue = catopen((dir_ / "kps30.cat").c_str(), 0);
    l_prim_opt list(nullptr, nullptr, path().c_str(), catalogue);
    ASSERT_EQ(parse(GOOD_FILE, list), 0);
    catclose(catalogue);
    EXPECT_TRUE(recorder_.texts().empty()) << "missing icon files are not checked";
    EXPECT_TRUE(listring::is_case_sensitive()) << "case setting restored";
    ASSERT_EQ(list.entries(), 3u);

    EXPECT_EQ(describe(list.elem(0u)), "Full/Everything/full.xpm/all|//1");
    EXPECT_EQ(describe(list.elem(1u)), "Minimal Set/Only what is needed/min.xpm//docs|demo|extra|/0")
        << "a value starting with 0 adds nothing";
    EXPECT_EQ(describe(list.elem(2u)), "Custom/msg_13//base||docs|//0")
        << "empty pieces are kept; a false flag leaves fixed";
}

TEST_F(primary_options, first_error_is_reported_and_ends_the_read)
{
    const struct { const char* name, *text; std::string message, last; } rows[] = {
        {"unknown keyword", "Name=A\n\nName=B;Size=3;Desc=never\n\nName=C\n",
         ", unrecognised keyword \"Size\" in option no. 2.", "B/////0"},
        {"bad flag", "Name=A;fix=maybe;Desc=never\n\nName=B\n",
         ", \"fix\" must be followed by a valid flag.", "A/////0"},
    };
    for (const auto& row : rows) {
        recorder_.clear();
        l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
        EXPECT_EQ(parse(row.text, list), -1) << row.name;
        ASSERT_EQ(recorder_.texts(), std::vector<std::string>{"Error parsing " + path() + row.message})
            << row.name;
        EXPECT_EQ(recorder_.messages()[0].kind, message_kind::error) << row.name;
        ASSERT_GT(list.entries(), 0u) << row.name;
        EXPECT_EQ(describe(list.elem(list.entries() - 1)), row.last)
            << row.name << ": nothing read after the error";
    }
}

// Records span lines up to an empty line; no file is no options; empty,
// CR-ended, unended, long and binary files are read without harm.
TEST_F(primary_options, record_layouts_and_damaged_files)
{
    l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    EXPECT_EQ(list.parse_config(), 1) << "no file";
    EXPECT_EQ(list.entries(), 0u);
    EXPECT_EQ(parse("", list), 0);
    EXPECT_EQ(list.entries(), 0u);
    ASSERT_EQ(parse("Name=A;\n  Desc=Split\n\n\n#x\nName=B\n# note\nIcon=c.xpm;;\n", list), 0);
    ASSERT_EQ(list.entries(), 3u) << "empty records are skipped";
    EXPECT_EQ(describe(list.elem(0u)), "A/Split////0") << "lines of a record are joined";
    EXPECT_EQ(describe(list.elem(1u)), "B/////0");
    EXPECT_EQ(describe(list.elem(2u)), "//c.xpm///0") << "a comment does not end a record";

    l_prim_opt odd(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    ASSERT_EQ(parse("Name=A;\r\nFix=Y\r\n\r\nName=B;Hid=x", odd), 0);
    ASSERT_EQ(odd.entries(), 2u) << "a CR-only line is empty";
    EXPECT_EQ(describe(odd.elem(0u)), "A/////1") << "CR is no part of the flag";
    EXPECT_EQ(describe(odd.elem(1u)), "B////x|/0") << "last line without newline";
    l_prim_opt long_one(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    ASSERT_EQ(parse("Name=" + std::string(10000, 'a') + ";\nDesc=d\n", long_one), 0);
    ASSERT_EQ(long_one.entries(), 1u);
    EXPECT_EQ(describe(long_one.elem(0u)), std::string(10000, 'a') + "/d////0");
    EXPECT_TRUE(recorder_.texts().empty());
    l_prim_opt junk(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    EXPECT_EQ(parse(std::string("\x01\xff\0Name\0=\x7f;\n\xfe", 13), junk), -1);

    // A NUL would cut the record short; a directory is no file to read.
    recorder_.clear();
    l_prim_opt cut(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    EXPECT_EQ(parse(std::string("Name=A\0;\nDesc=x\n", 16), cut), -1);
    std::remove(path().c_str());
    ASSERT_EQ(mkdir(path().c_str(), 0755), 0);
    l_prim_opt directory(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    EXPECT_EQ(directory.parse_config(), -1);
    EXPECT_EQ(recorder_.texts(), (std::vector<std::string>{
                                     "Unable to parse line 1 in file \"" + path() + "\".",
                                     "Unable to open file " + path() + ". Is a directory"}));
}

}  // namespace
