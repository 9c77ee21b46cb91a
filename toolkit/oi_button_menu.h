// OI_button_menu: a row or a column of menu cells (resource "orientation:
// horizontal|vertical", vertical by default). Each cell behaves as its type
// says; the exclusive and poly menus and the button box build on it.
#ifndef KITSETUP_TOOLKIT_OI_BUTTON_MENU_H
#define KITSETUP_TOOLKIT_OI_BUTTON_MENU_H

#include "toolkit/oi_menu.h"

class OI_button_menu : public OI_menu {
public:
    explicit OI_button_menu(const std::string& name) : OI_menu(name) {}
    const char* class_name() const override { return "ButtonMenu"; }

    // Cells side by side (true) or one above the other (false); before
    // set_horizontal, the "orientation" resource decides.
    virtual bool horizontal() const;
    void set_horizontal(bool horizontal);

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void default_grid_cell(const OI_d_tech* child, int index, int* column, int* row) const override;
    // Gives copy this menu's own settings (for the copy_self of subclasses).
    void copy_menu_settings_to(OI_button_menu* copy) const;

private:
    bool horizontal_ = false;
    bool orientation_set_ = false;
    bool laid_out_horizontally_ = false;
};

#endif
