// Start-up, command line and shutdown: the process-wide state of a run and
// the functions that fix the directory layout and end the program.
#ifndef KITSETUP_UI_KITSETUP_H
#define KITSETUP_UI_KITSETUP_H

#include <nl_types.h>

#include "lib/listring.h"

// Base name under which the program was invoked; names its catalogue.
extern listring ERROR_CATALOGUE;
// The installer's catalogue: 0 until opened, CATALOGUE_FAILED after a
// failed open.
extern nl_catd msg_file;
// 0 until the toolkit is up; message functions write to standard error
// while it is 0.
extern int Xstarted;
extern const char* const kitsetup_ver;

// Runs the installer; returns only through shutdown.
int kitsetup_main(int argc, char** argv);

// Fixes the layout under dir: 0, or -1 when dir is not a directory.
int setup_directories(const listring& dir);

// Exports HHPATH, HOHPATH, KITSETUP_DIR and ICONS_DIR for children.
void setup_environment();

// Installs the orderly shutdown for SIGINT and quick_shutdown for SIGBUS,
// SIGSEGV and SIGABRT.
void handle_signals();

// The one orderly way out: saves what the run must keep and exits.
[[noreturn]] void shutdown(int status);

// The way out after a fatal signal: a message on standard error, exit 255.
[[noreturn]] void quick_shutdown(int signal_number);

#endif
