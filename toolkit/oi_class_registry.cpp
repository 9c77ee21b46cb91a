#include "toolkit/oi_class_registry.h"

#include <map>

#include "toolkit/oi_app_window.h"
#include "toolkit/oi_box.h"
#include "toolkit/oi_button_box.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_excl_menu.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_gauge.h"
#include "toolkit/oi_glyph.h"
#include "toolkit/oi_help_menu.h"
#include "toolkit/oi_multi_text.h"
#include "toolkit/oi_poly_menu.h"
#include "toolkit/oi_scroll_box.h"
#include "toolkit/oi_scroll_menu.h"
#include "toolkit/oi_slider.h"
#include "toolkit/oi_static_text.h"

namespace {

std::map<std::string, OI_factory>& factories()
{
    static std::map<std::string, OI_factory> registered;
    return registered;
}

}  // namespace

void OI_register_class(const std::string& class_name, OI_factory factory)
{
    factories()[class_name] = factory;
}

OI_factory OI_find_class(const std::string& class_name)
{
    auto found = factories().find(class_name);
    return found == factories().end() ? nullptr : found->second;
}

void OI_register_standard_classes()
{
    OI_register_class("Box", OI_make_object<OI_box>);
    OI_register_class("ButtonBox", OI_make_object<OI_button_box>);
    OI_register_class("ButtonMenu", OI_make_object<OI_button_menu>);
    OI_register_class("DialogBox", OI_make_object<OI_dialog_box>);
    OI_register_class("ExclusiveMenu", OI_make_object<OI_excl_menu>);
    OI_register_class("MenuCell", OI_make_object<OI_menu_cell>);
    OI_register_class("PolyMenu", OI_make_object<OI_poly_menu>);
    OI_register_class("ScrollBox", OI_make_object<OI_scroll_box>);
    OI_register_class("ScrollMenu", OI_make_object<OI_scroll_menu>);
    OI_register_class("StaticText", OI_make_object<OI_static_text>);
    OI_register_class("AppWindow", OI_make_object<OI_app_window>);
    OI_register_class("EntryField", OI_make_object<OI_entry_field>);
    OI_register_class("SeqEntryField", OI_make_object<OI_seq_entry_field>);
    OI_register_class("MultiText", OI_make_object<OI_multi_text>);
    OI_register_class("ScrollText", OI_make_object<OI_scroll_text>);
    OI_register_class("Gauge", OI_make_object<OI_gauge>);
    OI_register_class("Slider", OI_make_object<OI_slider>);
    OI_register_class("Glyph", OI_make_object<OI_glyph>);
    OI_register_class("HelpMenuEntry", OI_make_object<OI_help_menu_entry>);
}
