// OI_app_window: the application's main window: a menu bar whose Help
// cascade (right-aligned, as Motif places it) opens the window's help menu,
// and a work area below it where the window's other children go. The help
// menu comes with two built-in entries, the context help object and the
// hypertext help object, which a program may delete and replace by its own.
#ifndef KITSETUP_TOOLKIT_OI_APP_WINDOW_H
#define KITSETUP_TOOLKIT_OI_APP_WINDOW_H

#include "toolkit/oi_d_tech.h"

class OI_help_menu;

class OI_app_window : public OI_d_tech {
public:
    explicit OI_app_window(const std::string& name);
    const char* class_name() const override { return "AppWindow"; }

    // The help menu, or null once it was deleted.
    OI_help_menu* help_menu() const;
    // The cell of the menu bar that opens the help menu: the cascade and its
    // menu are one object, so this is help_menu() too.
    OI_help_menu* help_menu_cell() const { return help_menu(); }
    // The built-in help entries ("help_obj", "hyper_help"), or null once
    // deleted.
    OI_d_tech* help_obj() const;
    OI_d_tech* hyper_help() const;

    // Makes the Tk photo image the window manager's icon of the window;
    // false, reported on standard error, when there is no such photo image.
    bool icon(const std::string& image);
    const std::string& icon() const { return icon_; }

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void widget_built() override;
    std::string child_container() const override { return widget() + ".work"; }
    // The help menu's widget is "help" in the menu bar, the name by which
    // Tk knows a help menu.
    std::string container_for(const OI_d_tech* child) const override;
    std::string child_widget_name(const OI_d_tech* child) const override;

private:
    // A copy made by clone: clone copies the children, built-in ones too.
    struct bare_tag {};
    OI_app_window(const std::string& name, bare_tag) : OI_d_tech(name) {}

    std::string menu_bar_path() const { return widget() + ".mb"; }
    bool is_top_level() const;
    void show_icon() const;

    std::string icon_;
};

#endif
