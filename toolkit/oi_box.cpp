#include "toolkit/oi_box.h"

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

void OI_box::create_widget(const std::string& path)
{
    OI_tk::eval("frame " + path + " -borderwidth 0");
}
