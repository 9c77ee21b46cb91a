// OI_excl_menu: a row or column of exclusive choices: at most one cell is
// selected, and choosing one deselects the one chosen before.
#ifndef KITSETUP_TOOLKIT_OI_EXCL_MENU_H
#define KITSETUP_TOOLKIT_OI_EXCL_MENU_H

#include "toolkit/oi_button_menu.h"

class OI_excl_menu : public OI_button_menu {
public:
    explicit OI_excl_menu(const std::string& name) : OI_button_menu(name) {}
    const char* class_name() const override { return "ExclusiveMenu"; }

    OI_cell_type kind_of(const OI_menu_cell&) const override { return OI_EXCLUSIVE_CELL; }
    // The selected cell's name, or "" when none is selected.
    bool get_value_text(std::string* text) const override;

protected:
    OI_d_tech* copy_self() const override
    {
        auto* copy = new OI_excl_menu(name());
        copy_menu_settings_to(copy);
        return copy;
    }
};

#endif
