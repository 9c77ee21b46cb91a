#include "ui/automation.h"

#include <tcl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_d_tech.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_scroll_menu.h"
#include "toolkit/oi_static_text.h"
#include "ui/dialogs.h"
#include "ui/kitsetup.h"
#include "ui/log_ui.h"
#include "ui/object_values.h"

namespace {

const char* const AUTOMATION_VAR = "KITSETUP_AUTOMATION";

const char* state_name(OI_state state)
{
    switch (state) {
    case ACTIVE: return "ACTIVE";
    case INACTIVE: return "INACTIVE";
    case NOT_DISPLAYED: return "NOT_DISPLAYED";
    case ACTIVE_NOT_DISPLAYED: return "ACTIVE_NOT_DISPLAYED";
    }
    return "";
}

const char* kind_name(message_kind kind)
{
    switch (kind) {
    case message_kind::error: return "error";
    case message_kind::warning: return "warning";
    case message_kind::confirm: return "confirm";
    case message_kind::information: return "information";
    case message_kind::dir: return "dir";
    }
    return "";
}

// The displayed top-level objects, in the order they were shown.
std::vector<OI_d_tech*> displayed_tops()
{
    std::vector<OI_d_tech*> shown;
    for (OI_d_tech* object : OI_uib_conn->shown_objects()) {
        if (object->is_displayed())
            shown.push_back(object);
    }
    return shown;
}

// The most recently shown displayed object named top, and obj inside it
// (top itself when obj names it). Null after setting the reason.
OI_d_tech* find_object(const std::string& top, const std::string& obj, std::string* reason)
{
    OI_d_tech* found_top = nullptr;
    for (OI_d_tech* object : displayed_tops()) {
        if (object->name() == top)
            found_top = object;
    }
    if (found_top == nullptr) {
        *reason = "no displayed object \"" + top + "\"";
        return nullptr;
    }
    OI_d_tech* object = obj == top ? found_top : found_top->descendant(obj);
    if (object == nullptr)
        *reason = "no object \"" + obj + "\" in \"" + top + "\"";
    return object;
}

// A scrolling menu's cells as {name label selected} triples.
std::string scroll_menu_value(const OI_scroll_menu* menu)
{
    std::vector<std::string> cells;
    for (OI_menu_cell* cell : menu->cells())
        cells.push_back(tcl_list({cell->name(), cell->label(), cell->is_selected() ? "1" : "0"}));
    return tcl_list(cells);
}

bool get_value(OI_d_tech* object, std::string* value)
{
    if (auto* label = dynamic_cast<OI_static_text*>(object)) {
        *value = label->text();
        return true;
    }
    if (auto* menu = dynamic_cast<OI_scroll_menu*>(object)) {
        *value = scroll_menu_value(menu);
        return true;
    }
    return get_object_value(object, value);
}

// An entry field takes the text as if typed and then its entry callback
// runs; everything else as a script's set_value.
bool set_value(OI_d_tech* object, const std::string& value, std::string* reason)
{
    if (auto* field = dynamic_cast<OI_entry_field*>(object)) {
        field->set_value_as_typed(value);
        return true;
    }
    return set_object_value(object, value, reason) == 0;
}

// Presses the object from the event loop, after the reply has gone: an
// action that opens a modal box must not block the caller. The object is
// found again by number, in case it went meanwhile.
void press_later(const OI_d_tech* object)
{
    auto* id = reinterpret_cast<void*>(object->id());
    OI_add_timeout(0, OI_callback(
        [](OI_d_tech*, void* argument, long) -> long {
            OI_d_tech* target = OI_d_tech::by_id(reinterpret_cast<unsigned long>(argument));
            return target != nullptr && target->press();
        },
        id));
}

int fail(Tcl_Interp* interp, const std::string& reason)
{
    Tcl_SetResult(interp, const_cast<char*>(reason.c_str()), TCL_VOLATILE);
    return TCL_ERROR;
}

int answer(Tcl_Interp* interp, const std::string& text)
{
    Tcl_SetResult(interp, const_cast<char*>(text.c_str()), TCL_VOLATILE);
    return TCL_OK;
}

int automation_command(ClientData, Tcl_Interp* interp, int argc, const char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string verb = args.empty() ? "" : args[0];
    std::string reason;
    if (verb == "shown" && args.size() == 1) {
        std::vector<std::string> names;
        for (OI_d_tech* object : displayed_tops())
            names.push_back(object->name());
        return answer(interp, tcl_list(names));
    }
    if ((verb == "state" || verb == "get" || verb == "press") && args.size() == 3) {
        OI_d_tech* object = find_object(args[1], args[2], &reason);
        if (object == nullptr)
            return fail(interp, reason);
        if (verb == "state")
            return answer(interp, state_name(object->state()));
        if (verb == "press") {
            press_later(object);
            return answer(interp, "");
        }
        std::string value;
        if (!get_value(object, &value))
            return fail(interp, "\"" + args[2] + "\" has no value");
        return answer(interp, value);
    }
    if (verb == "set" && args.size() == 4) {
        OI_d_tech* object = find_object(args[1], args[2], &reason);
        if (object == nullptr)
            return fail(interp, reason);
        if (!set_value(object, args[3], &reason))
            return fail(interp, reason.empty() ? "\"" + args[2] + "\" takes no value" : reason);
        return answer(interp, "");
    }
    message_kind kind;
    listring text;
    OI_d_tech* box = nullptr;
    if (verb == "message" && args.size() == 1) {
        if (!current_message_box(&kind, &text, &box))
            return answer(interp, "");
        return answer(interp, tcl_list({kind_name(kind), text.c_str()}));
    }
    if (verb == "answer" && args.size() == 2) {
        if (!current_message_box(&kind, &text, &box))
            return fail(interp, "no message box is displayed");
        OI_d_tech* button = box->descendant(args[1]);
        if (button == nullptr)
            return fail(interp, "the message box has no button \"" + args[1] + "\"");
        press_later(button);
        return answer(interp, "");
    }
    if (verb == "log" && args.size() == 1)
        return answer(interp, the_log_dialog_ui == nullptr ? "" : the_log_dialog_ui->contents().c_str());
    if (verb == "quit" && args.size() == 1) {
        OI_add_timeout(0, OI_callback([](OI_d_tech*, void*, long) -> long { shutdown(0); }, nullptr));
        return answer(interp, "");
    }
    return fail(interp, "usage: automation shown | state TOP OBJ | get TOP OBJ | set TOP OBJ VALUE"
                        " | press TOP OBJ | message | answer BUTTON | log | quit");
}

}  // namespace

void install_automation()
{
    const char* name = std::getenv(AUTOMATION_VAR);
    if (name == nullptr || *name == '\0' || OI_uib_conn == nullptr)
        return;
    Tcl_Interp* interp = OI_uib_conn->interp();
    OI_uib_conn->eval("tk appname " + tcl_list({name}));
    Tcl_CreateCommand(interp, "automation", automation_command, nullptr, nullptr);
}
