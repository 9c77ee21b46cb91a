// listrstream: composing text with insertions and splitting it into words.
#include <gtest/gtest.h>

#include <string>

#include "lib/listring.h"
#include "lib/listrstream.h"

TEST(Listrstream, word_splits_at_each_delimiter_so_two_give_an_empty_word)
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
}

TEST(Listrstream, nwords_joins_words_and_stops_early_at_the_end)
{
    listrstream stream(listring("one two three four"));
    listring words("stale");
    stream.nwords(0, &words);
    EXPECT_TRUE(words.is_empty());
    stream.nwords(2, &words);
    EXPECT_STREQ(words.c_str(), "one two");
    stream.nwords(5, &words);
    EXPECT_STREQ(words.c_str(), "three four ");
    EXPECT_TRUE(stream.is_end_of_string());
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
