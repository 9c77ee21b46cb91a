#include "misc/lidefs.h"

#define LI_CONST(name, value) const listring name(value);
#include "misc/lidefs.def"
#undef LI_CONST

const char* const EMPTY_CHAR_STRING = "";

// Initialised from the literals rather than the DEFAULT_ constants: the
// order in which globals of one unit are built is fixed, but keeping the
// values independent makes that irrelevant.
listring INSTALL_DIR(".");
listring CONFIG_FILE_DIR("config");
listring ICONS_DIR("icons");
listring MESSAGES_DIR("nls");
listring HELP_DIR("hh");
listring BIN_DIR("bin");
listring MAP_DIR("map");
