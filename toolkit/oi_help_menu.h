// OI_help_menu: the pull-down menu of a window's Help cascade, and
// OI_help_menu_entry, one entry of it. The menu owns its entries as its
// children and draws them; it brings its Tk menu in line with them every
// time it is posted, so entries may be added, relabelled, greyed or
// deleted at any time.
#ifndef KITSETUP_TOOLKIT_OI_HELP_MENU_H
#define KITSETUP_TOOLKIT_OI_HELP_MENU_H

#include "toolkit/oi_d_tech.h"

class OI_help_menu_entry;

class OI_help_menu : public OI_d_tech {
public:
    explicit OI_help_menu(const std::string& name) : OI_d_tech(name) {}
    const char* class_name() const override { return "HelpMenu"; }

    // Adds an entry at the end: usable when it has an action, greyed when
    // not. The menu owns it.
    OI_help_menu_entry* add_cell(const std::string& name, const std::string& label,
                                 const OI_callback& action);
    int num_cells() const;
    // The i-th entry (from 0), or null.
    OI_help_menu_entry* numbered_cell(int i) const;

    // The label of the cascade that opens the menu; before set_label, the
    // "label" resource ("Help" when there is none).
    std::string label() const;
    void set_label(const std::string& label);

    // Makes the Tk menu show the shown entries, in order, greyed or not.
    void refill() const;
    // Takes the menu down when it is posted.
    void unpost() const;
    // What the menu offers: {name label} of each shown entry, in order.
    bool get_shown_text(std::string* text) const override;

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    // The menu and, when its Tk parent is a menu bar, the cascade there.
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void show_enabled(bool enabled) override;
    bool laid_out() const override { return false; }

private:
    // The menu bar holding the cascade ("" when there is none) and the
    // cascade's index in it (-1 when there is none).
    std::string menu_bar() const;
    int cascade_index(const std::string& bar) const;
    void configure_cascade(const std::string& option, const std::string& value) const;

    bool label_set_ = false;
    std::string label_;
};

class OI_help_menu_entry : public OI_d_tech {
public:
    explicit OI_help_menu_entry(const std::string& name) : OI_d_tech(name) {}
    // Leaves the menu first, so that it no longer shows the entry.
    ~OI_help_menu_entry() override;
    const char* class_name() const override { return "HelpMenuEntry"; }

    // The label; before set_label, the "label" resource, else the name.
    std::string label() const;
    void set_label(const std::string& label);
    // The action run with the entry and the value 1 when it is chosen;
    // before change_action, the "action" resource.
    void change_action(const OI_callback& action);

    // Chooses the entry as a click does: runs the action when the entry and
    // its menu are usable and shown; false otherwise.
    bool press() override;
    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    // An entry has no widget of its own: its menu draws it.
    void create_widget(const std::string&) override {}
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void show_enabled(bool enabled) override;
    bool laid_out() const override { return false; }

private:
    OI_help_menu* menu() const { return dynamic_cast<OI_help_menu*>(parent()); }

    bool label_set_ = false;
    std::string label_;
    bool action_set_ = false;
    OI_callback action_;

    friend class OI_help_menu;
};

#endif
