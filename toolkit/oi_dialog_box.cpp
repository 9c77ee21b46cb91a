#include "toolkit/oi_dialog_box.h"

#include "toolkit/oi_button_box.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_root.h"

OI_dialog_box::~OI_dialog_box()
{
    if (wait_ != nullptr)
        wait_->dialog_gone = true;
}

OI_button_box* OI_dialog_box::buttons() const
{
    for (int c = 0; c < num_props(); ++c) {
        if (auto* box = dynamic_cast<OI_button_box*>(numbered_child(c)))
            return box;
    }
    return nullptr;
}

std::string OI_dialog_box::title() const
{
    return title_set_ ? title_ : resource("title", "Title", name());
}

void OI_dialog_box::set_title(const std::string& text)
{
    title_set_ = true;
    title_ = text;
    if (realized() && dynamic_cast<OI_root*>(parent()) != nullptr)
        OI_tk::eval("wm title [winfo toplevel " + widget() + "] " + quoted(text));
}

void OI_dialog_box::set_term_action(bool take_down, const OI_callback& action)
{
    term_takes_down_ = take_down;
    term_action_ = action;
}

void OI_dialog_box::set_unpin(const OI_callback& unpin)
{
    unpin_ = unpin;
}

void OI_dialog_box::take_down()
{
    if (wait_ != nullptr && !wait_->ended) {
        wait_->ended = true;
        wait_->cell_id = 0;
    }
    set_state(ACTIVE_NOT_DISPLAYED);
}

// Every callback may delete the dialog or the cell, so both are looked up by
// number after each one.
void OI_dialog_box::button_pressed(OI_menu_cell* cell)
{
    unsigned long self = id();
    unsigned long cell_id = cell->id();
    long answer = 1;
    if (term_action_) {
        OI_callback term = term_action_;
        answer = term.call(cell, 0);
        if (by_id(self) == nullptr)
            return;
    }
    if (answer == 0)
        return;
    if (wait_ == nullptr) {
        if (term_takes_down_)
            set_state(ACTIVE_NOT_DISPLAYED);
        return;
    }
    auto* still = dynamic_cast<OI_menu_cell*>(by_id(cell_id));
    if (still != nullptr && wait_->accept) {
        OI_callback accept = wait_->accept;
        long accepted = accept.call(still, 0);
        if (by_id(self) == nullptr || accepted == 0)
            return;
    }
    if (wait_ != nullptr && !wait_->ended) {
        wait_->ended = true;
        wait_->cell_id = by_id(cell_id) != nullptr ? cell_id : 0;
    }
}

std::vector<unsigned long> OI_dialog_box::hold_other_windows() const
{
    std::vector<unsigned long> held;
    OI_connection* conn = OI_uib_conn;
    for (OI_d_tech* object : conn->shown_objects()) {
        if (object == this || !object->realized() || !object->is_displayed())
            continue;
        std::string top;
        std::string busy;
        if (!OI_tk::eval("winfo toplevel " + OI_tk::widget(object), &top) ||
            !OI_tk::eval("tk busy status " + top, &busy) || busy == "1")
            continue;
        if (OI_tk::eval("tk busy hold " + top + " -cursor left_ptr"))
            held.push_back(object->id());
    }
    return held;
}

// A window the program itself made busy meanwhile (set_working) stays busy.
void OI_dialog_box::release_windows(const std::vector<unsigned long>& held)
{
    OI_connection* conn = OI_uib_conn;
    for (unsigned long id : held) {
        OI_d_tech* object = by_id(id);
        if (conn == nullptr || object == nullptr || !object->realized() || object->is_working())
            continue;
        std::string top;
        if (OI_tk::eval("winfo toplevel " + OI_tk::widget(object), &top))
            OI_tk::eval("tk busy forget " + top);
    }
}

// The wait's state lives here, not in the dialog, and the dialog is looked
// up by number after every event, since any callback may delete it. A second
// wait on a dialog that is already waiting returns null at once.
OI_menu_cell* OI_dialog_box::wait_button(bool modal, const OI_callback& accept)
{
    if (wait_ != nullptr)
        return nullptr;
    unsigned long self = id();
    wait_state wait;
    wait.accept = accept;
    wait_ = &wait;
    set_state(ACTIVE);
    std::vector<unsigned long> held;
    if (modal && is_displayed()) {
        held = hold_other_windows();
        OI_tk::eval("focus " + widget());
    }
    while (!wait.dialog_gone && by_id(self) != nullptr && !wait.ended && is_displayed())
        OI_dispatch_one(true);
    release_windows(held);
    if (wait.dialog_gone || by_id(self) == nullptr)
        return nullptr;
    wait_ = nullptr;
    set_state(ACTIVE_NOT_DISPLAYED);
    return dynamic_cast<OI_menu_cell*>(by_id(wait.cell_id));
}

void OI_dialog_box::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind != "unpin") {
        OI_d_tech::handle_event(kind, args);
    } else if (unpin_) {
        OI_callback unpin = unpin_;
        unpin.call(this, 0);
    } else {
        take_down();
    }
}

void OI_dialog_box::create_widget(const std::string& path)
{
    OI_tk::eval("frame " + path + " -borderwidth 0");
    OI_tk::eval("frame " + path + ".content -borderwidth 0");
    OI_tk::eval("grid " + path + ".content -row 0 -column 0 -sticky nsew -padx 4 -pady 4");
    OI_tk::eval("grid rowconfigure " + path + " 0 -weight 1");
    OI_tk::eval("grid columnconfigure " + path + " 0 -weight 1");
}

// The window manager's close button reaches the dialog as "unpin".
void OI_dialog_box::widget_built()
{
    if (dynamic_cast<OI_root*>(parent()) == nullptr)
        return;
    OI_tk::eval("wm protocol [winfo toplevel " + widget() + "] WM_DELETE_WINDOW " +
                       quoted(event_script("unpin")));
}

OI_d_tech* OI_dialog_box::copy_self() const
{
    auto* copy = new OI_dialog_box(name());
    copy->title_ = title_;
    copy->title_set_ = title_set_;
    copy->term_takes_down_ = term_takes_down_;
    copy->term_action_ = term_action_;
    copy->unpin_ = unpin_;
    return copy;
}

void OI_dialog_box::apply_resources()
{
    OI_d_tech::apply_resources();
    OI_tk::eval(child_container() + " configure -background " + quoted(bkg_color()));
    if (dynamic_cast<OI_root*>(parent()) != nullptr)
        OI_tk::eval("wm title [winfo toplevel " + widget() + "] " + quoted(title()));
}

std::string OI_dialog_box::child_container() const
{
    return widget() + ".content";
}

std::string OI_dialog_box::container_for(const OI_d_tech* child) const
{
    return dynamic_cast<const OI_button_box*>(child) != nullptr ? widget() : child_container();
}

void OI_dialog_box::default_grid_cell(const OI_d_tech* child, int index, int* column, int* row) const
{
    *column = 0;
    *row = dynamic_cast<const OI_button_box*>(child) != nullptr ? 1 : index;
}
