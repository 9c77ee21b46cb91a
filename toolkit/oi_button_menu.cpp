#include "toolkit/oi_button_menu.h"

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

bool OI_button_menu::horizontal() const
{
    if (orientation_set_)
        return horizontal_;
    return resource("orientation", "Orientation", "vertical") == "horizontal";
}

void OI_button_menu::set_horizontal(bool horizontal)
{
    orientation_set_ = true;
    horizontal_ = horizontal;
    if (realized() && horizontal != laid_out_horizontally_) {
        laid_out_horizontally_ = horizontal;
        regrid_default_children();
    }
}

void OI_button_menu::create_widget(const std::string& path)
{
    OI_tk::eval("frame " + path + " -borderwidth 0");
    laid_out_horizontally_ = horizontal();
}

OI_d_tech* OI_button_menu::copy_self() const
{
    auto* copy = new OI_button_menu(name());
    copy_menu_settings_to(copy);
    return copy;
}

void OI_button_menu::copy_menu_settings_to(OI_button_menu* copy) const
{
    copy->horizontal_ = horizontal_;
    copy->orientation_set_ = orientation_set_;
}

// The orientation resource may have changed with the database.
void OI_button_menu::apply_resources()
{
    OI_menu::apply_resources();
    if (horizontal() != laid_out_horizontally_) {
        laid_out_horizontally_ = horizontal();
        regrid_default_children();
    }
}

void OI_button_menu::default_grid_cell(const OI_d_tech*, int index, int* column, int* row) const
{
    *column = horizontal() ? index : 0;
    *row = horizontal() ? 0 : index;
}
