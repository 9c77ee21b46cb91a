// OI_poly_menu: a row or column of toggles, any number of them selected
// (selected_cells() gives them in menu order).
#ifndef KITSETUP_TOOLKIT_OI_POLY_MENU_H
#define KITSETUP_TOOLKIT_OI_POLY_MENU_H

#include "toolkit/oi_button_menu.h"

class OI_poly_menu : public OI_button_menu {
public:
    explicit OI_poly_menu(const std::string& name) : OI_button_menu(name) {}
    const char* class_name() const override { return "PolyMenu"; }

    OI_cell_type kind_of(const OI_menu_cell&) const override { return OI_TOGGLE_CELL; }
    // The selected cells' names as a list, in menu order.
    bool get_value_text(std::string* text) const override;

protected:
    OI_d_tech* copy_self() const override
    {
        auto* copy = new OI_poly_menu(name());
        copy_menu_settings_to(copy);
        return copy;
    }
};

#endif
