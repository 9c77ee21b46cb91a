// The one way a dialog opens the online help: its Help button, F1 and the
// main window's help menu all come here with a help file and a context.
#ifndef KITSETUP_UI_HELP_REQUEST_H
#define KITSETUP_UI_HELP_REQUEST_H

#include "lib/listring.h"

// The context numbers of the installer's help file: one topic per dialog.
enum help_context : unsigned long {
    HELP_CONTENTS_TOPIC = 5,
    HELP_ACTIONS_TOPIC = 15,
    HELP_PRODUCT_TOPIC = 20,
    HELP_PRIMARY_OPTIONS_TOPIC = 25,
    HELP_INSTALL_OPTIONS_TOPIC = 30,
    HELP_SUBSETS_TOPIC = 35,
    HELP_PRINTERS_TOPIC = 35,
    HELP_CONTINUE_TOPIC = 40,
    HELP_DEINSTALL_TOPIC = 45,
    HELP_RELEASE_NOTES_TOPIC = 55,
    HELP_USER_SETUP_TOPIC = 60,
};

// Shows topic context of file (environment references expanded) in the help
// viewer, or, with contents set, the file's contents. A file that does not
// exist gets "Unable to open " and its name in an error box and nothing
// else: help is never worth stopping for.
void request_help(const listring& file, unsigned long context, bool contents = false);

#endif
