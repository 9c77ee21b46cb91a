// The dialog commands product scripts use to load, show, fill and read their
// own dialogs and to show the installer's message boxes. Each is a Tcl
// command procedure whose client data is the command's own name (a const
// char* living for the run), which its usage message quotes.
#ifndef KITSETUP_TOI_TOI_CMDS_H
#define KITSETUP_TOI_TOI_CMDS_H

#include <tcl.h>

int cmd_load_resources(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_popup_dialog(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_popdown_dialog(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_takedown_dialog(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_format_text(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_center_dialog(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_value(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_resource(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_get_value(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_enable_object(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_disable_object(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_busy(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_clear_busy(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_get_cursor(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_cursor(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_cb(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_confirm(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_error(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_information(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_warning(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_clone(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_update_resources(ClientData name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_event_flush(ClientData name, Tcl_Interp* interp, int argc, const char** argv);

#endif
