// Path arithmetic and string conversions: directory expansion, parent and
// top-level directories, flags and integers, and file-name translation.
#include <gtest/gtest.h>


#include <pwd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "message_recorder.h"
#include "misc/utilities.h"
#include "misc/translate_filename.h"
#include "utilities_test_support.h"

using namespace utilities_test;

TEST(expand_directory, resolves_relative_forms_against_the_working_directory)
{
    temp_dir dir;
    state_guard restore;
    write_file(dir / "user/work/.keep", "");
    ASSERT_EQ(chdir((dir / "user/work").c_str()), 0);
    std::string cwd = std::filesystem::current_path().string();
    std::string parent = cwd.substr(0, cwd.rfind('/') + 1);
    const char* home = std::getenv("HOME");
    std::string rows[][2] = {
        {"../x", parent + "x"}, {"./x", cwd + "/x"}, {".hidden/x", cwd + "/.hidden/x"},
        {"x/y/", cwd + "/x/y"}, {"..x", cwd + "/..x"}, {".", cwd}, {"./", cwd}, {"..", parent},
        {"../", parent}, {"$HOME/x", std::string(home ? home : "") + "/x"}, {"/opt/kit/", "/opt/kit"},
        {"/opt//", "/opt/"}, {"/", "/"}, {"", ""},
    };
    message_recorder recorder;
    for (const auto& [path, expected] : rows) {
        listring text(path.c_str());
        expand_directory(text);
        EXPECT_EQ(std::string(text.c_str()), expected) << "\"" << path << "\"";
    }
    EXPECT_TRUE(recorder.messages().empty());
}

TEST(get_path_and_get_toplevel_dir, split_archive_member_names)
{
    message_recorder recorder;
    for (const auto& [path, expected] : std::vector<std::pair<const char*, const char*>>{
             {"/a/b/c", "/a/b/"}, {"a/b/", "a/b/"}, {"/", "/"}, {"file", ""}, {"", ""}}) {
        listring dir("stale");
        get_path(path, dir);
        EXPECT_STREQ(dir.c_str(), expected) << "get_path(\"" << path << "\")";
    }
    for (const auto& [path, expected] : std::vector<std::pair<const char*, const char*>>{
             {"./lib/x.so", "lib"}, {"a/b", "a"}, {"./opt/x/y", "opt"}, {"x", "x"}, {"./", "./"},
             {"./.hidden/x", ".hidden/x"}, {"../up/x", "../up"}, {"lib/", "lib"}, {"/etc/passwd", ""}}) {
        listring top("stale");
        get_toplevel_dir(path, top);
        EXPECT_STREQ(top.c_str(), expected) << "get_toplevel_dir(\"" << path << "\")";
    }
    EXPECT_EQ(recorder.texts(), std::vector<std::string>{"It is illegal to put non-relative pathnames "
                                                         "on the media. This file will be ignored."});
}

// Conversions ignore case whatever the program's setting, and put it back.
TEST(flags_and_integers, convert_or_complain_once)
{
    state_guard restore;
    listring::case_sensitive_on();
    message_recorder recorder;
    const struct { const char* text; bool valid, value; } flags[] = {
        {"yes", true, true}, {"Y", true, true}, {"1", true, true}, {" y ", true, true},
        {"No", true, false}, {"0", true, false}, {"n", true, false}, {"maybe", false, false}};
    for (const auto& row : flags) {
        EXPECT_EQ(valid_flag(row.text), row.valid) << row.text;
        EXPECT_EQ(string_to_boolean(row.text), row.value) << row.text;
    }
    EXPECT_TRUE(listring::is_case_sensitive()) << "the case switch was not restored";
    const struct { const char* text; bool valid; int value; } integers[] = {
        {"007", true, 7}, {"0", true, 0}, {"12abc", true, 12}, {" -5 ", true, -5}, {"abc", false, 0}};
    for (const auto& row : integers) {
        EXPECT_EQ(valid_integer(row.text), row.valid) << row.text;
        EXPECT_EQ(string_to_integer(row.text), row.value) << row.text;
    }
    EXPECT_EQ(recorder.texts(),
              (std::vector<std::string>{"Unable to convert string \"maybe\" to boolean. Defaulting to False.",
                                        "Unable to convert string \"abc\" to integer. Defaulting to 0."}));
}

TEST(translate_filename, expands_leading_variables_and_home_directories)
{
    const char* home = std::getenv("HOME");
    const passwd* root = getpwnam("root");
    ASSERT_TRUE(home != nullptr && root != nullptr);
    unsetenv("KIT_TEST_UNSET");
    for (const auto& [name, expected] : std::vector<std::pair<std::string, std::string>>{
             {"$HOME/splash", std::string(home) + "/splash"}, {"$KIT_TEST_UNSET/splash", "/splash"},
             {"~", home}, {"~/help.hlp", std::string(home) + "/help.hlp"},
             {"~root/x", std::string(root->pw_dir) + "/x"}, {"~no_such_user_kit/x", "~no_such_user_kit/x"},
             {"icons/$HOME", "icons/$HOME"}, {"/abs/~x", "/abs/~x"}, {"", ""}})
        EXPECT_EQ(std::string(OI_translate_filename(name.c_str()).c_str()), expected) << name;
}
