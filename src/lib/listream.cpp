#include "lib/listream.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "lib/word_reading.h"

namespace {

// The longest piece of a line that one getline call takes.
const unsigned LINE_PIECE_LENGTH = 999;

}  // namespace

listream::listream() : delimiters_(DEFAULT_DELIMITERS), last_char_(0)
{
}

listream::listream(const char* file, std::ios::openmode mode)
    : delimiters_(DEFAULT_DELIMITERS), last_char_(0)
{
    attach(file, mode);
}

listream::~listream()
{
    close();
}

liboolean listream::open(const char* file, std::ios::openmode mode)
{
    close();
    file_.clear();
    last_char_ = 0;
    lines_ = 0;
    nul_line_ = 0;
    attach(file, mode);
    return file_.is_open();
}

void listream::attach(const char* file, std::ios::openmode mode)
{
    struct stat info;
    if (stat(file, &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return;
    }
    file_.open(file, mode);
}

void listream::count(char c)
{
    if (c == '\n')
        ++lines_;
    else if (c == '\0')
        nul_line_ = lines_ + 1;
}

void listream::close()
{
    if (file_.is_open())
        file_.close();
}

// std::istream::getline stops after LINE_PIECE_LENGTH characters and marks
// the stream failed when the line goes on; that mark is cleared so the rest
// of the line is read by the next call.
void listream::getline(listring* out)
{
    char piece[LINE_PIECE_LENGTH + 1];
    piece[0] = '\0';
    file_.getline(piece, sizeof piece);
    std::streamsize taken = file_.gcount();
    // The newline is counted in taken but not stored; only a read that did
    // not fail took one.
    bool took_newline = taken > 0 && !file_.fail() && !file_.eof();
    if (file_.fail() && !file_.eof() && taken > 0)
        file_.clear(file_.rdstate() & ~std::ios::failbit);
    std::size_t stored = static_cast<std::size_t>(taken) - (took_newline ? 1 : 0);
    if (std::memchr(piece, '\0', stored) != nullptr)
        count('\0');
    *out = piece;
    if (took_newline)
        count('\n');
    if (taken > 0)
        last_char_ = took_newline ? '\n' : piece[stored - 1];
}

void listream::rest_of_line(listring* out)
{
    out->empty();
    char c;
    while (file_.get(c)) {
        last_char_ = c;
        count(c);
        if (c == '\n')
            return;
        *out += c;
    }
}

void listream::word(listring* out)
{
    bool met_nul = false;
    int ended_by = read_delimited_word(file_, delimiters_, out, &met_nul);
    if (met_nul)
        count('\0');
    last_char_ = ended_by == EOF ? '\0' : static_cast<char>(ended_by);
    if (ended_by != EOF)
        count(last_char_);
}

// Words are joined by one space each; a word that ends its line or the file
// ends the list early, with its space already added.
void listream::nwords(int n, listring* out)
{
    out->empty();
    listring next;
    for (int i = 0; i < n; ++i) {
        word(&next);
        *out += next;
        if (i + 1 < n)
            *out += ' ';
        if (is_end_of_line() || file_.eof())
            break;
    }
}

void listream::end_of_line()
{
    char c;
    while (file_.get(c)) {
        last_char_ = c;
        count(c);
        if (c == '\n')
            return;
    }
}

void listream::default_delimiters()
{
    delimiters_ = DEFAULT_DELIMITERS;
}

listream& listream::operator>>(listring& out)
{
    read_blank_delimited_word(file_, out);
    return *this;
}
