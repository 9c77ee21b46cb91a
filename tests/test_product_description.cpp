// Product description files: every field and check, each bad line reported by
// number before the failure, "msg_" texts from the product's own catalogue.
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "message_recorder.h"
#include "product_sandbox.h"
#include "run_program.h"
#include "misc/lidefs.h"
#include "prod/product.h"

namespace {

const char* const GOOD_FILE =
    "Code: kps\nVersion:   30  \nDescription: Kit:  Print   Server  \n"
    "Short Description: Printing\nBitmap: kps.xpm\nInstallation Script: yes\n"
    "Pre-Installation Script: Y\nDeinstallation Script: 1\nPre-Deinstallation Script: no\n";

class product_description : public ::testing::Test {
protected:
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
    product_sandbox sandbox_{dir_ / "config", dir_ / "nls"};
    message_recorder recorder_;
};

TEST_F(product_description, good_file_fills_every_field_and_names_the_files)
{
    write_prd(GOOD_FILE);
    product kps(nullptr, "kps30");
    EXPECT_TRUE(recorder_.texts().empty()) << recorder_.texts()[0];
    EXPECT_EQ(std::string(kps.code().c_str()) + "|" + kps.version_code().c_str() + "|" + kps.id().c_str() + "|" +
                  kps.description().c_str() + "|" + kps.short_description().c_str() + "|" + kps.bitmap().c_str(),
              "kps|30|kps30|Kit: Print Server|Printing|kps.xpm") << "description: colon kept, blanks cleaned";
    EXPECT_EQ((std::vector<bool>{kps.needs_install(), kps.needs_preinstall(), kps.needs_deinstall(),
                                 kps.needs_predeinstall()}),
              (std::vector<bool>{true, true, true, false}));

    // The files the initialise and set-up tests do not read already.
    const std::string cfg = dir_ / "config/";
    const std::pair<listring, std::string> files[] = {
        {kps.fileset_path(), "/opt/tarnu/.kps30.fls"}, {kps.preinstall_script(), cfg + "kps30pre.ins"},
        {kps.predeinstall_script(), cfg + "kps30pre.del"},
        {kps.install_script(), cfg + "kps30.ins"}, {kps.deinstall_script(), cfg + "kps30.del"},
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

// Each row replaces a good product's file and reads it again: the status,
// every message in order, and the id made of code and version.
TEST_F(product_description, lines_are_checked_and_bad_ones_reported_with_their_numbers)
{
    const std::string bad = "Error parsing " + prd_path() + ", ";
    const std::string long_text(10000, 'x');
    const char junk[] = "\x7f" "ELF\x02\x01\0\0:junk\n\x89PNG\r\n\x1a\n";
    const struct { const char* name; std::string text; int status; strings texts; const char* id; } rows[] = {
        {"keys in any case", "CODE: abc\nversion: 12\nSHORT   description: Low\nbitmap: b\n", 0, {}, "abc12"},
        {"comments and blanks counted", "# Code: xy\n\n#plain\n   \nCode: kps\nVersion: 30\nColour: red\n",
         -1, {line_error(7)}, "kps30"},
        {"bad code and version", "Code: kp\nVersion: 100\n", -1,
         {bad + "the product code \"kp\" specified on line 1 is not a valid product code.",
          bad + "the version code \"100\" specified on line 2 is not in range."}, nullptr},
        {"flags", "Code: kps\nVersion: 30\nInstallation Script: maybe\nNode Installation: Yes\n", -1,
         {bad + "\"Installation Script\" must be followed by a valid flag.", line_error(4)}, "kps30"},
        {"version 00", "Version: 00\nCode: kps\n", 0, {}, "kps00"},
        {"version not a number", "Code: kps\n\nVersion: thirty\n", -1,
         {bad + "the version code \"thirty\" specified on line 3 is not an integer.",
          "Unable to convert string \"thirty\" to integer. Defaulting to 0."}, nullptr},
        {"key without colon takes the next line, numbering one behind",
         "Code\nkps\nVersion: 30\nSomething else\n", -1, {line_error(3)}, "kps30"},
        {"binary", std::string(junk, sizeof junk - 1), -1,
         {line_error(1), line_error(2), line_error(3), bad + "no product code is specified.",
          bad + "no version code is specified."}, nullptr},
        {"a NUL cuts a known line", std::string("Code: kps\nVersion: 30\nDescription: A\0B\n", 39),
         -1, {line_error(3)}, "kps30"},
        {"code and version that would name other files", "Code: ../\nVersion: 3x\n", -1,
         {bad + "the product code \"../\" specified on line 1 is not a valid product code.",
          bad + "the version code \"3x\" specified on line 2 is not in range."}, nullptr},
        {"one digit", "Code: kps\nVersion: 7\n", -1,
         {bad + "the version code \"7\" specified on line 2 is not in range."}, nullptr},
        {"CR-only line ends", "Code: kps\rVersion: 30\r", -1,
         {bad + "the product code \"kps Version: 30\" specified on line 1 is not a valid product code.",
          bad + "no version code is specified."}, nullptr},
        {"empty", "", -1, {bad + "no product code is specified.", bad + "no version code is specified."}, nullptr},
        {"long lines, last without newline",
         long_text + "\nDescription: " + long_text + "\nCode: kps\nVersion: 30", -1, {line_error(1)}, "kps30"},
        {"CR line ends", "Code: abc\r\nVersion: 20\r\n# note: x\r\n\r\nPre-Installation Script: No\r\n",
         0, {}, "abc20"},
    };
    for (const auto& row : rows) {
        int status = 0;
        auto kps = reparse(row.text, &status);
        EXPECT_EQ(status, row.status) << row.name;
        EXPECT_EQ(recorder_.texts(), row.texts) << row.name;
        EXPECT_STREQ(row.id != nullptr ? kps->id().c_str() : nullptr, row.id) << row.name;
    }
    int status = 0;
    auto kps = reparse("CODE: abc\nSHORT   description: Low\nbitmap: b\nDescription: " + long_text, &status);
    EXPECT_EQ(std::string(kps->short_description().c_str()) + "|" + kps->bitmap().c_str() + "|" +
                  std::to_string(kps->description().length()), "Low|b|10000");
}

// Node Installation belongs to the data file only; a false value never
// clears a flag.
TEST_F(product_description, flags_are_switched_on_only_by_true_values)
{
    int status = 0;
    auto kps = reparse("Code: kps\nVersion: 30\nInstallation Script: maybe\n"
                       "Deinstallation Script: N\nPre-Deinstallation Script: 0\n", &status);
    EXPECT_FALSE(kps->needs_install() || kps->needs_deinstall() || kps->needs_predeinstall());
    recorder_.clear();
    EXPECT_EQ(kps->set_flag("1", PRODUCT_INSTALL_SCRIPT_STRING, "f"), 0);
    EXPECT_EQ(kps->set_flag("No", PRODUCT_INSTALL_SCRIPT_STRING, "f"), 0);
    EXPECT_TRUE(kps->needs_install());
    EXPECT_EQ(kps->set_flag("yes", INSTALLED_TYPE_STRING, "f"), 0);
    EXPECT_TRUE(kps->node_installation());
    EXPECT_EQ(kps->set_flag("Y", "Colour", "f"), -1);
    EXPECT_TRUE(recorder_.texts().empty());
}

// A message missing from the catalogue keeps the text as written.
TEST_F(product_description, msg_texts_come_from_the_product_catalogue)
{
    write_prd("Code: kps\nVersion: 30\nDescription: msg_12\nShort Description: msg_13\n");
    for (bool with : {false, true}) {
        if (with)
            make_catalogue(dir_ / "nls/C/" KITSETUP_KARCH "/kps30.cat",
                           "$quote \"\n$set 1\n12 \"Kit Print Server\"\n");
        product kps(nullptr, "kps30");
        EXPECT_STREQ(kps.description(), with ? "Kit Print Server" : "msg_12") << "catalogue " << with;
        EXPECT_STREQ(kps.short_description(), "msg_13") << "catalogue " << with;
    }
    EXPECT_TRUE(recorder_.texts().empty());
}

// A missing file or a directory in its place gives the system's error, and
// the read ends instead of looping on a stream that cannot be read.
TEST_F(product_description, missing_file_or_a_directory_in_its_place)
{
    write_prd("Code: kps\nVersion: 30\n");
    product kps(nullptr, "kps30");
    std::remove(prd_path().c_str());
    EXPECT_EQ(kps.parse_config(), 1);
    ASSERT_EQ(mkdir(prd_path().c_str(), 0755), 0);
    EXPECT_EQ(kps.parse_config(), 1);
    EXPECT_EQ(recorder_.texts(),
              (strings{"Unable to open file " + prd_path() + ". No such file or directory",
                       "Unable to open file " + prd_path() + ". Is a directory"}));
}

using product_description_DeathTest = product_description;

// Every bad line is shown before the stop; a missing file stops the program too.
TEST_F(product_description_DeathTest, a_bad_or_missing_description_file_stops_the_program)
{
    write_prd("Code: kp\nColour: red\nVersion: 30\nSize: 3\n");
    const std::pair<const char*, std::string> rows[] = {
        {"kps30", folded_pattern("line 1 is not a valid product code.") + ".*" +
                      folded_pattern("Unable to parse line 2 in file") + ".*" +
                      folded_pattern("Unable to parse line 4 in file") + ".*" +
                      folded_pattern("Unable to parse file") + ".*kps30\\.prd"},
        {"zzz99", folded_pattern("Unable to open file") + ".*zzz99\\.prd.*" + folded_pattern("Unable to parse file")}};
    for (const auto& [id, pattern] : rows)
        EXPECT_EXIT({ set_reporter(nullptr); product kps(nullptr, id); }, testing::ExitedWithCode(255), pattern);
}

}  // namespace
