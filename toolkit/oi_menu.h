// OI_menu: the base of every menu: an object whose children include menu
// cells. It finds its cells, reports which are selected, and tells each cell
// how to behave (push, toggle or exclusive choice). The menu owns its cells.
#ifndef KITSETUP_TOOLKIT_OI_MENU_H
#define KITSETUP_TOOLKIT_OI_MENU_H

#include <vector>

#include "toolkit/oi_d_tech.h"
#include "toolkit/oi_menu_cell.h"

class OI_menu : public OI_d_tech {
public:
    explicit OI_menu(const std::string& name) : OI_d_tech(name) {}

    // The cells among the menu's children, in order.
    std::vector<OI_menu_cell*> cells() const;
    int num_cells() const;
    OI_menu_cell* numbered_cell(int i) const;
    // The cell of this menu named name, or null.
    OI_menu_cell* cell(const std::string& name) const;
    // Attaches cell after the others, shown.
    virtual void add_cell(OI_menu_cell* cell);
    // Deletes every cell of the menu.
    void delete_cells();

    // The first selected cell, or null when none is selected.
    OI_menu_cell* selected() const;
    // The selected cells in menu order.
    std::vector<OI_menu_cell*> selected_cells() const;
    // The first cell marked default (set_default), or null.
    OI_menu_cell* default_cell() const;
    // Deselects every cell; no action runs.
    void deselect_all();

    // How cell behaves in this menu: by default as its own type says.
    virtual OI_cell_type kind_of(const OI_menu_cell& cell) const { return cell.type(); }
    // True when the cells are lines of a list rather than buttons.
    virtual bool lists_cells() const { return false; }
};

#endif
