// listring: appending, case switch, editing operations, the fatal index
// check and line wrapping for message boxes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/listring.h"
#include "run_program.h"
#include "utilities_test_support.h"

namespace {

// Sets the process-wide case switch; a test's state_guard puts it back.
void set_case(bool sensitive)
{
    sensitive ? listring::case_sensitive_on() : listring::case_sensitive_off();
}

std::string repeat(const std::string& text, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

std::string formatted(const std::string& text)
{
    listring result(text.c_str());
    result.format_for_output();
    return result.c_str();
}

}  // namespace

TEST(ListringAppend, growing_keeps_the_text_even_when_appending_itself)
{
    listring text(std::string(30, 'a').c_str());
    text += 'b';
    text += 'c';
    EXPECT_EQ(std::string(text.c_str()), std::string(30, 'a') + "bc");
    listring joined(std::string(20, 'a').c_str());
    joined += listring(std::string(11, 'b').c_str());
    joined += listring("c");
    EXPECT_EQ(std::string(joined.c_str()), std::string(20, 'a') + std::string(11, 'b') + "c");
    listring self(std::string(25, 'x').c_str());
    self += self;
    EXPECT_EQ(std::string(self.c_str()), std::string(50, 'x'));
}

// Comparison orders like strcmp, find gives the first position; both ignore
// case while the switch is off.
TEST(ListringCompare, compare_and_find_follow_the_case_switch)
{
    utilities_test::state_guard guard;
    const struct { bool sensitive; const char* left; const char* right; int sign; } rows[] = {
        {true, "install", "INSTALL", 1}, {true, "ab", "abc", -1}, {true, "abc", "abd", -1},
        {true, "", "", 0}, {false, "install", "InStAlL", 0}, {false, "abc", "ABD", -1},
        {false, "ABD", "abc", 1}, {false, "", "", 0}, {false, "", "a", -1},
        {false, "kps", "KPS30", -1}, {false, "KPS30", "kps", 1},  // a prefix is not equal
    };
    for (const auto& row : rows) {
        set_case(row.sensitive);
        int result = listring(row.left).compare(row.right);
        EXPECT_EQ((result > 0) - (result < 0), row.sign) << row.left << " vs " << row.right;
    }
    listring path("/opt/tarnu/kps30.fs");
    const struct { const char* needle; int exact, any_case; } finds[] = {
        {"tarnu", 5, 5}, {"TARNU", -1, 5}, {".fs", 16, 16}, {"fs.", -1, -1},
        {"/opt/tarnu/kps30.fs/", -1, -1}, {"", 0, 0}, {"/", 0, 0}, {"K", -1, 11},
    };
    for (const auto& row : finds)
        for (bool sensitive : {true, false}) {
            set_case(sensitive);
            int expected = sensitive ? row.exact : row.any_case;
            EXPECT_EQ(path.find(listring(row.needle)), expected) << row.needle << sensitive;
            if (std::strlen(row.needle) == 1) {
                EXPECT_EQ(path.find(row.needle[0]), expected) << "character " << row.needle;
            }
        }
    EXPECT_EQ(listring("aab").find(listring("ab")), 1);
}

TEST(ListringEdit, substr_takes_what_is_there_even_into_itself)
{
    listring text("kps30 release");
    const struct { unsigned pos, n; const char* expected; } rows[] = {
        {0, 3, "kps"}, {6, 100, "release"}, {13, 2, ""}, {50, 2, ""}, {3, 0, ""},
    };
    for (const auto& row : rows) {
        listring out("stale");
        text.substr(row.pos, row.n, out);
        EXPECT_STREQ(out.c_str(), row.expected) << "pos " << row.pos << ", n " << row.n;
    }
    text.substr(6, 3, text);
    EXPECT_STREQ(text.c_str(), "rel");
}

TEST(ListringEdit, clean_trims_and_collapses_every_kind_of_blank_run)
{
    const struct { const char* input; const char* expected; } rows[] = {
        {"  \tKEY   =\t\t value  with\r\n  spaces \r\n", "KEY = value with spaces"},
        {" \t\r\n ", ""}, {"already tidy", "already tidy"}, {"PRODUCT kps30\r", "PRODUCT kps30"},
    };
    for (const auto& row : rows) {
        listring text(row.input);
        text.clean();
        EXPECT_STREQ(text.c_str(), row.expected) << row.expected;
        EXPECT_EQ(text.length(), std::strlen(row.expected)) << row.expected;
    }
}

TEST(ListringEdit, rest_of_string_and_token_walk_a_path_and_a_list)
{
    listring path("/opt/tarnu/kps30/bin");
    path.rest_of_string('/');
    ASSERT_STREQ(path.c_str(), "opt/tarnu/kps30/bin");  // or the walk below never ends
    while (path.find('/') >= 0)
        path.rest_of_string('/');
    EXPECT_STREQ(path.c_str(), "bin");
    path.rest_of_string('/');  // no '/' left: unchanged
    EXPECT_STREQ(path.c_str(), "bin");

    listring text(", kps30, kxp20 ,,  kcc10");
    listring delimiters(" ,");
    EXPECT_STREQ(text.token(delimiters).c_str(), "kps30");
    EXPECT_STREQ(text.c_str(), ", kxp20 ,,  kcc10");
    EXPECT_STREQ(text.token(delimiters).c_str(), "kxp20");
    EXPECT_STREQ(text.token(delimiters).c_str(), "kcc10");
    EXPECT_TRUE(text.is_empty()) << text.c_str();
}

TEST(ListringIndexDeathTest, index_past_the_nul_ends_the_program)
{
    listring text("abcd");
    EXPECT_EQ(text.elem(text.length()), '\0');
    EXPECT_EXIT(text.elem(text.length() + 1), testing::ExitedWithCode(255),
                folded_pattern("listring: index 5 is out of range."));
}

TEST(ListringFormat, breaks_at_the_last_space_of_each_window)
{
    const std::string first = "ab " + std::string(76, 'a');  // 79, with an early space
    const std::string tail = std::string(50, 'b') + " " + std::string(25, 'c');
    const std::string word(100, 'w');
    const std::string lines = std::string(50, 'x') + "\n" + std::string(50, 'x') + "\n";
    const std::string words = repeat("word ", 30) + "end";
    const std::string wrapped = repeat("word ", 15) + "word\n" + repeat("word ", 14) + "end";
    const std::string fits = std::string(40, 'a') + " " + std::string(39, 'b');
    const struct { const char* name; std::string input, expected; } rows[] = {
        {"last space, not the first", first + " " + tail, first + "\n" + tail},
        {"a 100-character word", word, word},
        {"80 characters", fits, fits},
        {"a final space", word + " ", word + " "},
        {"a long word between others", "short " + word + " tail", "short\n" + word + "\ntail"},
        {"a newline inside the window", "Error:\n" + words, "Error:\n" + wrapped},
        {"embedded newlines", lines + words, lines + wrapped},
    };
    for (const auto& row : rows)
        EXPECT_EQ(formatted(row.input), row.expected) << row.name;
}
