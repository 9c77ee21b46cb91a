// Word reading shared by the two text streams: a word ends at a character of
// a delimiter set, or, for operator>>, at a blank.
#ifndef KITSETUP_LIB_WORD_READING_H
#define KITSETUP_LIB_WORD_READING_H

#include <cstdio>
#include <istream>

#include "lib/listring.h"

// Longest word that a >> extraction takes; the rest stays for the next one.
const unsigned LONGEST_EXTRACTED_WORD = 1023;

// out = the characters of in up to the next one in delimiters, which is
// consumed and not stored. Leading delimiters are not skipped. Returns the
// delimiter that ended the word, or EOF when the stream ended it. A NUL
// cannot be stored; *met_nul (when given) is set when the word held one.
int read_delimited_word(std::istream& in, const listring& delimiters, listring* out,
                        bool* met_nul = nullptr);

// out = the next blank-delimited word of in, at most LONGEST_EXTRACTED_WORD
// characters; empty when the stream holds no more words.
void read_blank_delimited_word(std::istream& in, listring& out);

#endif
