#include "toolkit/oi_box.h"

#include "toolkit/oi_connection.h"

void OI_box::create_widget(const std::string& path)
{
    connection()->eval("frame " + path + " -borderwidth 0");
}
