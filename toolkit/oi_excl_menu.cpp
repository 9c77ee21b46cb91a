#include "toolkit/oi_excl_menu.h"

bool OI_excl_menu::get_value_text(std::string* text) const
{
    OI_menu_cell* chosen = selected();
    *text = chosen == nullptr ? "" : chosen->name();
    return true;
}
