// l_prim_opt_ui: the primary options dialog "primary_options_dialog": one
// image button per primary option of a product (a full, a minimal, a
// custom installation), with its name and description. Choosing one
// preselects the product's subsets and opens the installation options
// dialog. One instance, the_primary_options_ui, owned by the main window,
// works on the product create_cb was given; the options and their choice
// stay in that product's l_prim_opt. It holds the list instead of deriving
// from it because the model layer cannot create dialogs.
#ifndef KITSETUP_UI_L_PRIM_OPT_UI_H
#define KITSETUP_UI_L_PRIM_OPT_UI_H

#include <vector>

#include "toolkit/oiu_callback_multiple.h"
#include "ui/minimum_size.h"

class KOI_button;
class OI_d_tech;
class OI_dialog_box;
class prim_opt;
class product;

class l_prim_opt_ui : public OIU_callback_multiple {
public:
    l_prim_opt_ui() = default;
    l_prim_opt_ui(const l_prim_opt_ui&) = delete;
    l_prim_opt_ui& operator=(const l_prim_opt_ui&) = delete;

    // Builds one choice box per primary option of chosen, the first in the
    // box of the resource file, the others in copies of it. Finds the
    // dialog's parts on first use (a missing one ends the program).
    void create_cb(product& chosen);
    void popup();
    void popdown();

    // A click on the button of option (the argument): the option is
    // applied to the subsets and the installation options dialog follows.
    // Ignored while a choice is being handled.
    long option_btn_cb(OI_d_tech* origin, void* argument, long value);
    long cancel_btn_cb(OI_d_tech* origin, void* argument, long value);
    // "cancel_btn" takes the dialog down.
    long dialog_term_cb(OI_d_tech* origin, void* argument, long value);
    long help_btn_cb(OI_d_tech* origin, void* argument, long value);
    // Return: the highlighted option, or the first one when none is.
    long fire_selected(OI_d_tech* origin, void* argument, long value);
    long resize_cb(OI_d_tech* origin, void* argument, long value);
    long unpin_cb(OI_d_tech* origin, void* argument, long value);

private:
    void find_parts();
    // Puts option's texts and button into box.
    void fill_choice(OI_d_tech* box, prim_opt* option);
    void discard_choices();

    bool initialised_ = false;
    bool handling_ = false;
    product* prod_ = nullptr;
    OI_dialog_box* dialog_ = nullptr;
    OI_d_tech* container_ = nullptr;
    OI_d_tech* choice_box_ = nullptr;
    std::vector<OI_d_tech*> cloned_boxes_;
    std::vector<KOI_button*> buttons_;
    minimum_size minimum_;
};

extern l_prim_opt_ui* the_primary_options_ui;

#endif
