#include "toolkit/oi_poly_menu.h"

#include "toolkit/oi_connection.h"

bool OI_poly_menu::get_value_text(std::string* text) const
{
    std::vector<std::string> names;
    for (OI_menu_cell* cell : selected_cells())
        names.push_back(cell->name());
    *text = OI_list(names);
    return true;
}
