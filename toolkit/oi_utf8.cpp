#include "toolkit/oi_utf8.h"

namespace {

// The length of the sequence that lead starts, 1 for a stray byte.
size_t sequence_length(unsigned char lead)
{
    if (lead >= 0xf0 && lead < 0xf8)
        return 4;
    if (lead >= 0xe0)
        return lead < 0xf0 ? 3 : 1;
    if (lead >= 0xc0)
        return 2;
    return 1;
}

}  // namespace

std::vector<OI_utf8_character> OI_utf8_characters(const std::string& text)
{
    std::vector<OI_utf8_character> characters;
    size_t at = 0;
    while (at < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[at]);
        size_t length = sequence_length(lead);
        long code = length == 1 ? lead : lead & (0x7f >> length);
        bool valid = at + length <= text.size();
        for (size_t i = 1; valid && i < length; ++i) {
            unsigned char next = static_cast<unsigned char>(text[at + i]);
            valid = (next & 0xc0) == 0x80;
            code = (code << 6) | (next & 0x3f);
        }
        if (!valid) {
            length = 1;
            code = lead;
        }
        characters.push_back({code, text.substr(at, length)});
        at += length;
    }
    return characters;
}
