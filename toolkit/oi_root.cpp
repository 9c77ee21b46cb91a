#include "toolkit/oi_root.h"

#include <cstdlib>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

// The root stands for Tk's main window ".", which stays withdrawn: only the
// top levels under it are seen.
OI_root::OI_root() : OI_d_tech("root")
{
    widget_ = ".";
}

// "." belongs to Tk and goes with the interpreter, not with this object.
OI_root::~OI_root()
{
    widget_.clear();
}

void OI_root::size(int* width, int* height) const
{
    OI_connection* conn = OI_uib_conn;
    std::string w = "0";
    std::string h = "0";
    if (conn != nullptr) {
        OI_tk::eval("winfo screenwidth .", &w);
        OI_tk::eval("winfo screenheight .", &h);
    }
    *width = std::atoi(w.c_str());
    *height = std::atoi(h.c_str());
}
