#include "toolkit/oi_button_box.h"

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

// A sunken line above, the buttons centred below it.
void OI_button_box::create_widget(const std::string& path)
{
    OI_tk::eval("frame " + path + " -borderwidth 0");
    OI_tk::eval("frame " + path + ".separator -height 2 -borderwidth 1 -relief sunken");
    OI_tk::eval("frame " + path + ".cells -borderwidth 0");
    OI_tk::eval("grid anchor " + path + ".cells center");
    OI_tk::eval("pack " + path + ".separator -side top -fill x -pady {2 4}");
    OI_tk::eval("pack " + path + ".cells -side top -fill both -expand 1 -padx 4 -pady {0 4}");
}

std::string OI_button_box::child_container() const
{
    return widget() + ".cells";
}

// The inner frames are not objects: they take the box's background.
void OI_button_box::apply_resources()
{
    OI_button_menu::apply_resources();
    std::string colour = bkg_color();
    OI_tk::eval(widget() + ".cells configure -background " + quoted(colour));
    OI_tk::eval(widget() + ".separator configure -background " + quoted(colour));
}
