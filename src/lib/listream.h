// listream: a file read line by line or word by word into listrings, as the
// configuration parsers do. It owns its file stream and its delimiter set
// (initially DEFAULT_DELIMITERS) and remembers the last character read, so
// that a reader of words knows when a line has ended.
#ifndef KITSETUP_LIB_LISTREAM_H
#define KITSETUP_LIB_LISTREAM_H

#include <fstream>

#include "lib/liboolean.h"
#include "lib/listring.h"

class listream {
public:
    // Unopened; open() attaches a file later.
    listream();
    // Opened on file with mode (std::ios::in to read); test is_open().
    listream(const char* file, std::ios::openmode mode = std::ios::in);
    ~listream();
    listream(const listream&) = delete;
    listream& operator=(const listream&) = delete;

    // Opens file with mode, closing any file open before; returns is_open().
    // A directory is not opened (errno EISDIR): reading one fails at once
    // and would never reach the end of a file.
    liboolean open(const char* file, std::ios::openmode mode = std::ios::in);
    void close();
    liboolean is_open() const { return file_.is_open(); }
    // True once a read has met the end of the file.
    liboolean eof() const { return file_.eof(); }
    // True while no read has failed or met the end of the file.
    liboolean good() const { return file_.good(); }
    // The line of the last NUL byte read so far, or 0. A NUL cannot be
    // part of a text, so the readers report its line as a bad one.
    unsigned nul_line() const { return nul_line_; }

    // out = the next line without its newline, at most 999 characters; the
    // rest of a longer line is left for the next call. A carriage return
    // before the newline is kept. Empty at end of file.
    void getline(listring* out);

    // out = the characters up to the next newline (consumed, not stored) or
    // the end of the file, however many.
    void rest_of_line(listring* out);

    // out = the characters up to the next delimiter, which is consumed, not
    // stored, and remembered for is_end_of_line. Two delimiters in a row give
    // an empty word.
    void word(listring* out);

    // out = the next n words joined by single spaces. When the line or the
    // file ends before n words, stops after the last word and its space.
    void nwords(int n, listring* out);

    // Skips to just after the next newline, or to the end of the file.
    void end_of_line();

    // True when the last character read was a newline.
    liboolean is_end_of_line() const { return last_char_ == '\n'; }

    void set_delimiters(const char* delimiters) { delimiters_ = delimiters; }
    void set_delimiters(char delimiter) { delimiters_ = listring(delimiter); }
    void default_delimiters();
    void add_delimiter(char delimiter) { delimiters_ += delimiter; }
    const listring& delimiters() const { return delimiters_; }

    // The next blank-delimited word, at most 1023 characters; empty at the
    // end of the file.
    listream& operator>>(listring& out);

private:
    void attach(const char* file, std::ios::openmode mode);
    // Notes the character c just read: a newline ends a line, a NUL is
    // remembered.
    void count(char c);

    std::fstream file_;
    listring delimiters_;
    char last_char_;
    unsigned lines_ = 0;
    unsigned nul_line_ = 0;
};

#endif
