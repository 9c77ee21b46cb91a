#include "ui/automation.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_d_tech.h"
#include "toolkit/oi_lookup.h"
#include "ui/dialogs.h"
#include "ui/kitsetup.h"
#include "ui/log_ui.h"
#include "ui/main_ui.h"
#include "lib/msgs.h"
#include "prod/l_product.h"

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
    if (obj == top)
        return found_top;
    return OI_find(found_top, obj, OI_lookup_policy::reporting([&](OI_lookup_failure) {
                       *reason = "no object \"" + obj + "\" in \"" + top + "\"";
                   }));
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

// The same for a key pressed on the object.
void press_key_later(const OI_d_tech* object, const std::string& keysym)
{
    struct key_press {
        unsigned long id;
        std::string keysym;
    };
    auto* pending = new key_press{object->id(), keysym};
    OI_add_timeout(0, OI_callback(
        [](OI_d_tech*, void* argument, long) -> long {
            std::unique_ptr<key_press> press(static_cast<key_press*>(argument));
            OI_d_tech* target = OI_d_tech::by_id(press->id);
            return target != nullptr && target->press_key(press->keysym);
        },
        pending));
}

// The product whose identifier is id, compared exactly, or null.
product* product_named(const std::string& id)
{
    l_product* products = the_interface == nullptr ? nullptr : the_interface->products();
    for (unsigned i = 0; products != nullptr && i < products->entries(); ++i) {
        if (id == products->elem(i)->id().c_str())
            return products->elem(i);
    }
    return nullptr;
}

// Opens the option dialogs of an installation of p from the event loop,
// as the install selection does once p is chosen.
void choose_later(product* p)
{
    OI_add_timeout(0, OI_callback(
        [](OI_d_tech*, void* argument, long) -> long {
            if (the_interface != nullptr)
                the_interface->choose_options(*static_cast<product*>(argument));
            return 0;
        },
        p));
}

bool fail(std::string* result, const std::string& reason)
{
    *result = reason;
    return false;
}

bool answer(std::string* result, const std::string& text)
{
    *result = text;
    return true;
}

// The automation command: args are the words after "automation".
bool automation_command(const std::vector<std::string>& args, std::string* result)
{
    std::string verb = args.empty() ? "" : args[0];
    std::string reason;
    if (verb == "shown" && args.size() == 1) {
        std::vector<std::string> names;
        for (OI_d_tech* object : displayed_tops())
            names.push_back(object->name());
        return answer(result, OI_list(names));
    }
    if ((verb == "state" || verb == "get" || verb == "press") && args.size() == 3) {
        OI_d_tech* object = find_object(args[1], args[2], &reason);
        if (object == nullptr)
            return fail(result, reason);
        if (verb == "state")
            return answer(result, state_name(object->state()));
        if (verb == "press") {
            press_later(object);
            return answer(result, "");
        }
        std::string value;
        if (!object->get_shown_text(&value))
            return fail(result, "\"" + args[2] + "\" has no value");
        return answer(result, value);
    }
    if (verb == "key" && args.size() == 4) {
        OI_d_tech* object = find_object(args[1], args[2], &reason);
        if (object == nullptr)
            return fail(result, reason);
        press_key_later(object, args[3]);
        return answer(result, "");
    }
    if (verb == "set" && args.size() == 4) {
        OI_d_tech* object = find_object(args[1], args[2], &reason);
        if (object == nullptr)
            return fail(result, reason);
        switch (object->set_value_text(args[3], OI_set_by::user, &reason)) {
        case OI_set_result::set:
            return answer(result, "");
        case OI_set_result::defaulted:
            return fail(result, format_message(DEF_BAD_FLAG_STRING, args[3].c_str()).c_str());
        case OI_set_result::refused:
            return fail(result, reason);
        case OI_set_result::no_value:
            break;
        }
        return fail(result, "\"" + args[2] + "\" takes no value");
    }
    message_kind kind;
    listring text;
    OI_d_tech* box = nullptr;
    if (verb == "message" && args.size() == 1) {
        if (!current_message_box(&kind, &text, &box))
            return answer(result, "");
        return answer(result, OI_list({kind_name(kind), text.c_str()}));
    }
    if (verb == "answer" && args.size() == 2) {
        if (!current_message_box(&kind, &text, &box))
            return fail(result, "no message box is displayed");
        OI_d_tech* button = OI_find(box, args[1], OI_lookup_policy::silent());
        if (button == nullptr)
            return fail(result, "the message box has no button \"" + args[1] + "\"");
        press_later(button);
        return answer(result, "");
    }
    if (verb == "choose" && args.size() == 2) {
        product* chosen = product_named(args[1]);
        if (chosen == nullptr)
            return fail(result, "no product \"" + args[1] + "\"");
        choose_later(chosen);
        return answer(result, "");
    }
    if (verb == "log" && args.size() == 1)
        return answer(result, the_log_dialog_ui == nullptr ? "" : the_log_dialog_ui->contents().c_str());
    if (verb == "quit" && args.size() == 1) {
        OI_add_timeout(0, OI_callback([](OI_d_tech*, void*, long) -> long { shutdown(0); }, nullptr));
        return answer(result, "");
    }
    return fail(result, "usage: automation shown | state TOP OBJ | get TOP OBJ | set TOP OBJ VALUE"
                        " | press TOP OBJ | key TOP OBJ KEYSYM | message | answer BUTTON | choose PRODUCT | log"
                        " | quit");
}

}  // namespace

void install_automation()
{
    const char* name = std::getenv(AUTOMATION_VAR);
    if (name == nullptr || *name == '\0' || OI_uib_conn == nullptr)
        return;
    OI_uib_conn->add_command("automation", automation_command);
    OI_uib_conn->accept_send(name);
}
