// listrstream: composing text with insertions and splitting it into words.
#include <gtest/gtest.h>

#include <string>

#include "lib/listrstream.h"
#include "lib/listring.h"

TEST(ListrstreamWrite, insertions_build_a_message_taken_out_with_str)
{
    listrstream message;
    listring product("kps30");
    message << "Installing " << product << " (" << 3 << " subsets)" << std::ends;
    EXPECT_STREQ(message.str().c_str(), "Installing kps30 (3 subsets)");
}

TEST(ListrstreamWrite, str_stops_at_the_terminating_nul)
{
    listrstream message;
    message << "first" << '\0' << "ignored";
    EXPECT_STREQ(message.str().c_str(), "first");
}

TEST(ListrstreamWord, two_delimiters_in_a_row_give_an_empty_word)
{
    listrstream stream;
    stream << "tar  cpio";
    listring word;
    stream.word(&word);
    EXPECT_STREQ(word.c_str(), "tar");
    stream.word(&word);
    EXPECT_TRUE(word.is_empty());
    EXPECT_FALSE(stream.is_end_of_string());
    stream.word(&word);
    EXPECT_STREQ(word.c_str(), "cpio");
    EXPECT_TRUE(stream.is_end_of_string());
    stream.word(&word);
    EXPECT_TRUE(word.is_empty());
}

TEST(ListrstreamWord, default_delimiters_are_space_tab_and_newline)
{
    listrstream stream(listring("a\tb\nc,d"));
    listring word;
    stream.word(&word);
    EXPECT_STREQ(word.c_str(), "a");
    stream.word(&word);
    EXPECT_STREQ(word.c_str(), "b");
    stream.word(&word);
    EXPECT_STREQ(word.c_str(), "c,d");
}

TEST(ListrstreamWord, set_delimiters_replaces_the_set)
{
    listrstream stream(listring("kps30:kxp20 x:y"));
    stream.set_delimiters(':');
    listring word;
    stream.word(&word);
    EXPECT_STREQ(word.c_str(), "kps30");
    stream.word(&word);
    EXPECT_STREQ(word.c_str(), "kxp20 x");
    stream.set_delimiters(" y");
    stream.rest_of_string(&word);
    EXPECT_STREQ(word.c_str(), "y");
    EXPECT_TRUE(stream.is_end_of_string());
}

TEST(ListrstreamWord, rest_of_string_takes_everything_left)
{
    listrstream stream(listring("COMMAND tar -xvf  /dev/rmt/0n"));
    listring word;
    stream.word(&word);
    stream.rest_of_string(&word);
    EXPECT_STREQ(word.c_str(), "tar -xvf  /dev/rmt/0n");
    stream.rest_of_string(&word);
    EXPECT_TRUE(word.is_empty());
}

TEST(ListrstreamNwords, joins_the_requested_words)
{
    listrstream stream(listring("one two three four"));
    listring words;
    stream.nwords(2, &words);
    EXPECT_STREQ(words.c_str(), "one two");
    stream.nwords(1, &words);
    EXPECT_STREQ(words.c_str(), "three");
}

TEST(ListrstreamNwords, stops_early_at_the_end_of_the_text)
{
    listrstream stream(listring("one two"));
    listring words;
    stream.nwords(5, &words);
    EXPECT_STREQ(words.c_str(), "one two ");
    EXPECT_TRUE(stream.is_end_of_string());
}

TEST(ListrstreamNwords, zero_or_negative_count_gives_the_empty_string)
{
    listrstream stream(listring("one two"));
    listring words("stale");
    stream.nwords(0, &words);
    EXPECT_TRUE(words.is_empty());
    stream.nwords(-2, &words);
    EXPECT_TRUE(words.is_empty());
    stream.word(&words);
    EXPECT_STREQ(words.c_str(), "one");
}

TEST(ListrstreamExtract, skips_blanks_and_reads_words)
{
    listrstream stream(listring("  \t first\n\nsecond  "));
    listring word;
    stream >> word;
    EXPECT_STREQ(word.c_str(), "first");
    stream >> word;
    EXPECT_STREQ(word.c_str(), "second");
    stream >> word;
    EXPECT_TRUE(word.is_empty());
}

TEST(ListrstreamExtract, long_word_is_cut_at_1023_characters)
{
    std::string long_word(1500, 'q');
    long_word[1022] = 'L';
    long_word[1023] = 'R';
    listrstream stream(listring((long_word + " next").c_str()));
    listring word;
    stream >> word;
    ASSERT_EQ(word.length(), 1023u);
    EXPECT_EQ(word[1022u], 'L');
    stream >> word;
    EXPECT_EQ(word.length(), 477u);
    EXPECT_EQ(word[0], 'R');
    stream >> word;
    EXPECT_STREQ(word.c_str(), "next");
}
