// Creating menus, cells, scrolling lists and boxes at run time, for dialogs
// whose contents depend on the data (option lists, printer lists). Each
// returns a new object attached nowhere: the caller attaches it (add_cell,
// set_associated_object, layout_associated_object) and owns it until then.
#ifndef KITSETUP_TOOLKIT_OI_CREATE_H
#define KITSETUP_TOOLKIT_OI_CREATE_H

#include <string>

#include "toolkit/oi_box.h"
#include "toolkit/oi_button_menu.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_scroll_menu.h"

// Which button menu oi_create_button_menu makes.
enum OI_menu_kind { OI_BUTTON_MENU = 0, OI_EXCLUSIVE_MENU = 1, OI_POLY_MENU = 2 };

// A button menu (an OI_excl_menu or OI_poly_menu for those kinds), its cells
// side by side when horizontal is true, else one above the other.
OI_button_menu* oi_create_button_menu(const std::string& name, OI_menu_kind kind = OI_BUTTON_MENU,
                                      bool horizontal = false);

// A cell showing label, of type, whose press runs action (which may be empty).
OI_menu_cell* oi_create_menu_cell(const std::string& name, const std::string& label,
                                  const OI_callback& action, OI_cell_type type = OI_PUSH_CELL);

// A scrolling list at least width characters wide showing view_rows rows;
// several lines may be selected when multiple is true.
OI_scroll_menu* oi_create_scroll_menu(const std::string& name, int width, int view_rows,
                                      bool multiple = false);

// A box of width by height pixels; 0 for either leaves the box its natural size.
OI_box* oi_create_box(const std::string& name, int width, int height);

#endif
