// OI_tk: the toolkit's own way into Tk behind its objects: the connection,
// its interpreter, scripts run there and each object's widget path. Only
// the toolkit's files (and its white-box tests) include this header; the
// rest of the program works through the objects' operations.
#ifndef KITSETUP_TOOLKIT_OI_TK_H
#define KITSETUP_TOOLKIT_OI_TK_H

#include <string>

struct Tcl_Interp;
class OI_connection;
class OI_d_tech;

struct OI_tk {
    static Tcl_Interp* interp(const OI_connection* conn);
    // Runs script in the toolkit's interpreter: true on success, with the
    // result in *result when given; false when the toolkit is not started.
    static bool eval(const std::string& script, std::string* result = nullptr);
    // The Tk path of object's widget, "" while it has none.
    static const std::string& widget(const OI_d_tech* object);
};

#endif
