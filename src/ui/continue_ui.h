// continue_ui: the continue dialog "continue_dialog", the last stop before
// an installation copies anything: go starts it, setup goes back to the
// installation options. One instance, the_continue_ui, owned by the main
// window, works on the product it was last given.
#ifndef KITSETUP_UI_CONTINUE_UI_H
#define KITSETUP_UI_CONTINUE_UI_H

#include "toolkit/oiu_callback_multiple.h"
#include "ui/minimum_size.h"

class KOI_button;
class OI_d_tech;
class OI_dialog_box;
class product;

class continue_ui : public OIU_callback_multiple {
public:
    // Finds the dialog and its two image buttons (a missing one ends the
    // program) and sets them up (create_cb).
    continue_ui();
    continue_ui(const continue_ui&) = delete;
    continue_ui& operator=(const continue_ui&) = delete;

    // Binds the buttons, the window manager's close and the dialog's keys;
    // neither button starts highlighted.
    void create_cb();
    // Shows the dialog centred, the main window busy.
    void popup();
    void popdown();
    // The product to install; none ends the program.
    product* current_prod() const;
    void set_current_prod(product* p) { current_ = p; }

    // Starts the installation: the transfer dialog comes up unless nothing
    // is copied (file server, nothing selected). An installation that
    // cannot start takes it down again and leaves no records.
    long go_btn_cb(OI_d_tech* origin, void* argument, long value);
    // Back to the installation options as the user left them.
    long setup_btn_cb(OI_d_tech* origin, void* argument, long value);
    // "cancel_btn" takes the dialog down.
    long dialog_term_cb(OI_d_tech* origin, void* argument, long value);
    long help_btn_cb(OI_d_tech* origin, void* argument, long value);
    // Return: acts as a click on the highlighted image button, if any.
    long fire_selected(OI_d_tech* origin, void* argument, long value);
    long resize_cb(OI_d_tech* origin, void* argument, long value);
    long unpin_cb(OI_d_tech* origin, void* argument, long value);

private:
    OI_dialog_box* dialog_;
    KOI_button* go_icon_;
    KOI_button* setup_icon_;
    product* current_ = nullptr;
    minimum_size minimum_;
};

extern continue_ui* the_continue_ui;

#endif
