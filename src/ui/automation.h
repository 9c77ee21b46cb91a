// The automation interface through which tests and demos drive the program:
// with KITSETUP_AUTOMATION set, the program takes its value as its Tk
// application name and answers "send NAME automation ..." from another Tk
// program (shown, state, get, set, press, key, message, answer, log, quit),
// and "choose PRODUCT", which opens the option dialogs of an installation
// of that product as choosing it in the install selection would.
#ifndef KITSETUP_UI_AUTOMATION_H
#define KITSETUP_UI_AUTOMATION_H

// Installs the interface when KITSETUP_AUTOMATION is set; nothing otherwise.
void install_automation();

#endif
