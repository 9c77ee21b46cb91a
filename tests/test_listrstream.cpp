// listrstream: composing text with insertions and splitting it into words.
#include <gtest/gtest.h>

#include <string>

#include "lib/listring.h"
#include "lib/listrstream.h"

// Each delimiter ends a word, so two give an empty one; nwords joins words
// and stops early at the end.
TEST(Listrstream, word_and_nwords_split_at_each_delimiter_and_stop_at_the_end)
{
    listrstream stream(listring("tar  -xvf\tc,d\nkps30:kxp20 x"));
    listring word;
    for (const char* expected : {"tar", "", "-xvf", "c,d"}) {
        stream.word(&word);
        EXPECT_STREQ(word.c_str(), expected);
        EXPECT_FALSE(stream.is_end_of_string()) << expected;
    }
    stream.set_delimiters(':');
    stream.word(&word);
    EXPECT_STREQ(word.c_str(), "kps30");
    stream.rest_of_string(&word);
    EXPECT_STREQ(word.c_str(), "kxp20 x");
    EXPECT_TRUE(stream.is_end_of_string());
    stream.word(&word);
    EXPECT_TRUE(word.is_empty());

    listrstream words(listring("one two three four"));
    word = "stale";
    words.nwords(0, &word);
    EXPECT_TRUE(word.is_empty());
    words.nwords(2, &word);
    EXPECT_STREQ(word.c_str(), "one two");
    words.nwords(5, &word);
    EXPECT_STREQ(word.c_str(), "three four ");
    EXPECT_TRUE(words.is_end_of_string());
}

TEST(Listrstream, extraction_skips_blanks_and_cuts_a_word_at_1023)
{
    std::string long_word = std::string(1022, 'q') + "LR" + std::string(476, 'q');
    listrstream stream(listring(("  \t" + long_word + "\n\nnext  ").c_str()));
    listring word;
    const std::string expected[] = {long_word.substr(0, 1023), long_word.substr(1023), "next", ""};
    for (const std::string& piece : expected) {
        stream >> word;
        EXPECT_EQ(std::string(word.c_str()), piece) << "length " << piece.size();
    }
}
