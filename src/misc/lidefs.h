// The installer's named constants: file suffixes, directory and environment
// names, shell commands, file keys, dialog object names. The values live in
// lidefs.def; they are part of the external interface (file formats,
// resource files, command lines). Only the seven directory variables change,
// when setup_directories fixes the layout.
#ifndef KITSETUP_MISC_LIDEFS_H
#define KITSETUP_MISC_LIDEFS_H

#include "lib/listring.h"

#define LI_CONST(name, value) extern const listring name;
#include "misc/lidefs.def"
#undef LI_CONST

extern const char* const EMPTY_CHAR_STRING;

// The directory layout, rewritten by setup_directories.
extern listring INSTALL_DIR;
extern listring CONFIG_FILE_DIR;
extern listring ICONS_DIR;
extern listring MESSAGES_DIR;
extern listring HELP_DIR;
extern listring BIN_DIR;
extern listring MAP_DIR;

#endif
