// main_ui: the installer's main window "main_win" and what it owns: the log,
// transfer and working dialogs, the option dialogs of an installation and
// the continue dialog, the product list, the four action icons and the help menu (On
// Help, Contents, On Actions, About...). One instance, the_interface, made
// at start-up.
#ifndef KITSETUP_UI_MAIN_UI_H
#define KITSETUP_UI_MAIN_UI_H

#include <memory>

#include "toolkit/oiu_callback_multiple.h"
#include "ui/minimum_size.h"

class KOI_button;
class OI_app_window;
class OI_help_menu;
class continue_ui;
class l_del_prod_ui;
class l_inst_prod_ui;
class l_listring;
class l_prim_opt_ui;
class l_product;
class l_user_prod_ui;
class l_view_prod_ui;
class log_ui;
class prod_opts_ui;
class product;
class sub_opts_ui;
class transfer_ui;
class working_ui;

class main_ui : public OIU_callback_multiple {
public:
    // The four actions, in the order of their icons.
    enum action { install_action, deinstall_action, view_action, setup_action, action_count };

    // Creates the dialogs it owns, fills the product list
    // from the description files (no product to offer ends the program),
    // creates the four product selection dialogs and binds them to the
    // icons, then sets up the window (create_cb) and F1 in it.
    main_ui();
    ~main_ui() override;
    main_ui(const main_ui&) = delete;
    main_ui& operator=(const main_ui&) = delete;

    OI_app_window* main_window() const { return main_window_; }
    log_ui* log() const { return log_.get(); }
    transfer_ui* transfer() const { return transfer_.get(); }
    working_ui* working() const { return working_.get(); }
    l_product* products() const { return products_.get(); }
    // The identifiers found at start-up, in the order they were found.
    const l_listring* product_ids() const { return product_ids_.get(); }

    // Finds the window's parts on first use (a missing one ends the
    // program), fills the help menu, binds F1 and the icons, and remembers
    // the window's size as its minimum.
    void create_cb();
    // The help menu entries: help on help, the contents, the actions, the
    // about box; any other entry does nothing.
    long help_btn_cb(OI_d_tech* origin, void* argument, long value);
    // "activate_help" (F1): the help topic on the actions.
    long fire(OI_d_tech* origin, void* argument, long value);
    // What a click on an icon does: runs the action bound to it by
    // bind_action, if any.
    long icon_btn_cb(OI_d_tech* origin, void* argument, long value);
    // Makes popup what the icon of which does when clicked: the one place
    // where the product selection dialogs join the main window.
    void bind_action(action which, const OI_callback& popup);
    // The installation's choices for chosen: its primary options dialog
    // when it has primary options, else its installation options dialog.
    // A product not yet initialised is initialised first; one that cannot
    // be has shown why and gets no dialog.
    void choose_options(product& chosen);

    // Ends the program with status 0 (exit button, window manager's close).
    long exit_btn_cb(OI_d_tech* origin, void* argument, long value);
    long shutdown_app(OI_d_tech* origin, void* argument, long value);
    long log_btn_cb(OI_d_tech* origin, void* argument, long value);
    // Keeps the main window at least at its first size.
    long resize_cb(OI_d_tech* origin, void* argument, long value);

private:
    void setup_help();
    void show_about_box();

    OI_app_window* main_window_;
    OI_help_menu* help_menu_ = nullptr;
    KOI_button* icons_[action_count] = {};
    OI_callback actions_[action_count];
    std::unique_ptr<log_ui> log_;
    std::unique_ptr<transfer_ui> transfer_;
    std::unique_ptr<working_ui> working_;
    std::unique_ptr<continue_ui> continue_;
    std::unique_ptr<prod_opts_ui> options_;
    std::unique_ptr<l_prim_opt_ui> primary_options_;
    std::unique_ptr<sub_opts_ui> suboptions_;
    std::unique_ptr<l_product> products_;
    std::unique_ptr<l_listring> product_ids_;
    // The selection dialogs, in the order of the actions.
    std::unique_ptr<l_inst_prod_ui> install_dialog_;
    std::unique_ptr<l_del_prod_ui> deinstall_dialog_;
    std::unique_ptr<l_view_prod_ui> view_dialog_;
    std::unique_ptr<l_user_prod_ui> user_dialog_;
    minimum_size minimum_;
    bool initialised_ = false;
};

extern main_ui* the_interface;

#endif
