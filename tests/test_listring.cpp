// listring: capacity rule, case switch, editing operations, the fatal index
// check and line wrapping for message boxes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/listring.h"

namespace {

// Puts the process-wide switch back as the test found it, whatever the test
// did to it, so that later tests are not affected.
class case_switch_guard {
public:
    case_switch_guard() : saved_(listring::is_case_sensitive()) {}
    ~case_switch_guard()
    {
        if (saved_)
            listring::case_sensitive_on();
        else
            listring::case_sensitive_off();
    }

private:
    liboolean saved_;
};

int sign(int value)
{
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// Longest run of characters between newlines.
unsigned longest_line(const char* text)
{
    unsigned longest = 0;
    unsigned current = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        current = *p == '\n' ? 0 : current + 1;
        if (current > longest)
            longest = current;
    }
    return longest;
}

}  // namespace

TEST(ListringCapacity, follows_the_next_multiple_of_32_above_the_request)
{
    EXPECT_EQ(listring::capacity_for(0), 32u);
    EXPECT_EQ(listring::capacity_for(31), 32u);
    EXPECT_EQ(listring::capacity_for(32), 64u);
    EXPECT_EQ(listring::capacity_for(33), 64u);
    EXPECT_EQ(listring::capacity_for(63), 64u);
    EXPECT_EQ(listring::capacity_for(64), 96u);
}

TEST(ListringCapacity, constructors_ask_for_the_rule_size)
{
    EXPECT_EQ(listring().size_of(), 64u);
    EXPECT_EQ(listring('x').size_of(), 64u);
    listring from_null(static_cast<const char*>(nullptr));
    EXPECT_EQ(from_null.size_of(), 32u);
    EXPECT_TRUE(from_null.is_empty());
    EXPECT_STREQ(from_null.c_str(), "");
    EXPECT_EQ(listring("").size_of(), 32u);
    // 30 characters + NUL = 31 bytes; 31 characters + NUL = 32 bytes.
    EXPECT_EQ(listring(std::string(30, 'a').c_str()).size_of(), 32u);
    EXPECT_EQ(listring(std::string(31, 'a').c_str()).size_of(), 64u);
    listring source(std::string(40, 'b').c_str());
    EXPECT_EQ(listring(source).size_of(), 64u);
}

TEST(ListringCapacity, appending_a_character_grows_only_when_the_nul_no_longer_fits)
{
    listring text(std::string(30, 'a').c_str());
    ASSERT_EQ(text.size_of(), 32u);
    text += 'b';  // 31 characters + NUL fill the 32 bytes exactly
    EXPECT_EQ(text.size_of(), 32u);
    EXPECT_EQ(text.length(), 31u);
    text += 'c';
    EXPECT_EQ(text.size_of(), 64u);
    EXPECT_EQ(text.length(), 32u);
    EXPECT_EQ(std::string(text.c_str()), std::string(30, 'a') + "bc");
}

TEST(ListringCapacity, appending_a_string_grows_when_the_sum_reaches_the_capacity)
{
    listring text(std::string(20, 'a').c_str());
    ASSERT_EQ(text.size_of(), 32u);
    text += listring(std::string(11, 'b').c_str());  // 31 + NUL fits
    EXPECT_EQ(text.size_of(), 32u);
    text += listring("c");
    EXPECT_EQ(text.size_of(), 64u);
    text += listring(std::string(100, 'd').c_str());  // need 133 bytes
    EXPECT_EQ(text.size_of(), 160u);
    EXPECT_EQ(text.length(), 132u);
    EXPECT_EQ(std::strlen(text.c_str()), 132u);
}

TEST(ListringCapacity, appending_a_string_to_itself_doubles_it)
{
    listring text(std::string(25, 'x').c_str());
    text += text;
    EXPECT_EQ(std::string(text.c_str()), std::string(50, 'x'));
    text.add(text);
    EXPECT_EQ(text.length(), 100u);
}

TEST(ListringCapacity, assignment_and_empty_never_shrink_only_shrink_does)
{
    listring text;
    text = listring(std::string(63, 'a').c_str());  // 63 + NUL fits in 64
    EXPECT_EQ(text.size_of(), 64u);
    text = listring(std::string(64, 'a').c_str());
    EXPECT_EQ(text.size_of(), 96u);
    text = "short";
    EXPECT_EQ(text.size_of(), 96u);
    EXPECT_STREQ(text.c_str(), "short");
    text.shrink();
    EXPECT_EQ(text.size_of(), 32u);
    EXPECT_STREQ(text.c_str(), "short");
    text.empty();
    EXPECT_TRUE(!text);
    EXPECT_EQ(text.size_of(), 32u);
}

TEST(ListringCompare, switch_decides_whether_case_matters)
{
    case_switch_guard guard;
    listring::case_sensitive_on();
    EXPECT_NE(listring("install").compare("INSTALL"), 0);
    EXPECT_FALSE(listring("install") == "INSTALL");
    listring::case_sensitive_off();
    EXPECT_FALSE(listring::is_case_sensitive());
    EXPECT_EQ(listring("install").compare("INSTALL"), 0);
    EXPECT_TRUE(listring("install") == "InStAlL");
    EXPECT_TRUE("INSTALL" == listring("install"));
    listring::case_sensitive_on();
    EXPECT_TRUE(listring("install") != "INSTALL");
}

TEST(ListringCompare, orders_like_strcmp_in_both_modes)
{
    case_switch_guard guard;
    for (bool sensitive : {true, false}) {
        if (sensitive)
            listring::case_sensitive_on();
        else
            listring::case_sensitive_off();
        EXPECT_LT(listring("abc").compare("abd"), 0);
        EXPECT_GT(listring("abd").compare("abc"), 0);
        EXPECT_EQ(listring("abc").compare("abc"), 0);
        EXPECT_EQ(listring("").compare(""), 0);
    }
    listring::case_sensitive_on();
    EXPECT_EQ(sign(listring("abc").compare("ABC")), sign(std::strcmp("abc", "ABC")));
    EXPECT_LT(listring("ab").compare("abc"), 0);
}

TEST(ListringCompare, insensitive_prefix_is_not_equal_to_the_longer_string)
{
    case_switch_guard guard;
    listring::case_sensitive_off();
    EXPECT_LT(listring("kps").compare("KPS30"), 0);
    EXPECT_GT(listring("KPS30").compare("kps"), 0);
    EXPECT_NE(listring("").compare("a"), 0);
    // The result is the difference of the upper-cased characters.
    EXPECT_EQ(listring("a").compare("c"), 'A' - 'C');
    EXPECT_EQ(listring("kps3").compare("KPS"), '3');
}

TEST(ListringCaseSection, switches_on_for_its_life_and_restores)
{
    case_switch_guard guard;
    listring::case_sensitive_off();
    {
        case_sensitive_section exact;
        EXPECT_TRUE(listring::is_case_sensitive());
        EXPECT_NE(listring("a").compare("A"), 0);
    }
    EXPECT_FALSE(listring::is_case_sensitive());
    listring::case_sensitive_on();
    {
        case_sensitive_section exact;
        EXPECT_TRUE(listring::is_case_sensitive());
    }
    EXPECT_TRUE(listring::is_case_sensitive());
}

TEST(ListringCaseSection, insensitive_section_restores_the_sensitive_switch)
{
    case_switch_guard guard;
    listring::case_sensitive_on();
    {
        case_insensitive_section loose;
        EXPECT_FALSE(listring::is_case_sensitive());
        EXPECT_EQ(listring("a").compare("A"), 0);
    }
    EXPECT_TRUE(listring::is_case_sensitive());
    listring::case_sensitive_off();
    {
        case_insensitive_section loose;
    }
    EXPECT_FALSE(listring::is_case_sensitive());
}

TEST(ListringFind, finds_substrings_and_characters)
{
    case_switch_guard guard;
    listring::case_sensitive_on();
    listring text("/opt/tarnu/kps30.fs");
    EXPECT_EQ(text.find(listring("tarnu")), 5);
    EXPECT_EQ(text.find(listring("/")), 0);
    EXPECT_EQ(text.find(listring(".fs")), 16);
    EXPECT_EQ(text.find(listring("fs.")), -1);
    EXPECT_EQ(text.find(listring("/opt/tarnu/kps30.fs/")), -1);
    EXPECT_EQ(text.find(listring("")), 0);
    EXPECT_EQ(listring("").find(listring("")), 0);
    EXPECT_EQ(text.find('k'), 11);
    EXPECT_EQ(text.find('z'), -1);
    EXPECT_EQ(listring("aab").find(listring("ab")), 1);
}

TEST(ListringFind, follows_the_case_switch)
{
    case_switch_guard guard;
    listring text("release notes");
    listring::case_sensitive_off();
    EXPECT_EQ(text.find('N'), 8);
    EXPECT_EQ(text.find(listring("NOTES")), 8);
    EXPECT_EQ(listring("NOTES").find('t'), 2);
    listring::case_sensitive_on();
    EXPECT_EQ(text.find('N'), -1);
    EXPECT_EQ(text.find(listring("NOTES")), -1);
    EXPECT_EQ(text.find(listring("notes")), 8);
}

TEST(ListringEdit, substr_takes_what_is_there)
{
    listring text("kps30 release");
    listring out("previous");
    text.substr(0, 3, out);
    EXPECT_STREQ(out.c_str(), "kps");
    text.substr(6, 100, out);
    EXPECT_STREQ(out.c_str(), "release");
    text.substr(13, 2, out);
    EXPECT_TRUE(out.is_empty());
    out = "x";
    text.substr(50, 2, out);
    EXPECT_TRUE(out.is_empty());
    text.substr(3, 0, out);
    EXPECT_TRUE(out.is_empty());
}

TEST(ListringEdit, substr_into_itself_and_growth_of_a_small_output)
{
    listring text("abcdefgh");
    text.substr(2, 3, text);
    EXPECT_STREQ(text.c_str(), "cde");
    listring source(std::string(200, 'q').c_str());
    listring small(static_cast<const char*>(nullptr));
    source.substr(10, 150, small);
    EXPECT_EQ(small.length(), 150u);
    EXPECT_GE(small.size_of(), 151u);
}

TEST(ListringEdit, strips_all_four_blank_kinds)
{
    listring text(" \t\r\n word  other \r\n\t ");
    listring leading(text);
    leading.strip_leading_blanks();
    EXPECT_STREQ(leading.c_str(), "word  other \r\n\t ");
    listring trailing(text);
    trailing.strip_trailing_blanks();
    EXPECT_STREQ(trailing.c_str(), " \t\r\n word  other");
    text.strip_leading_and_trailing_blanks();
    EXPECT_STREQ(text.c_str(), "word  other");
    listring blanks(" \t \n");
    blanks.strip_leading_and_trailing_blanks();
    EXPECT_TRUE(blanks.is_empty());
}

TEST(ListringEdit, get_word_leaves_the_string_unchanged)
{
    listring text("tar\t-xvf file");
    listring word;
    text.get_word(word);
    EXPECT_STREQ(word.c_str(), "tar");
    EXPECT_STREQ(text.c_str(), "tar\t-xvf file");
    listring leading_blank(" x");
    leading_blank.get_word(word);
    EXPECT_TRUE(word.is_empty());
    listring single("alone");
    single.get_word(word);
    EXPECT_STREQ(word.c_str(), "alone");
}

TEST(ListringEdit, clean_trims_and_collapses_blank_runs)
{
    listring text("  \tKEY   =\t\t value  with\r\n  spaces \r\n");
    text.clean();
    EXPECT_STREQ(text.c_str(), "KEY = value with spaces");
    EXPECT_EQ(text.length(), std::strlen(text.c_str()));
    listring only_blanks(" \t\r\n ");
    only_blanks.clean();
    EXPECT_TRUE(only_blanks.is_empty());
    listring tidy("already tidy");
    tidy.clean();
    EXPECT_STREQ(tidy.c_str(), "already tidy");
    listring crlf_line("PRODUCT kps30\r");
    crlf_line.clean();
    EXPECT_STREQ(crlf_line.c_str(), "PRODUCT kps30");
}

TEST(ListringEdit, rest_of_string_on_paths)
{
    listring path("/opt/tarnu/kps30/bin");
    path.rest_of_string('/');
    EXPECT_STREQ(path.c_str(), "opt/tarnu/kps30/bin");
    while (path.find('/') >= 0)
        path.rest_of_string('/');
    EXPECT_STREQ(path.c_str(), "bin");
    path.rest_of_string('/');
    EXPECT_STREQ(path.c_str(), "bin");
    listring trailing("dir/");
    trailing.rest_of_string('/');
    EXPECT_TRUE(trailing.is_empty());
}

TEST(ListringEdit, rest_of_string_drops_a_count)
{
    listring text("msg_12");
    text.rest_of_string(4);
    EXPECT_STREQ(text.c_str(), "12");
    text.rest_of_string(0);
    EXPECT_STREQ(text.c_str(), "12");
    text.rest_of_string(-3);
    EXPECT_STREQ(text.c_str(), "12");
    text.rest_of_string(5);
    EXPECT_TRUE(text.is_empty());
}

TEST(ListringToken, walks_tokens_with_space_and_comma)
{
    listring text(", kps30, kxp20 ,,  kcc10");
    listring delimiters(" ,");
    listring first = text.token(delimiters);
    EXPECT_STREQ(first.c_str(), "kps30");
    EXPECT_STREQ(text.c_str(), ", kxp20 ,,  kcc10");
    EXPECT_STREQ(text.token(delimiters).c_str(), "kxp20");
    EXPECT_STREQ(text.token(delimiters).c_str(), "kcc10");
    EXPECT_TRUE(text.is_empty());
    EXPECT_TRUE(text.token(delimiters).is_empty());
}

TEST(ListringToken, only_delimiters_give_an_empty_token_and_string)
{
    listring text(" , ,");
    EXPECT_TRUE(text.token(listring(" ,")).is_empty());
    EXPECT_TRUE(text.is_empty());
}

TEST(ListringIndex, index_at_the_length_is_the_nul)
{
    listring text("abc");
    EXPECT_EQ(text.elem(0), 'a');
    EXPECT_EQ(text[2], 'c');
    EXPECT_EQ(text.elem(3), '\0');
    EXPECT_EQ(text[std::strlen("abc")], '\0');
}

TEST(ListringIndexDeathTest, index_past_the_length_ends_the_program)
{
    listring text("abcd");
    EXPECT_EXIT(text.elem(text.length() + 1), testing::ExitedWithCode(255),
                "listring: index 5 is out of range\\.");
    EXPECT_EXIT(text[17u], testing::ExitedWithCode(255), "index 17 is out");
    EXPECT_EXIT(listring().elem(1), testing::ExitedWithCode(255), "index 1 is out of range");
}

TEST(ListringFormat, long_sentence_is_wrapped_to_80_columns)
{
    std::string sentence;
    while (sentence.size() < 200)
        sentence += "copy the files ";
    sentence.resize(200);
    listring text(sentence.c_str());
    text.format_for_output();
    EXPECT_EQ(text.length(), 200u);
    EXPECT_LE(longest_line(text.c_str()), 80u) << text.c_str();
    EXPECT_NE(text.find('\n'), -1);
    // Only spaces were changed, and into newlines.
    for (unsigned i = 0; i < 200; ++i) {
        if (text[i] != sentence[i]) {
            EXPECT_EQ(sentence[i], ' ');
            EXPECT_EQ(text[i], '\n');
        }
    }
}

TEST(ListringFormat, lines_break_at_the_last_space_of_the_window)
{
    // 79 characters with an early space, a space at 79, then 76 more that
    // fit on one line: only the space at 79 may change.
    std::string first = "ab " + std::string(76, 'a');
    std::string second(50, 'b');
    std::string third(25, 'c');
    listring text((first + " " + second + " " + third).c_str());
    text.format_for_output();
    EXPECT_EQ(std::string(text.c_str()), first + "\n" + second + " " + third);
}

TEST(ListringFormat, short_text_and_one_long_word_are_unchanged)
{
    std::string word(100, 'w');
    listring long_word(word.c_str());
    long_word.format_for_output();
    EXPECT_EQ(std::string(long_word.c_str()), word);
    listring exactly80(std::string(40, 'a').append(" ").append(39, 'b').c_str());
    std::string before(exactly80.c_str());
    exactly80.format_for_output();
    EXPECT_EQ(std::string(exactly80.c_str()), before);
}

TEST(ListringFormat, long_word_gets_its_own_line)
{
    std::string word(100, 'w');
    listring text(("short " + word + " tail of the message").c_str());
    text.format_for_output();
    EXPECT_EQ(std::string(text.c_str()), "short\n" + word + "\ntail of the message");
}

TEST(ListringFormat, existing_newlines_count_as_line_breaks)
{
    std::string line(50, 'x');
    std::string words;
    while (words.size() < 150)
        words += "word ";
    words += "end";
    listring text((line + "\n" + line + "\n" + words).c_str());
    text.format_for_output();
    std::string result(text.c_str());
    EXPECT_EQ(result.substr(0, 102), line + "\n" + line + "\n");
    EXPECT_LE(longest_line(text.c_str()), 80u) << result;
}

TEST(ListringFormat, wrapping_restarts_after_an_existing_newline)
{
    std::string words;
    for (int i = 0; i < 30; ++i)
        words += "word ";
    listring text(("Error:\n" + words + "end").c_str());
    text.format_for_output();
    std::string result(text.c_str());
    // The second line starts at 7; its window ends at 86, the last space in it.
    EXPECT_EQ(result.substr(0, 7), "Error:\n");
    EXPECT_EQ(result.find('\n', 7), 86u) << result;
}

TEST(ListringFormat, a_final_space_is_not_turned_into_a_newline)
{
    std::string text_value = std::string(100, 'z') + " ";
    listring text(text_value.c_str());
    text.format_for_output();
    EXPECT_EQ(std::string(text.c_str()), text_value);
}
