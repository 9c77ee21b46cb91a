// main_ui: the installer's main window "main_win" and what it owns: the log
// dialog and the product list; the actions and the product dialogs join it
// as they are built. One instance, the_interface, made at start-up.
#ifndef KITSETUP_UI_MAIN_UI_H
#define KITSETUP_UI_MAIN_UI_H

#include <memory>

#include "toolkit/oiu_callback_multiple.h"

class OI_app_window;
class l_listring;
class l_product;
class log_ui;

class main_ui : public OIU_callback_multiple {
public:
    // Finds the main window (a missing one ends the program), creates the
    // log dialog and fills the product list from the description files; no
    // product to offer ends the program.
    main_ui();
    ~main_ui() override;
    main_ui(const main_ui&) = delete;
    main_ui& operator=(const main_ui&) = delete;

    OI_app_window* main_window() const { return main_window_; }
    log_ui* log() const { return log_.get(); }
    l_product* products() const { return products_.get(); }
    // The identifiers found at start-up, in the order they were found.
    const l_listring* product_ids() const { return product_ids_.get(); }

    // Ends the program with status 0 (exit button, window manager's close).
    long exit_btn_cb(OI_d_tech* origin, void* argument, long value);
    long shutdown_app(OI_d_tech* origin, void* argument, long value);
    long log_btn_cb(OI_d_tech* origin, void* argument, long value);
    // Keeps the main window at least at its first size.
    long resize_cb(OI_d_tech* origin, void* argument, long value);

private:
    OI_app_window* main_window_;
    std::unique_ptr<log_ui> log_;
    std::unique_ptr<l_product> products_;
    std::unique_ptr<l_listring> product_ids_;
    int minimum_width_ = 0;
    int minimum_height_ = 0;
};

extern main_ui* the_interface;

#endif
