// The Tcl interpreters in which products run their scripts: creation with
// the TclX command set, registration of the dialog commands, running a
// script file and passing values to scripts as global variables.
// Interpreters are never deleted; each lives until the program ends.
#ifndef KITSETUP_TOI_TOI_INIT_H
#define KITSETUP_TOI_TOI_INIT_H

#include "lib/listring.h"

struct Tcl_Interp;

// A new interpreter with Tcl's and TclX's commands and the dialog commands,
// or null after an error message when Tcl or TclX cannot be initialised.
Tcl_Interp* create_interpreter();

// Registers the dialog commands in interp (the installer's "error" replaces
// Tcl's) and makes the program's string comparisons ignore case.
void initialise_interpreter(Tcl_Interp* interp);

// Runs the script file in interp. Returns -1 when the script fails (after
// showing the error and taking down any busy state it left), 1 when it
// returns "1" or "stop", 2 for "2" or "bypass", 0 for anything else.
int evaluate_file(Tcl_Interp* interp, const listring& file);

// Sets the global variable name to value: TCL_OK (0), or TCL_ERROR (1) when
// Tcl refuses.
int set_variable(Tcl_Interp* interp, const listring& name, const listring& value);

#endif
