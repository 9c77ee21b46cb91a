// listrstream: an in-memory text stream, written with insertions and read
// back word by word into listrings. It owns its buffer and its delimiter set
// (initially DEFAULT_DELIMITERS: space, tab, newline).
#ifndef KITSETUP_LIB_LISTRSTREAM_H
#define KITSETUP_LIB_LISTRSTREAM_H

#include <ostream>
#include <sstream>

#include "lib/liboolean.h"
#include "lib/listring.h"

class listrstream {
public:
    // An empty stream that grows as it is written.
    listrstream();
    // A stream holding text, ready to be read.
    explicit listrstream(const listring& text);

    // Insertion as into a standard stream; returns this stream.
    template <typename T>
    listrstream& operator<<(const T& value)
    {
        stream_ << value;
        return *this;
    }
    listrstream& operator<<(const listring& text)
    {
        stream_ << text.c_str();
        return *this;
    }
    listrstream& operator<<(std::ostream& (*manipulator)(std::ostream&))
    {
        stream_ << manipulator;
        return *this;
    }

    // Everything written so far, up to the first NUL (messages are written
    // with a terminating NUL, as std::ends).
    listring str() const;

    // out = the characters up to the next delimiter, which is consumed and not
    // stored. Leading delimiters are not skipped: two in a row give an empty
    // word.
    void word(listring* out);

    // out = every character not read yet.
    void rest_of_string(listring* out);

    // out = the next n words joined by single spaces. When the stream ends
    // before n words, stops after the last word and its space; n <= 0 gives
    // the empty string.
    void nwords(int n, listring* out);

    // True once a read has met the end of the text.
    liboolean is_end_of_string() const { return stream_.eof(); }

    void set_delimiters(const char* delimiters) { delimiters_ = delimiters; }
    void set_delimiters(char delimiter) { delimiters_ = listring(delimiter); }
    const listring& delimiters() const { return delimiters_; }

    // The next blank-delimited word, at most 1023 characters; a longer word
    // is cut and its rest read by the next extraction. Empty at the end.
    listrstream& operator>>(listring& out);

private:
    std::stringstream stream_;
    listring delimiters_;
};

#endif
