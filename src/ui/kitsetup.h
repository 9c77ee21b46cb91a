// Start-up, command line and shutdown: the process-wide state of a run and
// the functions that fix the directory layout and end the program.
#ifndef KITSETUP_UI_KITSETUP_H
#define KITSETUP_UI_KITSETUP_H

#include "lib/listring.h"

class KOI_button;
class OI_connection;
class OI_d_tech;

// The icons every message box of a kind shows, lent to each box in turn.
extern KOI_button* CONFIRM_ICON;
extern KOI_button* ERROR_ICON;
extern KOI_button* INFO_ICON;
extern KOI_button* WARN_ICON;
extern const char* const kitsetup_ver;

// Runs the installer; returns only through shutdown.
int kitsetup_main(int argc, char** argv);

// Runs the printer configuration utility kpconfig: the installer's start-up,
// then the printer dialogs on the user's printer defaults file (the
// system's with -system) instead of the main window.
int kpconfig_main(int argc, char** argv);
// Fixes the layout under dir: 0, or -1 when dir is not a directory.
int setup_directories(const listring& dir);

// Exports HHPATH, HOHPATH, KITSETUP_DIR and ICONS_DIR for children.
void setup_environment();

// Merges the resource file at path and creates its top-level objects, each
// centred on the screen under parent (the root object when null). Returns
// them as a malloc'ed, null-terminated array (the caller frees it), or null
// when the file does not exist or declares none. A file that cannot be
// merged ends the program.
OI_d_tech** load_cf(OI_d_tech* parent, const char* path);

// Shows image (its "xpm" resource, else icon_file) centred in a box named
// title: the splash and the about box. Null when there is no picture.
OI_d_tech* display_splash(KOI_button* image, const listring& title, const listring& icon_file);

// Makes the four icons every message box shows, lent to each box in turn.
void create_message_icons();

// 0, or -1 when KARCH is unset and the warning is not answered with OK.
int setup_hyperhelp();

// SIGINT and SIGTERM end the program with the signal's number as status:
// through shutdown, run from the event loop, once the loop watches for them;
// at once before that, when there is nothing to save. SIGBUS, SIGSEGV and
// SIGABRT get quick_shutdown, its text taken from the catalogue now.
void handle_signals();

// The one orderly way out: saves what the run must keep and exits.
[[noreturn]] void shutdown(int status);

// The way out after a fatal signal: a message on standard error, exit 255.
[[noreturn]] void quick_shutdown(int signal_number);

#endif
