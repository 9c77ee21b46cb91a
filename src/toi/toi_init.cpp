// Creation and use of the product script interpreters.
#include "toi/toi_init.h"

#include <tcl.h>
#include <tclExtend.h>

#include "misc/lidefs.h"
#include "toi/toi_cmds.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_d_tech.h"
#include "toolkit/oi_lookup.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

namespace {

struct dialog_command {
    const char* name;
    Tcl_CmdProc* handler;
};

// Registration order matters only for "set_resource", registered twice with
// the same handler, so the second registration changes nothing.
const dialog_command dialog_commands[] = {
    {"load_resources", cmd_load_resources},
    {"popup", cmd_popup_dialog},
    {"popdown", cmd_popdown_dialog},
    {"takedown", cmd_takedown_dialog},
    {"text_format", cmd_format_text},
    {"center", cmd_center_dialog},
    {"set_value", cmd_set_value},
    {"set_resource", cmd_set_resource},
    {"get_value", cmd_get_value},
    {"enable", cmd_enable_object},
    {"disable", cmd_disable_object},
    {"set_busy", cmd_set_busy},
    {"clear_busy", cmd_clear_busy},
    {"get_cursor", cmd_get_cursor},
    {"set_cursor", cmd_set_cursor},
    {"set_cb", cmd_set_cb},
    {"confirm", cmd_confirm},
    {"error", cmd_error},
    {"information", cmd_information},
    {"warning", cmd_warning},
    {"clone", cmd_clone},
    {"update_resources", cmd_update_resources},
    {"set_resource", cmd_set_resource},
    {"event_flush", cmd_event_flush},
};

// Takes down the busy state a failed script may have left: the main
// window's working state and the "Working" box. Without a root object
// there is nothing to tidy, and the user is told so.
void tidy_after_failed_script()
{
    OI_d_tech* root = OI_uib_conn != nullptr ? OI_uib_conn->root() : nullptr;
    if (root == nullptr) {
        error(format_message(DEF_ROOT_WIDGET_NOT_FOUND), true);
        return;
    }
    OI_d_tech* main_window = OI_find(root, MAIN_WINDOW.c_str(), OI_lookup_policy::silent());
    if (main_window != nullptr && main_window->is_working())
        main_window->clear_working();
    OI_d_tech* working = OI_find(root, WORKING.c_str(), OI_lookup_policy::silent());
    if (working != nullptr)
        working->set_state(NOT_DISPLAYED);
}

}  // namespace

Tcl_Interp* create_interpreter()
{
    Tcl_Interp* interp = Tcl_CreateInterp();
    if (Tcl_Init(interp) != TCL_OK || Tclx_Init(interp) != TCL_OK) {
        error(listring(Tcl_GetStringResult(interp)), true);
        Tcl_DeleteInterp(interp);
        return nullptr;
    }
    initialise_interpreter(interp);
    return interp;
}

void initialise_interpreter(Tcl_Interp* interp)
{
    listring::case_sensitive_off();
    // The names are literals, so the client data outlives every interpreter.
    for (const dialog_command& command : dialog_commands)
        Tcl_CreateCommand(interp, command.name, command.handler,
                          const_cast<char*>(command.name), nullptr);
}

int evaluate_file(Tcl_Interp* interp, const listring& file)
{
    if (Tcl_EvalFile(interp, file.c_str()) != TCL_OK) {
        error(format_message(DEF_COULD_NOT_EXEC_SCRIPT, file.c_str(), Tcl_GetErrorLine(interp),
                             Tcl_GetStringResult(interp)),
              true);
        tidy_after_failed_script();
        return -1;
    }
    listring result(Tcl_GetStringResult(interp));
    case_insensitive_section ignoring_case;
    if (result == ONE || result == STOP)
        return 1;
    if (result == TWO || result == BYPASS)
        return 2;
    return 0;
}

int set_variable(Tcl_Interp* interp, const listring& name, const listring& value)
{
    const char* set = Tcl_SetVar(interp, name.c_str(), value.c_str(), TCL_GLOBAL_ONLY);
    return set != nullptr ? TCL_OK : TCL_ERROR;
}
