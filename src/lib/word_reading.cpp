#include "lib/word_reading.h"

#include <cstring>
#include <iomanip>
#include <string>

int read_delimited_word(std::istream& in, const listring& delimiters, listring* out,
                        bool* met_nul)
{
    out->empty();
    char c;
    while (in.get(c)) {
        if (c == '\0') {
            if (met_nul != nullptr)
                *met_nul = true;
            continue;
        }
        if (std::strchr(delimiters, c) != nullptr)
            return static_cast<unsigned char>(c);
        *out += c;
    }
    return EOF;
}

void read_blank_delimited_word(std::istream& in, listring& out)
{
    std::string word;
    in >> std::setw(LONGEST_EXTRACTED_WORD) >> word;
    out = word.c_str();
}
