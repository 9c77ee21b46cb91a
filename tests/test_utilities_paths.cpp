// Path arithmetic and string conversions: directory expansion against the
// working directory, parent and top-level directories, flags and integers,
// file-name translation and the environment.
#include <gtest/gtest.h>

#include <pwd.h>
#include <string>
#include <vector>

#include "message_recorder.h"
#include "misc/utilities.h"
#include "toolkit/translate_filename.h"
#include "utilities_test_support.h"

using namespace utilities_test;

namespace {

std::string expanded(const char* path)
{
    listring text(path);
    expand_directory(text);
    return text.c_str();
}

std::string path_of(const char* path)
{
    listring dir("stale");
    get_path(path, dir);
    return dir.c_str();
}

std::string toplevel_of(const char* path)
{
    listring top("stale");
    get_toplevel_dir(path, top);
    return top.c_str();
}

class expanding_directories : public ::testing::Test {
protected:
    // Works in <scratch>/user/work, so that its parent is known too.
    void SetUp() override
    {
        ASSERT_TRUE(dir_.ok());
        ASSERT_EQ(mkdir((dir_ / "user").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((dir_ / "user/work").c_str(), 0755), 0);
        ASSERT_EQ(chdir((dir_ / "user/work").c_str()), 0);
        cwd_ = current_directory();
        parent_ = dir_ / "user/";
    }

    cwd_guard restore_cwd_;
    env_guard restore_home_{"HOME"};
    scratch_dir dir_;
    message_recorder recorder_;
    std::string cwd_;
    std::string parent_;
};

}  // namespace

TEST_F(expanding_directories, relative_forms_resolve_against_the_working_directory)
{
    EXPECT_EQ(expanded("../x"), parent_ + "x");
    EXPECT_EQ(expanded("./x"), cwd_ + "/x");
    EXPECT_EQ(expanded(".hidden/x"), cwd_ + "/.hidden/x");
    EXPECT_EQ(expanded("x/y/"), cwd_ + "/x/y");
    EXPECT_EQ(expanded("..x"), cwd_ + "/..x");
    EXPECT_EQ(expanded("."), cwd_);
    EXPECT_EQ(expanded("./"), cwd_);
    EXPECT_EQ(expanded(".."), parent_);
    EXPECT_EQ(expanded("../"), parent_);
    EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(expanding_directories, absolute_and_empty_paths_only_lose_a_trailing_slash)
{
    EXPECT_EQ(expanded("/opt/kit/"), "/opt/kit");
    EXPECT_EQ(expanded("/opt//"), "/opt/");
    EXPECT_EQ(expanded("/"), "/");
    EXPECT_EQ(expanded(""), "");
}

TEST_F(expanding_directories, environment_references_expand_first)
{
    setenv("HOME", "/home/tester", 1);
    EXPECT_EQ(expanded("$HOME/x"), "/home/tester/x");
    EXPECT_EQ(expanded("$HOME/"), "/home/tester");
    EXPECT_EQ(expanded("~/docs"), "/home/tester/docs");
}

TEST_F(expanding_directories, getcwd_buffer_follows_the_working_directory)
{
    char* first = unix_getcwd();
    EXPECT_EQ(std::string(first), cwd_);
    ASSERT_EQ(chdir(".."), 0);
    char* second = unix_getcwd();
    EXPECT_EQ(first, second) << "the buffer is allocated once and reused";
    EXPECT_EQ(std::string(second) + "/", parent_);
}

TEST(get_path, keeps_everything_up_to_the_last_slash)
{
    EXPECT_EQ(path_of("/a/b/c"), "/a/b/");
    EXPECT_EQ(path_of("a/b/"), "a/b/");
    EXPECT_EQ(path_of("/"), "/");
    EXPECT_EQ(path_of("file"), "");
    EXPECT_EQ(path_of(""), "");
}

TEST(get_toplevel_dir, finds_the_first_real_component)
{
    message_recorder recorder;
    EXPECT_EQ(toplevel_of("./lib/x.so"), "lib");
    EXPECT_EQ(toplevel_of("a/b"), "a");
    EXPECT_EQ(toplevel_of("./opt/x/y"), "opt");
    EXPECT_EQ(toplevel_of("x"), "x");
    EXPECT_EQ(toplevel_of("./"), "./");
    EXPECT_EQ(toplevel_of("./.hidden/x"), ".hidden/x");
    EXPECT_EQ(toplevel_of("../up/x"), "../up");
    EXPECT_EQ(toplevel_of("lib/"), "lib");
    EXPECT_TRUE(recorder.messages().empty());

    EXPECT_EQ(toplevel_of("/etc/passwd"), "");
    EXPECT_EQ(recorder.texts(),
              std::vector<std::string>{"It is illegal to put non-relative pathnames on the media. "
                                       "This file will be ignored."});
}

TEST(flags, yes_and_no_in_any_spelling)
{
    case_guard restore_case;
    message_recorder recorder;
    listring::case_sensitive_on();
    for (const char* word : {"yes", "Y", "1", "Yes", " y ", "YES"}) {
        EXPECT_TRUE(valid_flag(word)) << word;
        EXPECT_TRUE(string_to_boolean(word)) << word;
    }
    for (const char* word : {"No", "0", "n", "no"}) {
        EXPECT_TRUE(valid_flag(word)) << word;
        EXPECT_FALSE(string_to_boolean(word)) << word;
    }
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_TRUE(listring::is_case_sensitive()) << "the case switch must be restored";

    EXPECT_FALSE(valid_flag("maybe"));
    EXPECT_FALSE(valid_flag(""));
    EXPECT_FALSE(string_to_boolean("maybe"));
    EXPECT_EQ(recorder.texts(),
              std::vector<std::string>{"Unable to convert string \"maybe\" to boolean. Defaulting to False."});

    listring::case_sensitive_off();
    EXPECT_TRUE(string_to_boolean("y"));
    EXPECT_FALSE(listring::is_case_sensitive());
}

TEST(integers, decimal_prefix_or_complaint)
{
    message_recorder recorder;
    EXPECT_EQ(string_to_integer("007"), 7);
    EXPECT_EQ(string_to_integer("0"), 0);
    EXPECT_EQ(string_to_integer("12abc"), 12);
    EXPECT_EQ(string_to_integer(" -5 "), -5);
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_TRUE(valid_integer("0"));
    EXPECT_TRUE(valid_integer("42"));
    EXPECT_FALSE(valid_integer("abc"));
    EXPECT_FALSE(valid_integer(""));

    EXPECT_EQ(string_to_integer("abc"), 0);
    EXPECT_EQ(recorder.texts(),
              std::vector<std::string>{"Unable to convert string \"abc\" to integer. Defaulting to 0."});
}

TEST(translate_filename, expands_leading_variables_and_home_directories)
{
    env_guard restore_home("HOME");
    env_guard restore_variable("KIT_TEST_ICONS");
    setenv("HOME", "/home/tester", 1);
    setenv("KIT_TEST_ICONS", "/usr/share/kit/icons", 1);
    unsetenv("KIT_TEST_UNSET");

    auto translated = [](const char* name) { return std::string(OI_translate_filename(name).c_str()); };
    EXPECT_EQ(translated("$KIT_TEST_ICONS/splash"), "/usr/share/kit/icons/splash");
    EXPECT_EQ(translated("$KIT_TEST_ICONS"), "/usr/share/kit/icons");
    EXPECT_EQ(translated("$KIT_TEST_UNSET/splash"), "/splash");
    EXPECT_EQ(translated("~"), "/home/tester");
    EXPECT_EQ(translated("~/help.hlp"), "/home/tester/help.hlp");
    const passwd* root = getpwnam("root");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(translated("~root/x"), std::string(root->pw_dir) + "/x");
    EXPECT_EQ(translated("~no_such_user_kit/x"), "~no_such_user_kit/x");
    EXPECT_EQ(translated("icons/$KIT_TEST_ICONS"), "icons/$KIT_TEST_ICONS");
    EXPECT_EQ(translated("/abs/~x"), "/abs/~x");
    EXPECT_EQ(translated(""), "");
}

TEST(environment, putenv_keeps_its_own_copy)
{
    env_guard restore_variable("KIT_TEST_PUT");
    {
        listring entry("KIT_TEST_PUT=first value");
        EXPECT_EQ(unix_putenv(entry), 0);
        entry = "KIT_TEST_PUT=overwritten in place";
    }
    ASSERT_NE(unix_getenv("KIT_TEST_PUT"), nullptr);
    EXPECT_STREQ(unix_getenv("KIT_TEST_PUT"), "first value");
    unsetenv("KIT_TEST_PUT");
    EXPECT_EQ(unix_getenv("KIT_TEST_PUT"), nullptr);
}
