// What the transfer and working dialogs share: showing a message widened to
// its first line, making the main window busy while they are up, and the
// stop button's killing of the current product's children.
#ifndef KITSETUP_UI_PROGRESS_DIALOG_H
#define KITSETUP_UI_PROGRESS_DIALOG_H

#include <functional>

#include "lib/listring.h"

class OI_dialog_box;
class OI_multi_text;
class minimum_size;
class product;
class OI_callback;

// Puts message into text, read-only, on the dialog's background, the
// dialog wide enough for its longest line.
void show_progress_message(OI_dialog_box* dialog, OI_multi_text* text, const listring& message);

// The main window is busy while a progress dialog is up.
void set_main_window_busy(bool busy);

// The buttons of a progress dialog act by themselves: none of them, and
// not the window manager's close, takes it down.
void hold_progress_dialog(OI_dialog_box* dialog);
// Shows dialog with message, centred, the main window busy; its size now
// is the least it keeps (resize enforces it).
void show_progress_dialog(OI_dialog_box* dialog, OI_multi_text* text, const listring& message,
                          minimum_size& minimum, const OI_callback& resize);
// Takes dialog down and frees the main window.
void hide_progress_dialog(OI_dialog_box* dialog);

// Sends the kill signal to every child of p, in list order. A child that
// cannot be killed leaves the list, and the user is asked whether to go on
// with the work after all: true means yes, and the stop goes no further
// (the return is false then); otherwise give_up runs and the loop goes on.
// True when the stop is to go on.
bool kill_children(product* p, const std::function<void()>& give_up);

// The product a progress dialog works for; none ends the program with
// "Cannot access the selected product.".
product* checked_product(product* p);

#endif
