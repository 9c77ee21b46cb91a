// Product description files: the fields a good file fills, keys in any case,
// comments, code, version and flag checks with their line numbers, every bad
// line reported before the failure, "msg_" texts from the product's own
// catalogue, and damaged files read without harm.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "message_recorder.h"
#include "run_program.h"
#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "prod/product.h"
#include "ui/kitsetup.h"

namespace {

const char* const GOOD_FILE =
    "Code: kps\n"
    "Version:   30  \n"
    "Description: Kit:  Print   Server  \n"
    "Short Description: Printing\n"
    "Bitmap: kps.xpm\n"
    "Installation Script: yes\n"
    "Pre-Installation Script: Y\n"
    "Deinstallation Script: 1\n"
    "Pre-Deinstallation Script: no\n";

class product_description : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_case_ = listring::is_case_sensitive();
        saved_config_ = CONFIG_FILE_DIR;
        saved_messages_ = MESSAGES_DIR;
        saved_catalogue_ = msg_file;
        // Built-in texts, and no warning about the installer's catalogue.
        if (msg_file == nullptr)
            msg_file = CATALOGUE_FAILED;
        CONFIG_FILE_DIR = (dir_ / "config").c_str();
        MESSAGES_DIR = (dir_ / "nls").c_str();
        setenv("LANG", "C", 1);
        setenv("KARCH", KITSETUP_KARCH, 1);
    }

    void TearDown() override
    {
        CONFIG_FILE_DIR = saved_config_;
        MESSAGES_DIR = saved_messages_;
        msg_file = saved_catalogue_;
        if (saved_case_)
            listring::case_sensitive_on();
        else
            listring::case_sensitive_off();
    }

    std::string prd_path() const { return dir_ / "config/kps30.prd"; }
    void write_prd(const std::string& text) { write_file(prd_path(), text); }

    // A product built from a bare file, whose file is then replaced by text
    // and read again: the way to see a bad file's messages without the stop.
    std::unique_ptr<product> reparse(const std::string& text, int* status)
    {
        write_prd("Code: kps\nVersion: 30\n");
        auto made = std::make_unique<product>(nullptr, "kps30");
        recorder_.clear();
        write_prd(text);
        *status = made->parse_config();
        return made;
    }

    std::string line_error(int line) const
    {
        return "Unable to parse line " + std::to_string(line) + " in file \"" + prd_path() + "\".";
    }

    temp_dir dir_;
    message_recorder recorder_;
    listring saved_config_;
    listring saved_messages_;
    nl_catd saved_catalogue_ = nullptr;
    liboolean saved_case_ = false;
};

using strings = std::vector<std::string>;

TEST_F(product_description, good_file_fills_every_field_and_names_the_files)
{
    write_prd(GOOD_FILE);
    product kps(nullptr, "kps30");
    EXPECT_TRUE(recorder_.texts().empty()) << recorder_.texts()[0];
    EXPECT_STREQ(kps.code(), "kps");
    EXPECT_STREQ(kps.version_code(), "30");
    EXPECT_STREQ(kps.id(), "kps30");
    EXPECT_STREQ(kps.description(), "Kit: Print Server") << "colon kept, blanks cleaned";
    EXPECT_STREQ(kps.short_description(), "Printing");
    EXPECT_STREQ(kps.bitmap(), "kps.xpm");
    EXPECT_TRUE(kps.needs_install());
    EXPECT_TRUE(kps.needs_preinstall());
    EXPECT_TRUE(kps.needs_deinstall());
    EXPECT_FALSE(kps.needs_predeinstall());
    EXPECT_FALSE(kps.initialised());
    EXPECT_EQ(kps.media(), MEDIA_TAPE);
    EXPECT_EQ(kps.product_list(), nullptr);

    const std::string cfg = dir_ / "config/";
    const std::pair<listring, std::string> files[] = {
        {kps.description_file(), cfg + "kps30.prd"},
        {kps.fileset_path(), "/opt/tarnu/.kps30.fls"},
        {kps.data_path(), "/opt/tarnu/.kps30.dat"},
        {kps.command_file(), cfg + KITSETUP_KARCH "/kps30cmd.cfg"},
        {kps.option_file(), cfg + "kps30ins.cfg"},
        {kps.subset_file(), cfg + "kps30prd.cfg"},
        {kps.preinstall_script(), cfg + "kps30pre.ins"},
        {kps.predeinstall_script(), cfg + "kps30pre.del"},
        {kps.install_script(), cfg + "kps30.ins"},
        {kps.deinstall_script(), cfg + "kps30.del"},
        {kps.setup_script(), cfg + "kps30.set"},
        {kps.release_notes_file(), std::string(HELP_DIR) + "/kps30rel.hlp"},
        {product::subset_options_file("base"), cfg + "base.cfg"},
        {product::subset_install_script("base"), cfg + "base.ins"},
        {product::subset_deinstall_script("base"), cfg + "base.del"},
    };
    for (const auto& [made, expected] : files)
        EXPECT_EQ(std::string(made), expected);

    product other(nullptr, "kps30");
    ASSERT_NE(kps.interpreter(), nullptr);
    EXPECT_NE(kps.interpreter(), other.interpreter()) << "each product has its own interpreter";
}

TEST_F(product_description, keys_in_capitals_and_small_letters_are_the_same_key)
{
    int status = 0;
    auto kps = reparse("CODE: abc\nversion: 12\nSHORT   description: Low\nbitmap: b\n", &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(recorder_.texts().empty());
    EXPECT_STREQ(kps->id(), "abc12");
    EXPECT_STREQ(kps->short_description(), "Low");
    EXPECT_STREQ(kps->bitmap(), "b");
}

TEST_F(product_description, comments_and_blank_lines_are_skipped_but_counted)
{
    int status = 0;
    auto kps = reparse("# Code: xy\n\n#plain\n   \nCode: kps\nVersion: 30\nColour: red\n", &status);
    EXPECT_EQ(status, -1);
    EXPECT_STREQ(kps->code(), "kps") << "the commented Code must not count";
    EXPECT_EQ(recorder_.texts(), strings{line_error(7)});
}

TEST_F(product_description, code_and_version_checks_give_their_line_numbers)
{
    int status = 0;
    auto kps = reparse("Code: kp\nVersion: 100\n", &status);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(recorder_.texts(),
              (strings{"Error parsing " + prd_path() +
                           ", the product code \"kp\" specified on line 1 is not a valid product code.",
                       "Error parsing " + prd_path() +
                           ", the version code \"100\" specified on line 2 is not in range."}));

    recorder_.clear();
    write_prd("Version: 00\nCode: kps\n");
    EXPECT_EQ(kps->parse_config(), 0);
    EXPECT_TRUE(recorder_.texts().empty());
    EXPECT_STREQ(kps->id(), "kps00");

    recorder_.clear();
    write_prd("Code: kps\n\nVersion: thirty\n");
    EXPECT_EQ(kps->parse_config(), -1);
    EXPECT_EQ(recorder_.texts(),
              (strings{"Error parsing " + prd_path() +
                           ", the version code \"thirty\" specified on line 3 is not an integer.",
                       "Unable to convert string \"thirty\" to integer. Defaulting to 0."}));
}

TEST_F(product_description, known_key_without_colon_takes_the_next_line)
{
    int status = 0;
    auto kps = reparse("Code\nkps\nVersion: 30\nSomething else\n", &status);
    EXPECT_STREQ(kps->code(), "kps");
    EXPECT_EQ(status, -1);
    EXPECT_EQ(recorder_.texts(), strings{line_error(3)}) << "numbering runs one behind";
}

TEST_F(product_description, flags_are_switched_on_only_by_true_values)
{
    int status = 0;
    auto kps = reparse("Code: kps\nVersion: 30\nInstallation Script: maybe\n"
                       "Deinstallation Script: N\nPre-Deinstallation Script: 0\n"
                       "Node Installation: Yes\n",
                       &status);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(recorder_.texts(),
              (strings{"Error parsing " + prd_path() +
                           ", \"Installation Script\" must be followed by a valid flag.",
                       line_error(6)}))
        << "Node Installation belongs to the data file only";
    EXPECT_FALSE(kps->needs_install());
    EXPECT_FALSE(kps->needs_deinstall());
    EXPECT_FALSE(kps->needs_predeinstall());

    recorder_.clear();
    EXPECT_EQ(kps->set_flag("1", PRODUCT_INSTALL_SCRIPT_STRING, "f"), 0);
    EXPECT_EQ(kps->set_flag("No", PRODUCT_INSTALL_SCRIPT_STRING, "f"), 0);
    EXPECT_TRUE(kps->needs_install()) << "a false value never clears a flag";
    EXPECT_EQ(kps->set_flag("yes", INSTALLED_TYPE_STRING, "f"), 0);
    EXPECT_TRUE(kps->node_installation());
    EXPECT_EQ(kps->set_flag("Y", "Colour", "f"), -1);
    EXPECT_TRUE(recorder_.texts().empty());
}

TEST_F(product_description, msg_texts_come_from_the_product_catalogue)
{
    write_prd("Code: kps\nVersion: 30\nDescription: msg_12\nShort Description: msg_13\n");
    {
        product without(nullptr, "kps30");
        EXPECT_STREQ(without.description(), "msg_12") << "kept as written without a catalogue";
        EXPECT_STREQ(without.short_description(), "msg_13");
    }
    make_catalogue(dir_ / "nls/C/" KITSETUP_KARCH "/kps30.cat",
                   "$quote \"\n$set 1\n12 \"Kit Print Server\"\n");
    product with(nullptr, "kps30");
    EXPECT_STREQ(with.description(), "Kit Print Server");
    EXPECT_STREQ(with.short_description(), "msg_13") << "a missing message keeps the text";
    EXPECT_TRUE(recorder_.texts().empty());
}

TEST_F(product_description, damaged_files_are_read_without_harm)
{
    write_prd("");
    {
        product empty(nullptr, "kps30");
        EXPECT_TRUE(recorder_.texts().empty()) << "an empty file has no bad line";
        EXPECT_STREQ(empty.id(), "");
    }

    int status = 0;
    auto kps = reparse("Code: kps\n", &status);
    recorder_.clear();
    const char junk[] = "\x7f" "ELF\x02\x01\0\0:junk\n\x89PNG\r\n\x1a\n";
    write_prd(std::string(junk, sizeof junk - 1));
    EXPECT_EQ(kps->parse_config(), -1);
    EXPECT_EQ(recorder_.texts(), (strings{line_error(1), line_error(2), line_error(3)}));

    recorder_.clear();
    std::string long_text(10000, 'x');
    write_prd(long_text + "\nDescription: " + long_text + "\nCode: kps\nVersion: 30");
    EXPECT_EQ(kps->parse_config(), -1);
    EXPECT_EQ(recorder_.texts(), strings{line_error(1)});
    EXPECT_EQ(kps->description().length(), 10000u);
    EXPECT_STREQ(kps->id(), "kps30") << "the last line needs no newline";

    recorder_.clear();
    write_prd("Code: abc\r\nVersion: 20\r\n# note: x\r\n\r\nPre-Installation Script: No\r\n");
    EXPECT_EQ(kps->parse_config(), 0);
    EXPECT_TRUE(recorder_.texts().empty());
    EXPECT_STREQ(kps->id(), "abc20");
}

TEST_F(product_description, missing_file_is_reported_with_the_system_error)
{
    int status = 0;
    auto kps = reparse("", &status);
    std::remove(prd_path().c_str());
    recorder_.clear();
    EXPECT_EQ(kps->parse_config(), 1);
    EXPECT_EQ(recorder_.texts(),
              strings{"Unable to open file " + prd_path() + ". No such file or directory"});
}

using product_description_DeathTest = product_description;

// Messages go to standard error once the recorder is taken away.
TEST_F(product_description_DeathTest, bad_lines_are_all_shown_then_the_failure_and_the_stop)
{
    write_prd("Code: kp\nColour: red\nVersion: 30\nSize: 3\n");
    EXPECT_EXIT(
        {
            set_message_catcher(nullptr);
            product kps(nullptr, "kps30");
        },
        testing::ExitedWithCode(255),
        "line 1 is not a valid product code.*Unable to parse line 2 in file.*"
        "Unable to parse line 4 in file.*Unable to parse file .*kps30.prd");
}

TEST_F(product_description_DeathTest, missing_description_file_stops_the_program)
{
    EXPECT_EXIT(
        {
            set_message_catcher(nullptr);
            product kps(nullptr, "zzz99");
        },
        testing::ExitedWithCode(255), "Unable to open file .*zzz99.prd.*Unable to parse file");
}

}  // namespace
