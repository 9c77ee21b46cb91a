#include "lib/listrstream.h"

#include "lib/word_reading.h"

listrstream::listrstream()
    : stream_(std::ios::in | std::ios::out), delimiters_(DEFAULT_DELIMITERS)
{
}

listrstream::listrstream(const listring& text)
    : stream_(text.c_str(), std::ios::in | std::ios::out | std::ios::ate),
      delimiters_(DEFAULT_DELIMITERS)
{
}

listring listrstream::str() const
{
    return listring(stream_.str().c_str());
}

void listrstream::word(listring* out)
{
    read_delimited_word(stream_, delimiters_, out);
}

void listrstream::rest_of_string(listring* out)
{
    out->empty();
    char c;
    while (stream_.get(c))
        *out += c;
}

// Words are joined by one space each; a word that meets the end of the text
// ends the list early, with its space already added.
void listrstream::nwords(int n, listring* out)
{
    out->empty();
    listring next;
    for (int i = 0; i < n; ++i) {
        word(&next);
        *out += next;
        if (i + 1 < n)
            *out += ' ';
        if (is_end_of_string())
            break;
    }
}

listrstream& listrstream::operator>>(listring& out)
{
    read_blank_delimited_word(stream_, out);
    return *this;
}
