#include "toolkit/center_xy.h"

#include "toolkit/oi_connection.h"
#include "toolkit/oi_d_tech.h"

void center_xy(OI_d_tech* object)
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || object == nullptr)
        return;
    // Pending geometry work first, or a new window still has its first size.
    OI_flush();
    int screen_width = 0;
    int screen_height = 0;
    conn->screen_root()->size(&screen_width, &screen_height);
    int width = 0;
    int height = 0;
    object->size(&width, &height);
    object->set_root_loc((screen_width - width) / 2, (screen_height - height) / 2);
}
