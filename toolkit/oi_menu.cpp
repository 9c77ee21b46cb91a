#include "toolkit/oi_menu.h"

std::vector<OI_menu_cell*> OI_menu::cells() const
{
    std::vector<OI_menu_cell*> found;
    for (int c = 0; c < num_props(); ++c) {
        if (auto* cell = dynamic_cast<OI_menu_cell*>(numbered_child(c)))
            found.push_back(cell);
    }
    return found;
}

int OI_menu::num_cells() const
{
    return static_cast<int>(cells().size());
}

OI_menu_cell* OI_menu::numbered_cell(int i) const
{
    std::vector<OI_menu_cell*> all = cells();
    if (i < 0 || i >= static_cast<int>(all.size()))
        return nullptr;
    return all[static_cast<size_t>(i)];
}

OI_menu_cell* OI_menu::cell(const std::string& name) const
{
    for (OI_menu_cell* cell : cells()) {
        if (cell->name() == name)
            return cell;
    }
    return nullptr;
}

void OI_menu::add_cell(OI_menu_cell* cell)
{
    if (cell != nullptr)
        cell->set_associated_object(this, OI_DEFAULT_LOC, OI_DEFAULT_LOC, ACTIVE);
}

// From the last cell back, so that no cell left has to move.
void OI_menu::delete_cells()
{
    std::vector<OI_menu_cell*> all = cells();
    for (auto cell = all.rbegin(); cell != all.rend(); ++cell)
        (*cell)->delete_all();
}

OI_menu_cell* OI_menu::selected() const
{
    for (OI_menu_cell* cell : cells()) {
        if (cell->is_selected())
            return cell;
    }
    return nullptr;
}

std::vector<OI_menu_cell*> OI_menu::selected_cells() const
{
    std::vector<OI_menu_cell*> chosen;
    for (OI_menu_cell* cell : cells()) {
        if (cell->is_selected())
            chosen.push_back(cell);
    }
    return chosen;
}

OI_menu_cell* OI_menu::default_cell() const
{
    for (OI_menu_cell* cell : cells()) {
        if (cell->is_default())
            return cell;
    }
    return nullptr;
}

void OI_menu::deselect_all()
{
    for (OI_menu_cell* cell : cells())
        cell->select(false);
}
