// File-name translation: every help, icon and resource path
// goes through it, so users can write "$ICONS_DIR/splash" or "~/x".
#ifndef KITSETUP_MISC_TRANSLATE_FILENAME_H
#define KITSETUP_MISC_TRANSLATE_FILENAME_H

#include "lib/listring.h"

// name with a leading "$VAR" (up to the first "/") replaced by the variable's
// value, empty when unset, and a leading "~" or "~user" replaced by that
// home directory. Anything else, and "~user" of an unknown user, is returned
// unchanged.
listring OI_translate_filename(const listring& name);

#endif
