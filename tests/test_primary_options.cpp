// Primary option files: records and their keywords, "msg_" texts from the
// product's catalogue, the first error ending the read, exact lookup by
// name, and damaged files read without harm.
#include <string>

#include <gtest/gtest.h>

#include "message_recorder.h"
#include "run_program.h"
#include "misc/unix_cat.h"
#include "prod/l_prim_opt.h"
#include "ui/kitsetup.h"

namespace {

const char* const GOOD_FILE =
    "# options of kps\n"
    "Name=Full; Desc=Everything; Icon=full.xpm; Opts=all; Fix=Yes\n"
    "\n"
    "nAmE = Minimal Set ; DESC=msg_12; Icon=min.xpm; Opts=0; Hid=docs, demo.extra\n"
    "# the last one\n"
    "Name=Custom;Desc=msg_13;Opts=base,,docs;Fix=no;Hid=0\n";

class primary_options : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_case_ = listring::is_case_sensitive();
        saved_catalogue_ = msg_file;
        // Built-in texts, and no warning about the installer's catalogue.
        if (msg_file == nullptr)
            msg_file = CATALOGUE_FAILED;
    }

    void TearDown() override
    {
        msg_file = saved_catalogue_;
        if (saved_case_)
            listring::case_sensitive_on();
        else
            listring::case_sensitive_off();
    }

    std::string path() const { return dir_ / "kps30ins.cfg"; }

    // Writes text as the option file and reads it into list: the result.
    int parse(const std::string& text, l_prim_opt& list)
    {
        write_file(path(), text);
        return list.parse_config();
    }

    static std::string names(const l_listring& list)
    {
        std::string all;
        for (unsigned i = 0; i < list.entries(); ++i)
            all += std::string(list.elem(i)->c_str()) + "|";
        return all;
    }

    temp_dir dir_;
    message_recorder recorder_;
    liboolean saved_case_ = false;
    nl_catd saved_catalogue_ = nullptr;
};

TEST_F(primary_options, good_file_fills_every_field_in_file_order)
{
    listring::case_sensitive_on();
    l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    ASSERT_EQ(parse(GOOD_FILE, list), 0);
    EXPECT_TRUE(recorder_.texts().empty()) << "missing icon files are not checked";
    EXPECT_TRUE(listring::is_case_sensitive()) << "case setting restored";
    ASSERT_EQ(list.entries(), 3u);

    prim_opt* full = list.elem(0u);
    EXPECT_STREQ(full->name(), "Full");
    EXPECT_STREQ(full->description(), "Everything");
    EXPECT_STREQ(full->bitmap(), "full.xpm");
    EXPECT_EQ(names(full->subset_options()), "all|");
    EXPECT_TRUE(full->fixed());
    EXPECT_FALSE(full->selected());

    prim_opt* minimal = list.elem(1u);
    EXPECT_STREQ(minimal->name(), "Minimal Set");
    EXPECT_STREQ(minimal->description(), "msg_12") << "kept as written without a catalogue";
    EXPECT_EQ(names(minimal->subset_options()), "") << "a value starting with 0 adds nothing";
    EXPECT_EQ(names(minimal->hidden_options()), "docs|demo|extra|");
    EXPECT_FALSE(minimal->fixed());

    prim_opt* custom = list.elem(2u);
    EXPECT_EQ(names(custom->subset_options()), "base||docs|") << "empty pieces are kept";
    EXPECT_EQ(names(custom->hidden_options()), "");
    EXPECT_FALSE(custom->fixed()) << "a false flag leaves fixed";
}

TEST_F(primary_options, msg_values_come_from_the_product_catalogue)
{
    std::string cat = dir_ / "kps30.cat";
    make_catalogue(cat, "$quote \"\n$set 1\n12 \"Only what is needed\"\n");
    nl_catd catalogue = catopen(cat.c_str(), 0);
    ASSERT_NE(catalogue, CATALOGUE_FAILED);
    {
        l_prim_opt list(nullptr, nullptr, path().c_str(), catalogue);
        ASSERT_EQ(parse(GOOD_FILE, list), 0);
        EXPECT_STREQ(list.elem(1u)->description(), "Only what is needed");
        EXPECT_STREQ(list.elem(2u)->description(), "msg_13") << "a missing message keeps the text";
    }
    catclose(catalogue);
}

TEST_F(primary_options, records_end_at_empty_and_comment_lines_only)
{
    l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    ASSERT_EQ(parse("Name=A;\n  Desc=Split\n\n\n#x\nName=B\n# note\nIcon=c.xpm;;\n", list), 0);
    ASSERT_EQ(list.entries(), 3u) << "empty records are skipped";
    EXPECT_STREQ(list.elem(0u)->description(), "Split") << "lines of a record are joined";
    EXPECT_STREQ(list.elem(1u)->name(), "B");
    EXPECT_STREQ(list.elem(1u)->bitmap(), "");
    EXPECT_STREQ(list.elem(2u)->bitmap(), "c.xpm");
    EXPECT_STREQ(list.elem(2u)->name(), "");
}

TEST_F(primary_options, unknown_keyword_names_its_option_and_ends_the_read)
{
    l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    EXPECT_EQ(parse("Name=A\n\nName=B;Size=3;Desc=never\n\nName=C\n", list), -1);
    ASSERT_EQ(recorder_.texts().size(), 1u);
    EXPECT_EQ(recorder_.texts()[0],
              "Error parsing " + path() + ", unrecognised keyword \"Size\" in option no. 2.");
    EXPECT_EQ(recorder_.messages()[0].kind, message_kind::error);
    ASSERT_EQ(list.entries(), 2u) << "no record after the error is read";
    EXPECT_STREQ(list.elem(1u)->description(), "") << "no parameter after the error is read";
}

TEST_F(primary_options, bad_flag_is_reported_and_ends_the_read)
{
    l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    EXPECT_EQ(parse("Name=A;fix=maybe;Desc=never\n\nName=B\n", list), -1);
    ASSERT_EQ(recorder_.texts().size(), 1u);
    EXPECT_EQ(recorder_.texts()[0],
              "Error parsing " + path() + ", \"fix\" must be followed by a valid flag.");
    ASSERT_EQ(list.entries(), 1u);
    EXPECT_FALSE(list.elem(0u)->fixed());
    EXPECT_STREQ(list.elem(0u)->description(), "");
}

TEST_F(primary_options, missing_file_means_no_primary_options)
{
    l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    EXPECT_EQ(list.parse_config(), 1);
    EXPECT_EQ(list.entries(), 0u);
    EXPECT_TRUE(recorder_.texts().empty());
}

TEST_F(primary_options, damaged_files_are_read_without_harm)
{
    {
        l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
        EXPECT_EQ(parse("", list), 0);
        EXPECT_EQ(list.entries(), 0u);
    }
    {
        l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
        EXPECT_EQ(parse(std::string("\x01\xff\0Name\0=\x7f;\n\xfe", 13), list), -1);
        recorder_.clear();
    }
    {
        l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
        ASSERT_EQ(parse("Name=A;\r\nFix=Y\r\n\r\nName=B\r\n", list), 0);
        ASSERT_EQ(list.entries(), 2u) << "a CR-only line is empty";
        EXPECT_STREQ(list.elem(0u)->name(), "A");
        EXPECT_TRUE(list.elem(0u)->fixed());
    }
    {
        l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
        ASSERT_EQ(parse("Name=A\n\nName=B;Hid=x", list), 0);
        ASSERT_EQ(list.entries(), 2u);
        EXPECT_EQ(names(list.elem(1u)->hidden_options()), "x|") << "last line without newline";
    }
    {
        l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
        ASSERT_EQ(parse("Name=" + std::string(10000, 'a') + ";\nDesc=d\n", list), 0);
        ASSERT_EQ(list.entries(), 1u);
        EXPECT_EQ(list.elem(0u)->name().length(), 10000u);
        EXPECT_STREQ(list.elem(0u)->description(), "d");
    }
    EXPECT_TRUE(recorder_.texts().empty());
}

TEST_F(primary_options, lookup_by_name_is_exact_while_the_program_ignores_case)
{
    l_prim_opt list(nullptr, nullptr, path().c_str(), CATALOGUE_FAILED);
    ASSERT_EQ(parse("Name=Full\n\nName=full\n", list), 0);
    listring::case_sensitive_off();
    EXPECT_EQ(list.elem(listring("full")), list.elem(1u));
    EXPECT_EQ(list.elem(listring("Full")), list.elem(0u));
    EXPECT_TRUE(recorder_.texts().empty());
    EXPECT_EQ(list.elem(listring("FULL")), nullptr);
    EXPECT_FALSE(listring::is_case_sensitive()) << "case setting restored";
    ASSERT_EQ(recorder_.texts().size(), 1u);
    EXPECT_EQ(recorder_.texts()[0], "Subset \"FULL\" does not exist.");
}

// Without a recorder, so that the message reaches standard error.
TEST(PrimaryOptionsDeathTest, index_out_of_range_ends_the_program)
{
    nl_catd saved_catalogue = msg_file;
    if (msg_file == nullptr)
        msg_file = CATALOGUE_FAILED;
    l_prim_opt list(nullptr, nullptr, "none", CATALOGUE_FAILED);
    EXPECT_EXIT(list.elem(0u), testing::ExitedWithCode(255),
                "Install option error, subscript 0 is out of bounds");
    msg_file = saved_catalogue;
}

}  // namespace
