#include "toolkit/oi_app_window.h"

#include <cstdio>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"
#include "toolkit/oi_help_menu.h"
#include "toolkit/oi_root.h"

OI_app_window::OI_app_window(const std::string& name) : OI_d_tech(name)
{
    auto* menu = new OI_help_menu("help_menu");
    menu->set_associated_object(this, OI_DEFAULT_LOC, OI_DEFAULT_LOC, ACTIVE);
    menu->add_cell("help_obj", "On Context", OI_callback());
    menu->add_cell("hyper_help", "On Window", OI_callback());
}

OI_d_tech* OI_app_window::copy_self() const
{
    auto* copy = new OI_app_window(name(), bare_tag());
    copy->icon_ = icon_;
    return copy;
}

bool OI_app_window::is_top_level() const
{
    return dynamic_cast<OI_root*>(parent()) != nullptr;
}

// Tk draws a top level's menu bar above the window, outside the area that
// "tk busy" covers, so the help menu stays usable while the window is busy.
// A help menu is right-aligned when the option "useMotifHelp" is on.
void OI_app_window::create_widget(const std::string& path)
{
    OI_tk::eval("option add *Menu.useMotifHelp true widgetDefault");
    OI_tk::eval("frame " + path + " -borderwidth 0");
    OI_tk::eval("menu " + menu_bar_path() + " -type menubar -tearoff 0 -relief raised -borderwidth 2");
    OI_tk::eval("frame " + child_container() + " -borderwidth 0");
    OI_tk::eval("pack " + child_container() + " -fill both -expand 1");
    if (is_top_level())
        OI_tk::eval("[winfo toplevel " + path + "] configure -menu " + menu_bar_path());
}

void OI_app_window::apply_resources()
{
    OI_d_tech::apply_resources();
    for (const char* option : {"font", "foreground", "background"}) {
        std::string cls = option;
        cls[0] = static_cast<char>(cls[0] - 'a' + 'A');
        std::string value = resource(option, cls);
        if (!value.empty())
            OI_tk::eval(menu_bar_path() + " configure -" + option + " " + quoted(value));
    }
    std::string background = resource("background", "Background");
    if (!background.empty())
        OI_tk::eval(child_container() + " configure -background " + quoted(background));
}

void OI_app_window::widget_built()
{
    show_icon();
}

std::string OI_app_window::container_for(const OI_d_tech* child) const
{
    return child_widget_name(child).empty() ? child_container() : menu_bar_path();
}

std::string OI_app_window::child_widget_name(const OI_d_tech* child) const
{
    return child != nullptr && child == help_menu() ? "help" : "";
}

OI_help_menu* OI_app_window::help_menu() const
{
    for (int i = 0; i < num_props(); ++i) {
        if (auto* menu = dynamic_cast<OI_help_menu*>(numbered_child(i)))
            return menu;
    }
    return nullptr;
}

OI_d_tech* OI_app_window::help_obj() const
{
    OI_help_menu* menu = help_menu();
    return menu == nullptr ? nullptr : menu->descendant("help_obj");
}

OI_d_tech* OI_app_window::hyper_help() const
{
    OI_help_menu* menu = help_menu();
    return menu == nullptr ? nullptr : menu->descendant("hyper_help");
}

bool OI_app_window::icon(const std::string& image)
{
    OI_connection* conn = OI_uib_conn;
    std::string type;
    if (conn == nullptr || !OI_tk::eval("image type " + quoted(image), &type) || type != "photo") {
        std::fprintf(stderr, "%s: there is no photo image \"%s\" for the icon\n", name().c_str(),
                     image.c_str());
        return false;
    }
    icon_ = image;
    show_icon();
    return true;
}

void OI_app_window::show_icon() const
{
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && realized() && is_top_level() && !icon_.empty())
        OI_tk::eval("wm iconphoto [winfo toplevel " + widget() + "] " + quoted(icon_));
}
