#include "toi/toi_cmds.h"

#include <tcl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "toolkit/merge_resource_file.h"
#include "toolkit/center_xy.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_app_window.h"
#include "toolkit/oi_box.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_lookup.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_multi_text.h"
#include "misc/translate_filename.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

namespace {

// At most this many pending events are handled by one event_flush, so that
// a handler that keeps rescheduling itself cannot hold the script forever.
const int FLUSH_EVENT_LIMIT = 10000;

const char* command_name(ClientData name)
{
    return name == nullptr ? "" : static_cast<const char*>(name);
}

// Appends the command's usage text to the result: TCL_ERROR.
int usage(Tcl_Interp* interp, const kit_message& message, ClientData name)
{
    Tcl_AppendResult(interp, format_message(message, command_name(name)).c_str(),
                     static_cast<char*>(nullptr));
    return TCL_ERROR;
}

// Sets the result to text: TCL_ERROR.
int fail(Tcl_Interp* interp, const char* text)
{
    Tcl_SetObjResult(interp, Tcl_NewStringObj(text, -1));
    return TCL_ERROR;
}

int succeed(Tcl_Interp* interp, const std::string& result = "")
{
    Tcl_SetObjResult(interp, Tcl_NewStringObj(result.c_str(), -1));
    return TCL_OK;
}

// The toolkit's root object, or null after setting the error result.
OI_d_tech* toolkit_root(Tcl_Interp* interp)
{
    OI_d_tech* root = OI_root_object();
    if (root == nullptr)
        fail(interp, catalogue_text(DEF_ROOT_WIDGET_NOT_FOUND));
    return root;
}

// A look-up whose failure becomes the command's error result, message.
OI_lookup_policy failing_with(Tcl_Interp* interp, const listring& message)
{
    return OI_lookup_policy::reporting(
        [interp, message](OI_lookup_failure) { fail(interp, message.c_str()); });
}

// The object named id, inside ancestor when that is given, else anywhere
// under the root; null after setting the error result.
OI_d_tech* find_object(Tcl_Interp* interp, const char* ancestor, const char* id)
{
    OI_d_tech* root = toolkit_root(interp);
    if (root == nullptr)
        return nullptr;
    if (ancestor == nullptr)
        return OI_find(root, id, failing_with(interp, format_message(DEF_BAD_INTERFACE, id)));
    OI_d_tech* outer =
        OI_find(root, ancestor, failing_with(interp, format_message(DEF_DIALOG_NOT_FOUND, ancestor)));
    if (outer == nullptr)
        return nullptr;
    return OI_find(outer, id, failing_with(interp, format_message(DEF_WIDGET_NOT_FOUND, id, ancestor)));
}

// The object of a command taking "[ancestorObjectId] objectId" followed by
// trailing further arguments: with the ancestor argv has one word more.
OI_d_tech* find_argument(Tcl_Interp* interp, int argc, const char** argv, int trailing)
{
    bool with_ancestor = argc == 3 + trailing;
    return find_object(interp, with_ancestor ? argv[1] : nullptr, argv[with_ancestor ? 2 : 1]);
}

bool is_dialog(const OI_d_tech* object)
{
    return dynamic_cast<const OI_dialog_box*>(object) != nullptr ||
           dynamic_cast<const OI_box*>(object) != nullptr ||
           dynamic_cast<const OI_app_window*>(object) != nullptr;
}

// The nearest ancestor of object that is a dialog, or null.
OI_d_tech* enclosing_dialog(const OI_d_tech* object)
{
    for (OI_d_tech* up = object->parent(); up != nullptr; up = up->parent()) {
        if (is_dialog(up))
            return up;
    }
    return nullptr;
}

// The object named id from the root, a dialog when must_be_dialog; null
// after setting the error result.
OI_d_tech* find_dialog(Tcl_Interp* interp, const char* id, bool must_be_dialog)
{
    OI_d_tech* root = toolkit_root(interp);
    if (root == nullptr)
        return nullptr;
    OI_d_tech* found = OI_find(root, id, failing_with(interp, format_message(DEF_DIALOG_NOT_FOUND, id)));
    if (found == nullptr)
        return nullptr;
    if (must_be_dialog && !is_dialog(found)) {
        fail(interp, format_message(DEF_BAD_DIALOG, id).c_str());
        return nullptr;
    }
    return found;
}

// A Tcl text attached to an object by set_cb, with the interpreter that
// attached it. The object's callbacks share ownership of the record, so it
// lives exactly as long as some object (or a clone) still holds it.
class script_callback : public OIU_callback_multiple,
                        public std::enable_shared_from_this<script_callback> {
public:
    script_callback(Tcl_Interp* interp, const std::string& text) : interp_(interp), text_(text)
    {
        Tcl_Preserve(interp_);
    }
    ~script_callback() override { Tcl_Release(interp_); }
    script_callback(const script_callback&) = delete;
    script_callback& operator=(const script_callback&) = delete;

    // An entry field's, menu cell's or image button's callback: evaluates
    // the text; a failure is shown in error boxes. Returns 0.
    long run(OI_d_tech*, void*, long)
    {
        std::shared_ptr<script_callback> keep = shared_from_this();
        std::string result;
        evaluate(text_, &result);
        return 0;
    }

    // A dialog's termination action: evaluates the text with the ending
    // cell's name; answers 1 on "1" or a failure, else 0 (showing any answer
    // other than "0"). The global popdown_btn is unset afterwards.
    long terminate(OI_d_tech* origin, void*, long)
    {
        std::shared_ptr<script_callback> keep = shared_from_this();
        auto* cell = dynamic_cast<OI_menu_cell*>(origin);
        std::string script = cell == nullptr ? text_ + " NULL" : text_ + " {" + cell->name() + "}";
        std::string result;
        long answer = 1;
        if (evaluate(script, &result) && result != "1") {
            answer = 0;
            if (result != "0")
                error(listring(result.c_str()), true);
        }
        if (!Tcl_InterpDeleted(interp_))
            Tcl_UnsetVar(interp_, "popdown_btn", TCL_GLOBAL_ONLY);
        return answer;
    }

    // A callback running member on this record.
    OI_callback callback(long (script_callback::*member)(OI_d_tech*, void*, long))
    {
        std::shared_ptr<script_callback> self = shared_from_this();
        return OI_callback([self]() -> OIU_callback_multiple* { return self.get(); },
                           static_cast<OI_member>(member), nullptr);
    }

private:
    // Evaluates script at the global level, leaving the interpreter's state
    // as it was (a command waiting in a nested loop keeps its own result):
    // true with the result in *result, or false after the error boxes.
    bool evaluate(const std::string& script, std::string* result)
    {
        if (Tcl_InterpDeleted(interp_))
            return false;
        Tcl_InterpState saved = Tcl_SaveInterpState(interp_, TCL_OK);
        int status = Tcl_EvalEx(interp_, script.c_str(), -1, TCL_EVAL_GLOBAL);
        *result = Tcl_GetStringResult(interp_);
        Tcl_RestoreInterpState(interp_, saved);
        if (status == TCL_OK)
            return true;
        error(format_message(DEF_BAD_CALLBACK, text_.c_str()), true);
        error(listring(result->c_str()), true);
        return false;
    }

    Tcl_Interp* interp_;
    std::string text_;
};

// Makes dialog as wide as object plus 10 pixels; the height stays, unless
// the dialog now needs more to show everything.
void fit_dialog_width(OI_d_tech* dialog, const OI_d_tech* object)
{
    OI_flush();
    int object_width = 0, object_height = 0;
    object->size(&object_width, &object_height);
    int width = 0, height = 0;
    dialog->size(&width, &height);
    height = std::max(height, dialog->requested_height());
    dialog->set_size(object_width + 10, height);
}

}  // namespace

int cmd_load_resources(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS, name);
    if (toolkit_root(interp) == nullptr)
        return TCL_ERROR;
    // Unlike the installer's own files, a bad one is only the script's failure.
    OI_d_tech** objects = nullptr;
    OI_resource_fault fault;
    int merged = merge_resource_file(nullptr, argv[1], &objects, &fault);
    std::free(objects);
    if (merged != 1)
        return fail(interp, bad_resource_file_text(argv[1], fault).c_str());
    return succeed(interp);
}

int cmd_popup_dialog(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2 && argc != 3)
        return usage(interp, DEF_BAD_ARGS2, name);
    OI_d_tech* dialog = find_dialog(interp, argv[1], true);
    if (dialog == nullptr)
        return TCL_ERROR;
    auto* box = dynamic_cast<OI_dialog_box*>(dialog);
    bool no_wait = argc == 3 && std::strcmp(argv[2], NO_WAIT.c_str()) == 0;
    if (no_wait || box == nullptr) {
        dialog->set_state(ACTIVE);
        if (no_wait && dialog->top_level() == dialog)
            dialog->raise();
        return succeed(interp);
    }
    box->set_state(ACTIVE_NOT_DISPLAYED);
    // The dialog may be gone when the wait ends; only the cell is used.
    OI_menu_cell* pressed = box->wait_button(true);
    return succeed(interp, pressed == nullptr ? "NULL" : pressed->name());
}

int cmd_popdown_dialog(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS2, name);
    OI_d_tech* dialog = find_dialog(interp, argv[1], true);
    if (dialog == nullptr)
        return TCL_ERROR;
    dialog->set_state(ACTIVE_NOT_DISPLAYED);
    return succeed(interp);
}

int cmd_takedown_dialog(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS2, name);
    OI_d_tech* found = find_dialog(interp, argv[1], false);
    if (found == nullptr)
        return TCL_ERROR;
    auto* box = dynamic_cast<OI_dialog_box*>(found);
    if (box == nullptr)
        return fail(interp, format_message(DEF_BAD_DIALOG, argv[1]).c_str());
    box->take_down();
    return succeed(interp);
}

int cmd_format_text(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2 && argc != 3)
        return usage(interp, DEF_BAD_ARGS4, name);
    OI_d_tech* object = find_argument(interp, argc, argv, 0);
    if (object == nullptr)
        return TCL_ERROR;
    auto* text = dynamic_cast<OI_multi_text*>(object);
    if (text == nullptr)
        return fail(interp, format_message(DEF_NOT_MULTITEXT, argv[argc - 1]).c_str());
    std::string joined;
    for (const std::string& line : text->lines())
        joined += (joined.empty() ? "" : "\n") + line;
    listring wrapped(joined.c_str());
    wrapped.format_for_output();
    text->set_text_to_string(wrapped.c_str());
    text->fit_view_to_text();
    std::vector<std::string> lines = text->lines();
    if (!lines.empty())
        text->set_position(static_cast<int>(lines.size()) - 1, static_cast<int>(lines.back().size()));
    if (OI_d_tech* dialog = enclosing_dialog(text)) {
        fit_dialog_width(dialog, text);
        text->set_bkg_color(dialog->bkg_color());
    }
    return succeed(interp);
}

int cmd_center_dialog(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS2, name);
    OI_d_tech* dialog = find_dialog(interp, argv[1], true);
    if (dialog == nullptr)
        return TCL_ERROR;
    center_xy(dialog);
    return succeed(interp);
}

int cmd_set_value(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 3 && argc != 4)
        return usage(interp, DEF_BAD_ARGS3, name);
    OI_d_tech* object = find_argument(interp, argc, argv, 1);
    if (object == nullptr)
        return TCL_ERROR;
    OI_d_tech* dialog = enclosing_dialog(object);
    if (dialog == nullptr)
        return fail(interp, format_message(DEF_DIALOG_NOT_FOUND, argv[argc - 2]).c_str());
    dialog->update_resources();
    std::string reason;
    switch (object->set_value_text(argv[argc - 1], OI_set_by::program, &reason)) {
    case OI_set_result::set:
        return succeed(interp);
    case OI_set_result::defaulted:
        // A cell given a word that is no flag is still set (deselected): the
        // message is the result, not an error.
        return succeed(interp, format_message(DEF_BAD_FLAG_STRING, argv[argc - 1]).c_str());
    case OI_set_result::refused:
        return fail(interp, reason.c_str());
    case OI_set_result::no_value:
        break;
    }
    return fail(interp, format_message(DEF_CANT_SET_VALUE, object->name().c_str()).c_str());
}

int cmd_set_resource(ClientData, Tcl_Interp* interp, int, const char**)
{
    OI_d_tech* root = toolkit_root(interp);
    if (root == nullptr)
        return TCL_ERROR;
    listring missing = format_message(DEF_DIALOG_NOT_FOUND, MAIN_WINDOW.c_str());
    OI_d_tech* main = OI_find(root, MAIN_WINDOW.c_str(), failing_with(interp, missing));
    if (main == nullptr)
        return TCL_ERROR;
    OI_uib_conn->merge_resources("*main_win.*background: red");
    main->update_resources();
    return succeed(interp);
}

int cmd_get_value(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2 && argc != 3)
        return usage(interp, DEF_BAD_ARGS3, name);
    OI_d_tech* object = find_argument(interp, argc, argv, 0);
    if (object == nullptr)
        return TCL_ERROR;
    std::string value;
    if (!object->get_value_text(&value))
        return fail(interp, format_message(DEF_CANT_GET_VALUE, argv[argc - 1]).c_str());
    return succeed(interp, value);
}

int cmd_enable_object(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS5, name);
    OI_d_tech* object = find_object(interp, nullptr, argv[1]);
    if (object == nullptr)
        return TCL_ERROR;
    object->set_state(ACTIVE);
    return succeed(interp);
}

int cmd_disable_object(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS5, name);
    OI_d_tech* object = find_object(interp, nullptr, argv[1]);
    if (object == nullptr)
        return TCL_ERROR;
    object->set_state(INACTIVE);
    return succeed(interp);
}

int cmd_set_busy(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS2, name);
    OI_d_tech* dialog = find_dialog(interp, argv[1], true);
    if (dialog == nullptr)
        return TCL_ERROR;
    dialog->set_working();
    return succeed(interp);
}

int cmd_clear_busy(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS2, name);
    OI_d_tech* dialog = find_dialog(interp, argv[1], true);
    if (dialog == nullptr)
        return TCL_ERROR;
    dialog->clear_working();
    return succeed(interp);
}

int cmd_get_cursor(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS2, name);
    OI_d_tech* object = find_dialog(interp, argv[1], false);
    if (object == nullptr)
        return TCL_ERROR;
    return succeed(interp, std::to_string(object->cursor()));
}

int cmd_set_cursor(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 3 && argc != 4)
        return usage(interp, DEF_BAD_ARGS3, name);
    OI_d_tech* object = find_argument(interp, argc, argv, 1);
    if (object == nullptr)
        return TCL_ERROR;
    long shape = 0;
    if (Tcl_ExprLong(interp, argv[argc - 1], &shape) != TCL_OK)
        return TCL_ERROR;
    object->set_cursor(static_cast<int>(shape));
    return succeed(interp);
}

int cmd_set_cb(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 3 && argc != 4)
        return usage(interp, DEF_BAD_ARGS4, name);
    OI_d_tech* object = find_argument(interp, argc, argv, 1);
    if (object == nullptr)
        return TCL_ERROR;
    auto record = std::make_shared<script_callback>(interp, argv[argc - 1]);
    if (auto* field = dynamic_cast<OI_entry_field*>(object)) {
        field->set_entry_callback(record->callback(&script_callback::run));
    } else if (auto* cell = dynamic_cast<OI_menu_cell*>(object)) {
        cell->change_action(record->callback(&script_callback::run));
    } else if (auto* button = dynamic_cast<KOI_button*>(object)) {
        button->set_click(record->callback(&script_callback::run));
    } else if (auto* dialog = dynamic_cast<OI_dialog_box*>(object)) {
        dialog->set_term_action(true, record->callback(&script_callback::terminate));
    } else {
        return fail(interp, format_message(DEF_CANT_SET_CALLBACK, argv[argc - 2]).c_str());
    }
    return succeed(interp);
}

int cmd_confirm(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS6, name);
    return succeed(interp, confirm(listring(argv[1]), true) ? "1" : "0");
}

int cmd_error(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS6, name);
    error(listring(argv[1]), true);
    return succeed(interp);
}

int cmd_information(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS6, name);
    information(listring(argv[1]), true);
    return succeed(interp);
}

int cmd_warning(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2)
        return usage(interp, DEF_BAD_ARGS6, name);
    return succeed(interp, warning(listring(argv[1]), true) ? "1" : "0");
}

int cmd_clone(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 3)
        return usage(interp, DEF_BAD_ARGS5, name);
    OI_d_tech* original = find_object(interp, nullptr, argv[1]);
    if (original == nullptr)
        return TCL_ERROR;
    OI_d_tech* parent = original->parent();
    OI_d_tech* copy = parent == nullptr ? nullptr : original->clone();
    if (copy == nullptr)
        return fail(interp, format_message(DEF_CANT_CLONE, argv[1]).c_str());
    copy->set_name(argv[2]);
    copy->set_associated_object(parent, OI_DEFAULT_LOC, OI_DEFAULT_LOC, original->state());
    return succeed(interp);
}

int cmd_update_resources(ClientData name, Tcl_Interp* interp, int argc, const char** argv)
{
    if (argc != 2 && argc != 3)
        return usage(interp, DEF_BAD_ARGS3, name);
    OI_d_tech* object = find_argument(interp, argc, argv, 0);
    if (object == nullptr)
        return TCL_ERROR;
    object->update_resources();
    return succeed(interp);
}

int cmd_event_flush(ClientData name, Tcl_Interp* interp, int argc, const char**)
{
    if (argc != 1)
        return usage(interp, DEF_NO_ARGS_REQD, name);
    for (int handled = 0; handled < FLUSH_EVENT_LIMIT && OI_dispatch_one(false); ++handled) {
    }
    OI_flush();
    return succeed(interp);
}
