#include "toolkit/oi_help_menu.h"

#include <cstdlib>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

// ---- The menu ------------------------------------------------------------------

void OI_help_menu::create_widget(const std::string& path)
{
    OI_tk::eval("menu " + path + " -tearoff 0 -postcommand {" + event_script("post") + "}");
    std::string bar = menu_bar();
    if (!bar.empty() && cascade_index(bar) < 0)
        OI_tk::eval(bar + " add cascade -label " + quoted(label()) + " -menu " + path);
}

OI_d_tech* OI_help_menu::copy_self() const
{
    auto* copy = new OI_help_menu(name());
    copy->label_set_ = label_set_;
    copy->label_ = label_;
    return copy;
}

void OI_help_menu::apply_resources()
{
    OI_d_tech::apply_resources();
    configure_cascade("-label", label());
    refill();
}

void OI_help_menu::show_enabled(bool enabled)
{
    OI_d_tech::show_enabled(enabled);
    configure_cascade("-state", enabled ? "normal" : "disabled");
}

std::string OI_help_menu::menu_bar() const
{
    OI_connection* conn = OI_uib_conn;
    std::string bar;
    std::string bar_class;
    if (conn == nullptr || !realized() || !OI_tk::eval("winfo parent " + widget(), &bar) ||
        !OI_tk::eval("winfo class " + bar, &bar_class) || bar_class != "Menu")
        return "";
    return bar;
}

int OI_help_menu::cascade_index(const std::string& bar) const
{
    std::string last;
    if (!OI_tk::eval(bar + " index end", &last) || last == "none")
        return -1;
    for (int i = 0; i <= std::atoi(last.c_str()); ++i) {
        std::string type;
        std::string menu;
        OI_tk::eval(bar + " type " + std::to_string(i), &type);
        if (type == "cascade" && OI_tk::eval(bar + " entrycget " + std::to_string(i) + " -menu", &menu) &&
            menu == widget())
            return i;
    }
    return -1;
}

void OI_help_menu::configure_cascade(const std::string& option, const std::string& value) const
{
    std::string bar = menu_bar();
    int index = bar.empty() ? -1 : cascade_index(bar);
    if (index >= 0)
        OI_tk::eval(bar + " entryconfigure " + std::to_string(index) + " " + option + " " +
                           quoted(value));
}

OI_help_menu_entry* OI_help_menu::add_cell(const std::string& name, const std::string& label,
                                           const OI_callback& action)
{
    auto* entry = new OI_help_menu_entry(name);
    entry->set_label(label);
    entry->change_action(action);
    entry->set_associated_object(this, OI_DEFAULT_LOC, OI_DEFAULT_LOC, action ? ACTIVE : INACTIVE);
    refill();
    return entry;
}

int OI_help_menu::num_cells() const
{
    int count = 0;
    for (int i = 0; i < num_props(); ++i) {
        if (dynamic_cast<OI_help_menu_entry*>(numbered_child(i)) != nullptr)
            ++count;
    }
    return count;
}

OI_help_menu_entry* OI_help_menu::numbered_cell(int i) const
{
    for (int c = 0; c < num_props(); ++c) {
        auto* entry = dynamic_cast<OI_help_menu_entry*>(numbered_child(c));
        if (entry != nullptr && i-- == 0)
            return entry;
    }
    return nullptr;
}

std::string OI_help_menu::label() const
{
    return label_set_ ? label_ : resource("label", "Label", "Help");
}

void OI_help_menu::set_label(const std::string& label)
{
    label_set_ = true;
    label_ = label;
    configure_cascade("-label", label);
}

void OI_help_menu::refill() const
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    OI_tk::eval(widget() + " delete 0 end");
    for (int i = 0; i < num_cells(); ++i) {
        OI_help_menu_entry* entry = numbered_cell(i);
        if (entry->state() != ACTIVE && entry->state() != INACTIVE)
            continue;
        OI_tk::eval(widget() + " add command -label " + quoted(entry->label()) + " -command {" +
                   entry->event_script("chosen") + "} -state " +
                   (entry->state() == ACTIVE ? "normal" : "disabled"));
    }
}

// A click on an entry takes a posted menu down, with its grab. What is
// posted from a menu bar is Tk's clone of the menu, not the menu itself, so
// every posted pull-down menu of the program goes: only one can be posted.
void OI_help_menu::unpost() const
{
    if (OI_uib_conn == nullptr || !realized())
        return;
    OI_tk::eval("apply {{} {\n"
                "set windows [list .]\n"
                "while {[llength $windows] > 0} {\n"
                "    set windows [lassign $windows w]\n"
                "    lappend windows {*}[winfo children $w]\n"
                "    if {[winfo class $w] eq \"Menu\" && [$w cget -type] ne \"menubar\" &&\n"
                "            [winfo ismapped $w]} {\n"
                "        tk::MenuUnpost $w\n"
                "    }\n"
                "}\n"
                "}}");
}

bool OI_help_menu::get_shown_text(std::string* text) const
{
    std::vector<std::string> pairs;
    for (int i = 0; i < num_cells(); ++i) {
        OI_help_menu_entry* entry = numbered_cell(i);
        if (entry->state() == ACTIVE || entry->state() == INACTIVE)
            pairs.push_back(OI_list({entry->name(), entry->label()}));
    }
    *text = OI_list(pairs);
    return true;
}

void OI_help_menu::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind == "post")
        refill();
    else
        OI_d_tech::handle_event(kind, args);
}

// ---- Its entries -------------------------------------------------------------------

OI_help_menu_entry::~OI_help_menu_entry()
{
    OI_help_menu* owner = menu();
    if (owner == nullptr)
        return;
    disassociate();
    owner->refill();
}

OI_d_tech* OI_help_menu_entry::copy_self() const
{
    auto* copy = new OI_help_menu_entry(name());
    copy->label_set_ = label_set_;
    copy->label_ = label_;
    copy->action_set_ = action_set_;
    copy->action_ = action_;
    return copy;
}

// The common resources are for widgets; an entry takes its label and
// action only.
void OI_help_menu_entry::apply_resources()
{
    if (!action_set_)
        action_ = OI_uib_conn->callback_from_resource(resource("action", "Action"), name());
    if (OI_help_menu* owner = menu())
        owner->refill();
}

void OI_help_menu_entry::show_enabled(bool)
{
    if (OI_help_menu* owner = menu())
        owner->refill();
}

std::string OI_help_menu_entry::label() const
{
    return label_set_ ? label_ : resource("label", "Label", name());
}

void OI_help_menu_entry::set_label(const std::string& label)
{
    label_set_ = true;
    label_ = label;
    if (OI_help_menu* owner = menu())
        owner->refill();
}

void OI_help_menu_entry::change_action(const OI_callback& action)
{
    action_set_ = true;
    action_ = action;
}

bool OI_help_menu_entry::press()
{
    OI_help_menu* owner = menu();
    if (state() != ACTIVE || owner == nullptr || owner->state() != ACTIVE || !is_displayed())
        return false;
    owner->unpost();
    action_.call(this, 1);
    return true;
}

void OI_help_menu_entry::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind == "chosen")
        action_.call(this, 1);
    else
        OI_d_tech::handle_event(kind, args);
}
