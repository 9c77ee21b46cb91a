#include "toolkit/oi_create.h"

#include "toolkit/oi_excl_menu.h"
#include "toolkit/oi_poly_menu.h"

OI_button_menu* oi_create_button_menu(const std::string& name, OI_menu_kind kind, bool horizontal)
{
    OI_button_menu* menu = nullptr;
    if (kind == OI_EXCLUSIVE_MENU)
        menu = new OI_excl_menu(name);
    else if (kind == OI_POLY_MENU)
        menu = new OI_poly_menu(name);
    else
        menu = new OI_button_menu(name);
    menu->set_horizontal(horizontal);
    return menu;
}

OI_menu_cell* oi_create_menu_cell(const std::string& name, const std::string& label,
                                  const OI_callback& action, OI_cell_type type)
{
    auto* cell = new OI_menu_cell(name);
    cell->set_label(label);
    cell->set_type(type);
    if (action)
        cell->change_action(action);
    return cell;
}

OI_scroll_menu* oi_create_scroll_menu(const std::string& name, int width, int view_rows, bool multiple)
{
    auto* menu = new OI_scroll_menu(name);
    menu->set_min_width(width);
    menu->set_view_size(view_rows);
    menu->set_multiple(multiple);
    return menu;
}

OI_box* oi_create_box(const std::string& name, int width, int height)
{
    auto* box = new OI_box(name);
    if (width > 0 && height > 0)
        box->set_size(width, height);
    return box;
}
