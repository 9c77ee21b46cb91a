// Queries on installed products: codes from file names, the target a data
// file records, and whether an unknown product is installed in a target.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "message_recorder.h"
#include "misc/utilities.h"
#include "utilities_test_support.h"

using namespace utilities_test;

// Codes are five characters, taken from data files and "<code>rel" notes;
// the list is emptied first and names compare with the case setting.
TEST(installed_records, codes_come_from_data_and_release_notes_files_and_the_target_from_its_last_entry)
{
    temp_dir dir;
    state_guard restore;
    message_recorder recorder;
    for (const char* name : {".kps30.dat", "readme.txt", "kps30rel.hlp", ".abc12.dat", "toolong1.dat", "kps30.fls",
                             "ab.dat", "xyz99rel.dat", "xyz99bad.hlp", ".KPS31.DAT"})
        write_file(dir / name, "");
    const struct { bool sensitive; const char* extension; std::vector<std::string> codes; } rows[] = {
        {true, ".dat", {"abc12", "kps30", "xyz99"}}, {true, ".hlp", {"kps30"}},
        {false, ".dat", {"KPS31", "abc12", "kps30", "xyz99"}}};
    for (const auto& row : rows) {
        row.sensitive ? listring::case_sensitive_on() : listring::case_sensitive_off();
        l_listring ids;
        listring stale("stale");
        ids.add(&stale);
        EXPECT_EQ(get_prod_ids_from_files(dir.path().c_str(), ids, row.extension), 0) << row.extension;
        std::vector<std::string> codes = take_strings(ids);
        std::sort(codes.begin(), codes.end());
        EXPECT_EQ(codes, row.codes) << row.extension << (row.sensitive ? "" : " ignoring case");
    }
    l_listring ids;
    EXPECT_EQ(get_prod_ids_from_files((dir / "missing").c_str(), ids, ".dat"), -1);
    EXPECT_TRUE(recorder.messages().empty()) << "a missing directory holds no products, silently";

    // The last target entry counts; a file without one leaves the target.
    write_file(dir / ".kps30.dat", "Target:\t/opt/first;\nOptions:\tbase docs ;\n"
                                   "TARGET:\t/opt/second dir ;\nNode Installation:\tYes;\n");
    write_file(dir / ".abc12.dat", "Options:\tbase ;\n");
    listring target("unchanged");
    EXPECT_EQ(get_installed_target((dir / ".kps30.dat").c_str(), &target), 0);
    EXPECT_STREQ(target.c_str(), "/opt/second dir");
    EXPECT_EQ(get_installed_target((dir / ".abc12.dat").c_str(), &target), 0);
    EXPECT_STREQ(target.c_str(), "/opt/second dir") << "a file without a target entry changed it";
    EXPECT_EQ(get_installed_target((dir / "missing").c_str(), &target), -1);
    EXPECT_EQ(recorder.texts(),
              strings{"Unable to open file " + (dir / "missing") + ". " + std::strerror(ENOENT)});
}

// /opt is an empty tmpfs in a private mount namespace, so that the real
// records are never touched. The check's numbers name the step that failed.
TEST(installed_prod_noconf, finds_an_unknown_product_in_the_target)
{
    int status = run_in_child([]() {
        message_recorder recorder;
        if (!private_opt_tarnu())
            return SKIP_STATUS;
        l_listring configured;
        listring known("kps30");
        configured.add(&known);
        write_file("/opt/tarnu/.kps30.dat", "Target:\t/opt/kps;\n");
        if (installed_prod_noconf(&configured, "/opt/kps") || installed_prod_noconf(&configured, "/opt/tarnu"))
            return 2;  // only the configured product is installed
        write_file("/opt/tarnu/.abc12.dat", "Target:\t/opt/abc;\n");
        if (!installed_prod_noconf(&configured, "/opt/abc") || installed_prod_noconf(&configured, "/opt/kps"))
            return 3;  // abc12 is unknown and in /opt/abc; /opt/kps holds a known one
        if (!installed_prod_noconf(&configured, "/opt/tarnu") || !installed_prod_noconf(nullptr, "/opt/kps"))
            return 4;  // the records directory always counts; with none configured all are unknown
        return recorder.messages().empty() ? 0 : 5;
    }, false, true);
    EXPECT_CHILD_PASSED(status, "installed products in a private /opt");
}
