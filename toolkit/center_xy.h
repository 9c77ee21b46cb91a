// Placing a top-level object in the middle of the screen, once its size is
// known: the splash, the main window and every dialog.
#ifndef KITSETUP_TOOLKIT_CENTER_XY_H
#define KITSETUP_TOOLKIT_CENTER_XY_H

class OI_d_tech;

// Moves object so that it is centred on the screen; nothing without a
// connection or an object.
void center_xy(OI_d_tech* object);

#endif
