// Queries on installed products: product codes from file names, the target
// recorded in a data file, and whether an unknown product is installed in a
// target (checked against a private /opt/tarnu).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "message_recorder.h"
#include "misc/utilities.h"
#include "utilities_test_support.h"

using namespace utilities_test;

namespace {

std::vector<std::string> sorted_ids(const std::string& dir, const char* extension, int* status)
{
    l_listring ids;
    *status = get_prod_ids_from_files(dir.c_str(), ids, extension);
    std::vector<std::string> result = take_strings(ids);
    std::sort(result.begin(), result.end());
    return result;
}

class installed_products : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.ok()); }

    scratch_dir dir_;
    message_recorder recorder_;
    case_guard restore_case_;
};

}  // namespace

TEST_F(installed_products, codes_come_from_data_and_release_notes_files)
{
    for (const char* name : {".kps30.dat", "readme.txt", "kps30rel.hlp", ".abc12.dat", "toolong1.dat",
                             "kps30.fls", "ab.dat", "xyz99rel.dat", "xyz99bad.hlp"})
        ASSERT_TRUE(write_text(dir_ / name, ""));
    int status = -1;
    EXPECT_EQ(sorted_ids(dir_.path(), ".dat", &status),
              (std::vector<std::string>{"abc12", "kps30", "xyz99"}));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(sorted_ids(dir_.path(), ".hlp", &status), std::vector<std::string>{"kps30"});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(installed_products, code_list_is_emptied_first_and_follows_the_case_setting)
{
    ASSERT_TRUE(write_text(dir_ / ".KPS30.DAT", ""));
    l_listring ids;
    listring stale("stale");
    ids.add(&stale);
    listring::case_sensitive_on();
    EXPECT_EQ(get_prod_ids_from_files(dir_.path().c_str(), ids, ".dat"), 0);
    EXPECT_EQ(take_strings(ids), std::vector<std::string>{});

    listring::case_sensitive_off();
    EXPECT_EQ(get_prod_ids_from_files(dir_.path().c_str(), ids, ".dat"), 0);
    EXPECT_EQ(take_strings(ids), std::vector<std::string>{"KPS30"});
}

TEST_F(installed_products, missing_directory_gives_no_codes_silently)
{
    l_listring ids;
    EXPECT_EQ(get_prod_ids_from_files((dir_ / "missing").c_str(), ids, ".dat"), -1);
    EXPECT_EQ(ids.entries(), 0u);
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(installed_products, last_target_entry_wins)
{
    std::string data_file = dir_ / ".kps30.dat";
    ASSERT_TRUE(write_text(data_file, "Target:\t/opt/first;\nOptions:\tbase docs ;\n"
                                      "TARGET:\t/opt/second dir ;\nNode Installation:\tYes;\n"));
    listring::case_sensitive_on();
    listring target("unchanged");
    EXPECT_EQ(get_installed_target(data_file.c_str(), &target), 0);
    EXPECT_STREQ(target.c_str(), "/opt/second dir");
    EXPECT_TRUE(listring::is_case_sensitive()) << "the case switch must be restored";

    std::string no_target = dir_ / ".abc12.dat";
    ASSERT_TRUE(write_text(no_target, "Options:\tbase ;\n"));
    target = "unchanged";
    EXPECT_EQ(get_installed_target(no_target.c_str(), &target), 0);
    EXPECT_STREQ(target.c_str(), "unchanged");
    EXPECT_TRUE(recorder_.messages().empty());

    std::string missing = dir_ / ".missing.dat";
    EXPECT_EQ(get_installed_target(missing.c_str(), &target), -1);
    EXPECT_EQ(recorder_.texts(), std::vector<std::string>{"Unable to open file " + missing + ". " +
                                                          std::strerror(ENOENT)});
}

// /opt/tarnu is replaced by an empty tmpfs in a private mount namespace, so
// the real records are never touched.
TEST_F(installed_products, unknown_product_in_the_target_is_found)
{
    int status = run_in_private_namespace([]() {
        message_recorder recorder;
        if (mount("kit_opt", "/opt", "tmpfs", 0, "size=1m") != 0 || mkdir("/opt/tarnu", 0755) != 0)
            return SKIP_STATUS;
        l_listring configured;
        listring known("kps30");
        configured.add(&known);

        if (installed_prod_noconf(&configured, "/opt/tarnu"))
            return 1;  // no data files at all
        write_text("/opt/tarnu/.kps30.dat", "Target:\t/opt/kps;\n");
        if (installed_prod_noconf(&configured, "/opt/kps"))
            return 2;  // only the configured product is installed
        write_text("/opt/tarnu/.abc12.dat", "Target:\t/opt/abc;\n");
        if (!installed_prod_noconf(&configured, "/opt/abc"))
            return 3;  // abc12 is unknown and installed there
        if (installed_prod_noconf(&configured, "/opt/kps"))
            return 4;  // the product in /opt/kps is a known one
        if (!installed_prod_noconf(&configured, "/opt/tarnu"))
            return 5;  // the records directory itself always counts
        if (!installed_prod_noconf(nullptr, "/opt/kps"))
            return 6;  // with nothing configured every product is unknown
        if (!recorder.messages().empty())
            return 7;
        return 0;
    });
    if (status == SKIP_STATUS)
        GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(status, 0) << "check " << status << " failed (see the comments in the check)";
}
