// listream: reading configuration files by line, by piece of a long line and
// by word, with the end of line tracked for word readers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/listream.h"
#include "lib/listring.h"
#include "run_program.h"

namespace {

// The getline pieces of a file holding contents, read until a call yields
// nothing more; each ends in "\n" when is_end_of_line() said its line ended.
std::vector<std::string> pieces_of(const std::string& contents)
{
    temp_dir dir;
    write_file(dir / "lines", contents);
    listream file((dir / "lines").c_str());
    EXPECT_TRUE(file.is_open());
    std::vector<std::string> pieces;
    listring piece;
    for (file.getline(&piece); !piece.is_empty() || file.good(); file.getline(&piece))
        pieces.push_back(std::string(piece.c_str()) + (file.is_end_of_line() ? "\n" : ""));
    return pieces;
}

}  // namespace

TEST(Listream, getline_reads_lines_and_long_lines_in_pieces_of_999)
{
    std::string long_line = std::string(998, 'x') + "AB" + std::string(500, 'x');
    const struct { const char* name; std::string text; std::vector<std::string> pieces; } rows[] = {
        {"plain lines", "PRODUCT kps30\n\nlast line\n", {"PRODUCT kps30\n", "\n", "last line\n"}},
        {"no final newline", "first\nlast", {"first\n", "last"}},
        {"CRLF", "KEY value\r\nOTHER x\r\n", {"KEY value\r\n", "OTHER x\r\n"}},
        {"1500 characters", long_line + "\nnext\n",
         {long_line.substr(0, 999), long_line.substr(999) + "\n", "next\n"}},
        {"exactly 999", std::string(999, 'e') + "\nafter\n",
         {std::string(999, 'e') + "\n", "after\n"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(pieces_of(row.text), row.pieces) << row.name;
}

// Word readers see where a line ends; reopening after the end of one file
// reads the next from its start.
TEST(Listream, word_readers_stop_at_the_end_of_the_line_and_reopening_reads_the_new_file)
{
    temp_dir dir;
    write_file(dir / "words", "tar  -xvf\na b c d\ne f");
    write_file(dir / "rest", "KEY the rest  of it\nskipped line\na:b=c\n");
    listream file((dir / "words").c_str());
    listring text;
    for (const char* expected : {"tar", "", "-xvf"}) {  // two delimiters: an empty word
        EXPECT_FALSE(file.is_end_of_line()) << expected;
        file.word(&text);
        EXPECT_STREQ(text.c_str(), expected);
    }
    EXPECT_TRUE(file.is_end_of_line());
    for (const auto& [count, expected] :
         {std::pair(2, "a b"), std::pair(5, "c d "), std::pair(5, "e f ")}) {
        file.nwords(count, &text);
        EXPECT_STREQ(text.c_str(), expected) << count << " words";
    }
    EXPECT_TRUE(file.eof());

    ASSERT_TRUE(file.open((dir / "rest").c_str()));
    file.word(&text);
    EXPECT_STREQ(text.c_str(), "KEY");
    file.rest_of_line(&text);
    EXPECT_STREQ(text.c_str(), "the rest  of it");
    file.end_of_line();
    file.set_delimiters(':');
    file.word(&text);
    EXPECT_STREQ(text.c_str(), "a");
    file.add_delimiter('=');
    file.word(&text);
    EXPECT_STREQ(text.c_str(), "b");
    EXPECT_FALSE(file.open((dir / "missing").c_str()));
}
