// Message catalogues: thin wrappers over catopen/catgets/catclose that find
// the nearest installed language for LANG (down to "C") and fall back to the
// built-in text when a message cannot be found.
#ifndef KITSETUP_MISC_UNIX_CAT_H
#define KITSETUP_MISC_UNIX_CAT_H

#include <nl_types.h>

#include "lib/listring.h"
#include "lib/msgs.h"

// Base name under which the program was invoked; names its catalogue.
extern listring ERROR_CATALOGUE;

// dir/<language>/file for the first language directory holding a readable
// file, trying the full LANG, LANG without its codeset, the language alone,
// then "C"; empty when none does. A LANG with "/" or ".." in it, empty or too
// long gives "C" alone, so the path never leaves dir. Catalogues, language
// resource files and help files are all found this way.
listring language_file(const listring& dir, const listring& file);

// Opens the catalogue MESSAGES_DIR/<language>/KARCH/name.cat that
// language_file finds. When the environment's locale is not installed, the
// process switches to "C" (environment and locale); that is worth a warning
// only when no catalogue was found either. CATALOGUE_FAILED on failure.
nl_catd unix_catopen(const listring& name, int flag);

// The message, or default_text when the handle is not open or lacks it.
const char* unix_catgets(nl_catd handle, int set, int number, const listring& default_text);

void unix_catclose(nl_catd handle);

// setlocale for all categories with the environment's locale succeeded.
liboolean unix_setlocale();

// A text read from a product's files: when it holds "msg_", it names message
// N (the integer after the first "_") of set 1 of the product's catalogue,
// and the whole text is the default; any other text is returned as it is.
listring catalogue_reference_text(nl_catd product_catalogue, const listring& text);

// Opens the installer's own catalogue into msg_file when no attempt was made
// yet, warning when that fails. Returns the warning's answer (true when the
// catalogue opened, or was tried before), so a caller may stop on "no".
liboolean open_installer_catalogue();

#endif
