// OI_dialog_box: a top-level dialog. Its children are its content, laid out
// as declared, except its button box (the child of class "ButtonBox"), which
// runs along the bottom edge below a separator. wait_button shows the dialog
// and runs a nested event loop until one of the button box's push buttons
// ends it.
//
// The termination rule: when a push button of the button box is pressed
// (after its own action), the term action runs with the cell as origin; a
// non-zero answer, or no term action at all, ends the dialog's wait (and,
// when the wait's acceptance check is given, only if it also answers
// non-zero). 0 keeps the dialog up.
#ifndef KITSETUP_TOOLKIT_OI_DIALOG_BOX_H
#define KITSETUP_TOOLKIT_OI_DIALOG_BOX_H

#include <vector>

#include "toolkit/oi_d_tech.h"

class OI_button_box;
class OI_menu_cell;

class OI_dialog_box : public OI_d_tech {
public:
    explicit OI_dialog_box(const std::string& name) : OI_d_tech(name) {}
    ~OI_dialog_box() override;
    const char* class_name() const override { return "DialogBox"; }

    // The button box among the children, or null when there is none.
    OI_button_box* buttons() const;

    // The window title; before set_title, the "title" resource, else the name.
    std::string title() const;
    void set_title(const std::string& text);

    // action.call(cell, 0) runs when a push button of the button box is
    // pressed; its answer is the termination rule's. With take_down true, an
    // ending answer also takes the dialog down when no wait is running.
    void set_term_action(bool take_down, const OI_callback& action);
    // unpin.call(dialog, 0) runs when the window manager closes the dialog.
    // Without one, closing it acts as take_down().
    void set_unpin(const OI_callback& unpin);

    // Shows the dialog (ACTIVE) and dispatches events until a push button
    // of its button box ends the wait by the termination rule and accept (when
    // given) answers non-zero for that cell; then takes the dialog down
    // (ACTIVE_NOT_DISPLAYED) and returns the cell. With modal true, the
    // other displayed top-level windows take no pointer input meanwhile.
    // Returns null when the wait ends without a button: take_down, the
    // dialog hidden or deleted by a callback, or the dialog not displayable.
    OI_menu_cell* wait_button(bool modal, const OI_callback& accept = OI_callback());
    bool is_waiting() const { return wait_ != nullptr; }

    // Hides the dialog and ends a running wait with no cell.
    void take_down();

    // Called by a push button of the button box once its action has run:
    // applies the termination rule.
    void button_pressed(OI_menu_cell* cell);

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void widget_built() override;
    std::string child_container() const override;
    std::string container_for(const OI_d_tech* child) const override;
    void default_grid_cell(const OI_d_tech* child, int index, int* column, int* row) const override;

private:
    // What a running wait_button shares with the callbacks it dispatches; it
    // lives on wait_button's stack, so it outlives a deleted dialog.
    struct wait_state {
        OI_callback accept;
        bool ended = false;
        unsigned long cell_id = 0;
        bool dialog_gone = false;
    };

    // Blocks pointer input to the other displayed top-level windows that are
    // not busy yet; returns the ids of those it blocked.
    std::vector<unsigned long> hold_other_windows() const;
    static void release_windows(const std::vector<unsigned long>& held);

    std::string title_;
    bool title_set_ = false;
    bool term_takes_down_ = false;
    OI_callback term_action_;
    OI_callback unpin_;
    wait_state* wait_ = nullptr;
};

#endif
