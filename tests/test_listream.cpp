// listream: reading configuration files by line, by piece of a long line and
// by word, with the end of line tracked for word readers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "lib/listream.h"
#include "lib/listring.h"
#include "misc/lidefs.h"

namespace {

// A private temporary directory, removed with its files at the end of the
// test.
class ListreamTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/listream_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr) << "mkdtemp failed";
        directory_ = pattern;
    }

    void TearDown() override
    {
        for (const std::string& file : files_)
            std::remove(file.c_str());
        if (!directory_.empty()) {
            EXPECT_EQ(rmdir(directory_.c_str()), 0) << "could not remove " << directory_;
        }
    }

    // Writes contents to a new file of the directory; returns its path.
    std::string write_file(const std::string& name, const std::string& contents)
    {
        std::string path = directory_ + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out << contents;
        files_.push_back(path);
        return path;
    }

    std::string directory_;
    std::vector<std::string> files_;
};

}  // namespace

TEST_F(ListreamTest, unopened_and_missing_files_are_not_open)
{
    listream unopened;
    EXPECT_FALSE(unopened.is_open());
    listring line("stale");
    unopened.getline(&line);
    EXPECT_TRUE(line.is_empty());
    listream missing((directory_ + "/no_such_file").c_str(), std::ios::in);
    EXPECT_FALSE(missing.is_open());
}

TEST_F(ListreamTest, getline_returns_lines_without_newline_then_empty)
{
    std::string path = write_file("lines", "PRODUCT kps30\n\nlast line\n");
    listream file(path.c_str(), std::ios::in);
    ASSERT_TRUE(file.is_open());
    listring line;
    file.getline(&line);
    EXPECT_STREQ(line.c_str(), "PRODUCT kps30");
    EXPECT_TRUE(file.is_end_of_line());
    file.getline(&line);
    EXPECT_TRUE(line.is_empty());
    EXPECT_FALSE(file.eof());
    file.getline(&line);
    EXPECT_STREQ(line.c_str(), "last line");
    file.getline(&line);
    EXPECT_TRUE(line.is_empty());
    EXPECT_TRUE(file.eof());
}

TEST_F(ListreamTest, getline_reads_a_long_line_in_pieces_of_999)
{
    std::string long_line(1500, 'x');
    long_line[998] = 'A';
    long_line[999] = 'B';
    std::string path = write_file("long", long_line + "\nnext\n");
    listream file(path.c_str());
    listring piece;
    file.getline(&piece);
    ASSERT_EQ(piece.length(), 999u);
    EXPECT_EQ(piece[998u], 'A');
    EXPECT_FALSE(file.is_end_of_line());
    file.getline(&piece);
    ASSERT_EQ(piece.length(), 501u);
    EXPECT_EQ(piece[0], 'B');
    EXPECT_TRUE(file.is_end_of_line());
    file.getline(&piece);
    EXPECT_STREQ(piece.c_str(), "next");
}

TEST_F(ListreamTest, getline_takes_a_line_of_exactly_999_with_its_newline)
{
    std::string path = write_file("exact", std::string(999, 'e') + "\nafter\n");
    listream file(path.c_str());
    listring line;
    file.getline(&line);
    EXPECT_EQ(line.length(), 999u);
    file.getline(&line);
    EXPECT_STREQ(line.c_str(), "after");
}

TEST_F(ListreamTest, getline_reads_a_last_line_without_newline)
{
    std::string path = write_file("no_newline", "first\nlast");
    listream file(path.c_str());
    listring line;
    file.getline(&line);
    EXPECT_STREQ(line.c_str(), "first");
    file.getline(&line);
    EXPECT_STREQ(line.c_str(), "last");
    EXPECT_TRUE(file.eof());
    file.getline(&line);
    EXPECT_TRUE(line.is_empty());
}

TEST_F(ListreamTest, getline_keeps_the_carriage_return_of_crlf_lines)
{
    std::string path = write_file("crlf", "KEY value\r\nOTHER x\r\n");
    listream file(path.c_str());
    listring line;
    file.getline(&line);
    EXPECT_STREQ(line.c_str(), "KEY value\r");
    line.clean();
    EXPECT_STREQ(line.c_str(), "KEY value");
    file.getline(&line);
    EXPECT_STREQ(line.c_str(), "OTHER x\r");
}

TEST_F(ListreamTest, word_remembers_the_end_of_the_line)
{
    std::string path = write_file("words", "tar  -xvf\nmt\n");
    listream file(path.c_str());
    listring word;
    file.word(&word);
    EXPECT_STREQ(word.c_str(), "tar");
    EXPECT_FALSE(file.is_end_of_line());
    file.word(&word);
    EXPECT_TRUE(word.is_empty());
    file.word(&word);
    EXPECT_STREQ(word.c_str(), "-xvf");
    EXPECT_TRUE(file.is_end_of_line());
    file.word(&word);
    EXPECT_STREQ(word.c_str(), "mt");
    EXPECT_TRUE(file.is_end_of_line());
    file.word(&word);
    EXPECT_TRUE(word.is_empty());
    EXPECT_FALSE(file.is_end_of_line());
    EXPECT_TRUE(file.eof());
}

TEST_F(ListreamTest, nwords_stops_at_the_end_of_the_line)
{
    std::string path = write_file("nwords", "a b c d\ne f\n");
    listream file(path.c_str());
    listring words;
    file.nwords(2, &words);
    EXPECT_STREQ(words.c_str(), "a b");
    file.nwords(5, &words);
    EXPECT_STREQ(words.c_str(), "c d ");
    EXPECT_TRUE(file.is_end_of_line());
    file.nwords(2, &words);
    EXPECT_STREQ(words.c_str(), "e f");
    file.nwords(0, &words);
    EXPECT_TRUE(words.is_empty());
}

TEST_F(ListreamTest, nwords_stops_at_the_end_of_the_file)
{
    std::string path = write_file("nwords_eof", "x y");
    listream file(path.c_str());
    listring words;
    file.nwords(4, &words);
    EXPECT_STREQ(words.c_str(), "x y ");
    EXPECT_TRUE(file.eof());
}

TEST_F(ListreamTest, rest_of_line_and_end_of_line)
{
    std::string path = write_file("rest", "KEY the rest  of it\nskipped line\nLAST x");
    listream file(path.c_str());
    listring text;
    file.word(&text);
    EXPECT_STREQ(text.c_str(), "KEY");
    file.rest_of_line(&text);
    EXPECT_STREQ(text.c_str(), "the rest  of it");
    EXPECT_TRUE(file.is_end_of_line());
    file.word(&text);
    EXPECT_STREQ(text.c_str(), "skipped");
    file.end_of_line();
    EXPECT_TRUE(file.is_end_of_line());
    file.word(&text);
    EXPECT_STREQ(text.c_str(), "LAST");
    file.end_of_line();
    EXPECT_TRUE(file.eof());
    file.rest_of_line(&text);
    EXPECT_TRUE(text.is_empty());
}

TEST_F(ListreamTest, delimiters_can_be_replaced_extended_and_restored)
{
    std::string path = write_file("delims", "a:b=c d\n");
    listream file(path.c_str());
    EXPECT_STREQ(file.delimiters().c_str(), DEFAULT_DELIMITERS.c_str());
    file.set_delimiters(':');
    listring word;
    file.word(&word);
    EXPECT_STREQ(word.c_str(), "a");
    file.add_delimiter('=');
    file.word(&word);
    EXPECT_STREQ(word.c_str(), "b");
    file.set_delimiters("=");
    file.default_delimiters();
    file.word(&word);
    EXPECT_STREQ(word.c_str(), "c");
    file.word(&word);
    EXPECT_STREQ(word.c_str(), "d");
    EXPECT_TRUE(file.is_end_of_line());
}

TEST_F(ListreamTest, reopening_reads_another_file_from_the_start)
{
    std::string first = write_file("first", "one\n");
    std::string second = write_file("second", "two\n");
    listream file(first.c_str());
    listring line;
    file.getline(&line);
    file.getline(&line);
    EXPECT_TRUE(file.eof());
    ASSERT_TRUE(file.open(second.c_str()));
    file.getline(&line);
    EXPECT_STREQ(line.c_str(), "two");
    file.close();
    EXPECT_FALSE(file.is_open());
}
