// OI_menu_cell: one cell of a menu: a push button, a toggle, or, inside an
// exclusive menu, an exclusive choice (in a scrolling menu, a selectable line
// of the list). The menu that holds a cell decides how it behaves; a push
// button in a dialog's button box also ends the dialog (OI_dialog_box).
#ifndef KITSETUP_TOOLKIT_OI_MENU_CELL_H
#define KITSETUP_TOOLKIT_OI_MENU_CELL_H

#include "toolkit/oi_d_tech.h"

class OI_menu;

// What a cell is on its own (resource "type: push|toggle|exclusive"); a menu
// may make it behave otherwise (OI_menu::kind_of).
enum OI_cell_type { OI_PUSH_CELL = 0, OI_TOGGLE_CELL = 1, OI_EXCLUSIVE_CELL = 2 };

class OI_menu_cell : public OI_d_tech {
public:
    explicit OI_menu_cell(const std::string& name) : OI_d_tech(name) {}
    ~OI_menu_cell() override;
    const char* class_name() const override { return "MenuCell"; }

    // The text shown; before set_label, the "label" resource, else the name.
    std::string label() const;
    void set_label(const std::string& text);

    // The cell's own type; before set_type, the "type" resource. Takes effect
    // when the widget is next built.
    OI_cell_type type() const;
    void set_type(OI_cell_type type);
    // How the cell behaves where it is now: its type, or what its menu makes of it.
    OI_cell_type kind() const;
    // The menu holding the cell, or null.
    OI_menu* menu() const;

    // Runs on press: action.call(cell, value), value being the new state of a
    // toggle, 1 for a chosen exclusive cell and 1 for a push button. Before
    // change_action, the "action" resource names it.
    void change_action(const OI_callback& action);
    const OI_callback& action() const { return action_; }

    // Sets the state without running the action; selecting an exclusive
    // choice deselects the other exclusive choices of its menu.
    void select(bool on);
    bool is_selected() const { return selected_; }
    // "1" or "0"; set takes a flag word (1 or Y on, 0 or N off), anything
    // else turns the cell off and is reported as defaulted.
    bool get_value_text(std::string* text) const override;
    OI_set_result set_value_text(const std::string& text, OI_set_by by, std::string* reason) override;

    // The default button of its dialog or menu (Tk -default active).
    void set_default(bool on);
    bool is_default() const { return default_; }

    // Cascading menus are not drawn; the flag is kept for callers that set it.
    void allow_submenu() { submenu_allowed_ = true; }
    bool submenu_allowed() const { return submenu_allowed_; }

    // Acts as a click: a toggle flips, an exclusive choice is chosen, then the
    // action runs; a push button runs its action and then, in a dialog's
    // button box, tells the dialog. False, and nothing done, when the cell
    // is greyed or hidden.
    bool press() override;

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void show_enabled(bool enabled) override;

private:
    // Sets the state and shows it, touching no other cell.
    void set_selected_state(bool on);
    // Shown, and neither it nor an ancestor greyed.
    bool usable() const;
    // The Tcl variable that holds the widget's on/off state.
    std::string state_variable() const;

    std::string label_;
    bool label_set_ = false;
    OI_cell_type type_ = OI_PUSH_CELL;
    bool type_set_ = false;
    OI_callback action_;
    bool action_set_ = false;
    bool selected_ = false;
    bool default_ = false;
    bool submenu_allowed_ = false;
};

#endif
