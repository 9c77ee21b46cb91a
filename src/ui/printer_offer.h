// The printer configuration as the installer and kpconfig run it: the
// printer resource file and its language copy loaded once, then the main
// printer dialog shown modally on a defaults file until the user leaves it.
#ifndef KITSETUP_UI_PRINTER_OFFER_H
#define KITSETUP_UI_PRINTER_OFFER_H

#include "xp/xp.h"

class product;

// Shows the printer dialogs on the defaults file of type. 0 when they ran,
// -1 when they could not start (after the advice to use kpconfig).
int run_printer_configuration(XpDefaults_t type);
// The end of a successful installation: the printer dialogs on the system
// defaults file. Set as the installation's printer offer at start-up.
void offer_printer_configuration(product& installed);

#endif
