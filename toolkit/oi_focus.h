// Handing the keyboard focus back to the terminal the program was started
// from, as the program ends.
#ifndef KITSETUP_TOOLKIT_OI_FOCUS_H
#define KITSETUP_TOOLKIT_OI_FOCUS_H

// Gives the input focus to window (an X window id), or, when it is 0, to the
// window under the pointer; that window is told it may take the focus
// (WM_PROTOCOLS = WM_TAKE_FOCUS). Nothing when there is no such window.
void OI_hand_back_focus(unsigned long window);

#endif
