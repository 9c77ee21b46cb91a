// The characters of UTF-8 texts, for the text classes that count, check or
// cut characters rather than bytes.
#ifndef KITSETUP_TOOLKIT_OI_UTF8_H
#define KITSETUP_TOOLKIT_OI_UTF8_H

#include <string>
#include <vector>

// One character: its Unicode value and its bytes in the text.
struct OI_utf8_character {
    long code;
    std::string bytes;
};

// The characters of text in order; a byte that starts no valid sequence
// stands for itself, so that nothing of the text is lost.
std::vector<OI_utf8_character> OI_utf8_characters(const std::string& text);

#endif
