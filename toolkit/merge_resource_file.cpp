#include "toolkit/merge_resource_file.h"

#include <unistd.h>

#include "lib/msgs.h"
#include "misc/translate_filename.h"
#include "toolkit/center_xy.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_d_tech.h"

int merge_resource_file(OI_d_tech* parent, const char* path, OI_d_tech*** objects,
                        OI_resource_fault* fault)
{
    *objects = nullptr;
    listring file = OI_translate_filename(listring(path));
    if (access(file.c_str(), F_OK) != 0)
        return -1;
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || conn->add_resources(file.c_str(), 0, fault) == 0)
        return 0;
    *objects = OI_make_top_level();
    OI_d_tech* attach_to = parent == nullptr ? conn->root() : parent;
    OI_state state = parent == nullptr ? NOT_DISPLAYED : ACTIVE_NOT_DISPLAYED;
    for (OI_d_tech** object = *objects; object != nullptr && *object != nullptr; ++object) {
        (*object)->set_associated_object(attach_to, OI_DEFAULT_LOC, OI_DEFAULT_LOC, state);
        center_xy(*object);
    }
    return 1;
}

listring bad_resource_file_text(const listring& path, const OI_resource_fault& fault)
{
    listring text = format_message(DEF_BAD_RESOURCE_FILE, path.c_str());
    if (fault.line > 0) {
        text += " ";
        text += format_message(DEF_BAD_RESOURCE_LINE, fault.line, fault.file.c_str(),
                               fault.reason.c_str());
    }
    return text;
}
