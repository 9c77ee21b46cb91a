// The dialog commands product scripts use to load, show, fill and read their
// own dialogs and to show the installer's message boxes. Each is a Tcl
// command procedure whose client data is the command's own name (a const
// char* living for the run), which its usage message quotes.
#ifndef KITSETUP_TOI_TOI_CMDS_H
#define KITSETUP_TOI_TOI_CMDS_H

struct Tcl_Interp;

int cmd_load_resources(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_popup_dialog(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_popdown_dialog(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_takedown_dialog(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_format_text(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_center_dialog(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_value(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_resource(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_get_value(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_enable_object(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_disable_object(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_busy(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_clear_busy(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_get_cursor(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_cursor(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_set_cb(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_confirm(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_error(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_information(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_warning(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_clone(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_update_resources(void* name, Tcl_Interp* interp, int argc, const char** argv);
int cmd_event_flush(void* name, Tcl_Interp* interp, int argc, const char** argv);

#endif
