// The key actions that move the highlight along a window's row of image
// buttons (the main window's four actions, a selection dialog's products).
// A window's icon list is its displayed image buttons in layout order; the
// highlighted one has its border drawn in its foreground colour, the others
// in their background colour.
#ifndef KITSETUP_UI_ACTIONS_H
#define KITSETUP_UI_ACTIONS_H

#include <vector>

class OI_d_tech;

// The displayed image buttons inside window, in tree order.
std::vector<OI_d_tech*> icon_list(const OI_d_tech* window);
bool is_highlighted(const OI_d_tech* icon);
// Highlights icon (on) or not; a highlighted icon in a scrolling box is
// scrolled into view.
void highlight(OI_d_tech* icon, bool on);

// "next_icon", "prev_icon": move the highlight to the next (previous) icon
// of the dialog or application window that holds origin, round from the
// last to the first; nothing when none is highlighted. A key pressed
// outside such a window gets "Object ... is not a dialog.".
long next_icon(OI_d_tech* origin, void* argument, long value);
long prev_icon(OI_d_tech* origin, void* argument, long value);
// "set_next_tab", "set_prev_tab" (the same): in a dialog box, toggles
// between its icon row (the first icon highlighted and focused) and its
// buttons (no icon highlighted, the first button focused).
long set_next_tab(OI_d_tech* origin, void* argument, long value);
long set_prev_tab(OI_d_tech* origin, void* argument, long value);

#endif
