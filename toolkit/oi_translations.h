// Translation tables: the X toolkit's way of binding keys and pointer
// buttons to named actions ("<KeyPress>F1: activate_help()"), read into Tk
// event sequences that an object binds on its widget.
#ifndef KITSETUP_TOOLKIT_OI_TRANSLATIONS_H
#define KITSETUP_TOOLKIT_OI_TRANSLATIONS_H

#include <string>
#include <vector>

// One line of a table: the Tk event sequence and the actions it runs, in
// order (names only; the parameters in the parentheses are not used).
struct OI_translation {
    std::string sequence;
    std::vector<std::string> actions;
};

// Reads text, lines separated by newlines or by the two characters "\n" as
// resource files write them; a leading "#override", "#augment" or
// "#replace" is accepted and empty lines are skipped. Returns false with
// *reason saying which line is wrong (table then undefined).
bool OI_parse_translations(const std::string& text, std::vector<OI_translation>* table,
                           std::string* reason);

#endif
