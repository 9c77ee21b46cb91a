#include "ui/object_values.h"

#include <tcl.h>

#include "misc/lidefs.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_excl_menu.h"
#include "toolkit/oi_gauge.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_multi_text.h"
#include "toolkit/oi_poly_menu.h"
#include "toolkit/oi_slider.h"
#include "toolkit/oi_static_text.h"
#include "lib/msgs.h"

std::string tcl_list(const std::vector<std::string>& elements)
{
    std::vector<const char*> words;
    for (const std::string& element : elements)
        words.push_back(element.c_str());
    char* merged = Tcl_Merge(static_cast<int>(words.size()), words.data());
    std::string list(merged);
    Tcl_Free(merged);
    return list;
}

namespace {

// The value of expression as a Tcl integer expression in interp (the
// toolkit's when null); false, with interp's result saying why, when it is
// not one.
bool integer_expression(Tcl_Interp* interp, const std::string& expression, long* value,
                        std::string* message)
{
    if (interp == nullptr) {
        OI_connection* conn = OI_current_connection();
        if (conn == nullptr)
            return false;
        interp = conn->interp();
    }
    if (Tcl_ExprLong(interp, expression.c_str(), value) == TCL_OK)
        return true;
    *message = Tcl_GetStringResult(interp);
    return false;
}

}  // namespace

bool get_object_value(const OI_d_tech* object, std::string* value)
{
    if (auto* gauge = dynamic_cast<const OI_gauge*>(object)) {
        *value = std::to_string(gauge->value());
    } else if (auto* slider = dynamic_cast<const OI_slider*>(object)) {
        *value = std::to_string(slider->value());
    } else if (auto* field = dynamic_cast<const OI_entry_field*>(object)) {
        *value = field->text();
    } else if (auto* text = dynamic_cast<const OI_multi_text*>(object)) {
        *value = tcl_list(text->lines());
    } else if (auto* exclusive = dynamic_cast<const OI_excl_menu*>(object)) {
        OI_menu_cell* selected = exclusive->selected();
        *value = selected == nullptr ? "" : selected->name();
    } else if (auto* poly = dynamic_cast<const OI_poly_menu*>(object)) {
        std::vector<std::string> names;
        for (OI_menu_cell* cell : poly->selected_cells())
            names.push_back(cell->name());
        *value = tcl_list(names);
    } else if (auto* cell = dynamic_cast<const OI_menu_cell*>(object)) {
        *value = cell->is_selected() ? "1" : "0";
    } else {
        return false;
    }
    return true;
}

int set_object_value(OI_d_tech* object, const std::string& value, std::string* message,
                     Tcl_Interp* interp)
{
    long number = 0;
    if (dynamic_cast<OI_gauge*>(object) != nullptr || dynamic_cast<OI_slider*>(object) != nullptr) {
        if (!integer_expression(interp, value, &number, message))
            return -1;
        if (auto* gauge = dynamic_cast<OI_gauge*>(object))
            gauge->set_value(static_cast<int>(number));
        else
            dynamic_cast<OI_slider*>(object)->set_value(static_cast<int>(number));
        object->update_resources();
    } else if (auto* field = dynamic_cast<OI_entry_field*>(object)) {
        field->set_text(value);
    } else if (auto* label = dynamic_cast<OI_static_text*>(object)) {
        label->set_text(value);
    } else if (auto* text = dynamic_cast<OI_multi_text*>(object)) {
        text->set_text_to_string(value);
    } else if (auto* button = dynamic_cast<KOI_button*>(object)) {
        button->pixmap(value);
    } else if (auto* cell = dynamic_cast<OI_menu_cell*>(object)) {
        listring flag(value.c_str());
        bool valid = !flag.is_empty() && VALID_FLAGS.find(flag) >= 0;
        cell->select(valid && TRUE_FLAGS.find(flag) >= 0);
        if (!valid) {
            *message = format_message(DEF_BAD_FLAG_STRING, value.c_str()).c_str();
            return 1;
        }
    } else {
        *message = format_message(DEF_CANT_SET_VALUE, object->name().c_str()).c_str();
        return -1;
    }
    return 0;
}
