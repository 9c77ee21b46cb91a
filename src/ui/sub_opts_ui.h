// sub_opts_ui: the suboptions dialog "suboptions_dialog": for one selected
// subset with sub-options, the list of those available and the list of
// those chosen, between which the user moves them. One instance,
// the_suboptions_ui, owned by the main window, serves every subset in
// turn; the choices live in the subsets' own flags. It holds the subset
// instead of deriving from its set because the model layer cannot create
// dialogs. Which subsets were confirmed in the current chain is kept here.
#ifndef KITSETUP_UI_SUB_OPTS_UI_H
#define KITSETUP_UI_SUB_OPTS_UI_H

#include <set>

#include "toolkit/oiu_callback_multiple.h"
#include "ui/minimum_size.h"

class OI_d_tech;
class OI_dialog_box;
class OI_scroll_menu;
class product;
class subset;

class sub_opts_ui : public OIU_callback_multiple {
public:
    sub_opts_ui() = default;
    sub_opts_ui(const sub_opts_ui&) = delete;
    sub_opts_ui& operator=(const sub_opts_ui&) = delete;

    // Prepares the dialog for parent's sub-options: titles from its
    // description, every sub-option in the available list and those
    // already selected in the selected list. Finds the dialog's parts on
    // first use (a missing one ends the program).
    void create_cb(subset& parent);
    void popup();
    void popdown();

    // A new chain of suboptions dialogs starts: none is confirmed yet.
    void reset_displayed() { displayed_.clear(); }
    bool displayed(const subset* parent) const { return displayed_.count(parent) != 0; }
    // The first selected subset of p with sub-options whose dialog has not
    // been confirmed in this chain, or null.
    subset* next_subset(product& p) const;

    // Moves the highlighted available sub-options to the selected list
    // (each once) and selects them.
    long install_btn_cb(OI_d_tech* origin, void* argument, long value);
    // Every sub-option selected, each listed once.
    long install_all_btn_cb(OI_d_tech* origin, void* argument, long value);
    // The highlighted selected sub-options are deselected and leave the list.
    long remove_btn_cb(OI_d_tech* origin, void* argument, long value);
    long ok_btn_cb(OI_d_tech* origin, void* argument, long value);
    long cancel_btn_cb(OI_d_tech* origin, void* argument, long value);
    // "ok_btn": the next subset's dialog, or the continue dialog after the
    // last; "cancel_btn" takes the dialog down.
    long dialog_term_cb(OI_d_tech* origin, void* argument, long value);
    long help_btn_cb(OI_d_tech* origin, void* argument, long value);
    long resize_cb(OI_d_tech* origin, void* argument, long value);
    long unpin_cb(OI_d_tech* origin, void* argument, long value);

private:
    void find_parts();
    // Lists sub-option name in the selected list unless it is there.
    void add_selected(const subset& option);
    void select_suboption(const std::string& name, bool on);

    bool initialised_ = false;
    OI_dialog_box* dialog_ = nullptr;
    OI_scroll_menu* available_ = nullptr;
    OI_scroll_menu* selected_ = nullptr;
    subset* parent_ = nullptr;
    std::set<const subset*> displayed_;
    minimum_size minimum_;
};

extern sub_opts_ui* the_suboptions_ui;

#endif
