#include "toolkit/oi_menu_cell.h"

#include "toolkit/oi_button_box.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_menu.h"

OI_menu_cell::~OI_menu_cell()
{
    if (OI_uib_conn != nullptr)
        OI_tk::eval("unset -nocomplain " + state_variable());
}

std::string OI_menu_cell::state_variable() const
{
    return "::oi::cell_state(" + std::to_string(id()) + ")";
}

std::string OI_menu_cell::label() const
{
    return label_set_ ? label_ : resource("label", "Label", name());
}

void OI_menu_cell::set_label(const std::string& text)
{
    label_set_ = true;
    label_ = text;
    configure("-text", text);
}

OI_cell_type OI_menu_cell::type() const
{
    if (type_set_)
        return type_;
    std::string text = resource("type", "Type", "push");
    if (text == "toggle")
        return OI_TOGGLE_CELL;
    if (text == "exclusive")
        return OI_EXCLUSIVE_CELL;
    return OI_PUSH_CELL;
}

void OI_menu_cell::set_type(OI_cell_type type)
{
    type_set_ = true;
    type_ = type;
}

OI_menu* OI_menu_cell::menu() const
{
    return dynamic_cast<OI_menu*>(parent());
}

OI_cell_type OI_menu_cell::kind() const
{
    const OI_menu* holder = menu();
    return holder != nullptr ? holder->kind_of(*this) : type();
}

void OI_menu_cell::change_action(const OI_callback& action)
{
    action_set_ = true;
    action_ = action;
}

void OI_menu_cell::set_selected_state(bool on)
{
    selected_ = on;
    if (realized())
        OI_tk::eval("set " + state_variable() + (on ? " 1" : " 0"));
}

void OI_menu_cell::select(bool on)
{
    if (on && kind() == OI_EXCLUSIVE_CELL && menu() != nullptr) {
        for (OI_menu_cell* other : menu()->cells()) {
            if (other != this && other->selected_ && other->kind() == OI_EXCLUSIVE_CELL)
                other->set_selected_state(false);
        }
    }
    set_selected_state(on);
}

void OI_menu_cell::set_default(bool on)
{
    default_ = on;
    if (realized() && kind() == OI_PUSH_CELL)
        configure("-default", on ? "active" : "normal");
}

bool OI_menu_cell::usable() const
{
    if (!is_displayed())
        return false;
    for (const OI_d_tech* object = this; object != nullptr; object = object->parent()) {
        if (object->state() == INACTIVE)
            return false;
    }
    return true;
}

// The action may delete the cell, its menu or its dialog: it runs from a
// copy, and the cell is looked up by number before it is used again.
bool OI_menu_cell::press()
{
    if (!usable())
        return false;
    OI_cell_type how = kind();
    long value = 1;
    if (how == OI_TOGGLE_CELL) {
        select(!selected_);
        value = selected_ ? 1 : 0;
    } else if (how == OI_EXCLUSIVE_CELL) {
        select(true);
    }
    unsigned long self = id();
    OI_callback action = action_;
    action.call(this, value);
    if (how != OI_PUSH_CELL || by_id(self) == nullptr)
        return true;
    OI_button_box* box = ancestor_derived_from<OI_button_box>();
    OI_dialog_box* dialog = box != nullptr ? box->ancestor_derived_from<OI_dialog_box>() : nullptr;
    if (dialog != nullptr && dialog->buttons() == box)
        dialog->button_pressed(this);
    return true;
}

void OI_menu_cell::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind == "press")
        press();
    else
        OI_d_tech::handle_event(kind, args);
}

// Tk keeps the on/off look in a variable; the cell's own state stays the
// truth, so press() writes it back after Tk's click handling changed it.
void OI_menu_cell::create_widget(const std::string& path)
{
    std::string variable = state_variable();
    OI_tk::eval("namespace eval ::oi {}");
    OI_tk::eval("set " + variable + (selected_ ? " 1" : " 0"));
    std::string command = " -command " + quoted(event_script("press"));
    bool list_line = menu() != nullptr && menu()->lists_cells();
    // A line of a scrolling list, unless the cell is a toggle of its own,
    // is a flat check button that shows its selection as a highlight.
    bool highlighted_line = list_line && (kind() == OI_EXCLUSIVE_CELL ||
                                          (kind() == OI_TOGGLE_CELL && type() != OI_TOGGLE_CELL));
    if (kind() == OI_PUSH_CELL) {
        OI_tk::eval("button " + path + " -relief raised -borderwidth 2 -default " +
                   (default_ ? "active" : "normal") + command);
    } else if (highlighted_line) {
        OI_tk::eval("checkbutton " + path + " -indicatoron 0 -relief flat -offrelief flat" +
                   " -anchor w -justify left -variable " + variable +
                   " -onvalue 1 -offvalue 0" + command);
    } else if (kind() == OI_TOGGLE_CELL) {
        OI_tk::eval("checkbutton " + path + " -anchor w -justify left -variable " + variable +
                   " -onvalue 1 -offvalue 0" + command);
    } else {
        OI_tk::eval("radiobutton " + path + " -anchor w -justify left -variable " + variable +
                   " -value 1" + command);
    }
    if (list_line)
        configure("-selectcolor", resource("selectColor", "SelectColor", "#c6d3e3"));
}

OI_d_tech* OI_menu_cell::copy_self() const
{
    OI_menu_cell* copy = new OI_menu_cell(name());
    copy->label_ = label_;
    copy->label_set_ = label_set_;
    copy->type_ = type_;
    copy->type_set_ = type_set_;
    copy->action_ = action_;
    copy->action_set_ = action_set_;
    copy->selected_ = selected_;
    copy->default_ = default_;
    copy->submenu_allowed_ = submenu_allowed_;
    return copy;
}

void OI_menu_cell::apply_resources()
{
    OI_d_tech::apply_resources();
    configure("-text", label());
    if (!action_set_) {
        std::string named = resource("action", "Action");
        if (!named.empty())
            action_ = OI_uib_conn->callback_from_resource(named, name());
    }
}

void OI_menu_cell::show_enabled(bool enabled)
{
    configure("-state", enabled ? "normal" : "disabled");
}

bool OI_menu_cell::get_value_text(std::string* text) const
{
    *text = selected_ ? "1" : "0";
    return true;
}

// A flag word is any part of "01YN"; the parts of "1Y" mean on.
OI_set_result OI_menu_cell::set_value_text(const std::string& text, OI_set_by, std::string*)
{
    const std::string flag_words = "01YN";
    const std::string on_words = "1Y";
    bool valid = !text.empty() && flag_words.find(text) != std::string::npos;
    select(valid && on_words.find(text) != std::string::npos);
    return valid ? OI_set_result::set : OI_set_result::defaulted;
}
