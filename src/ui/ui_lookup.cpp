#include "ui/ui_lookup.h"

#include "toolkit/oi_connection.h"
#include "ui/dialogs.h"
#include "ui/kitsetup.h"
#include "lib/msgs.h"

OI_d_tech* root_object()
{
    OI_connection* conn = OI_current_connection();
    OI_d_tech* root = conn == nullptr ? nullptr : conn->root();
    if (root == nullptr) {
        error(catalogue_text(DEF_ROOT_WIDGET_NOT_FOUND), true);
        shutdown(-1);
    }
    return root;
}

OI_d_tech* find_dialog(const listring& name)
{
    OI_d_tech* dialog = root_object()->descendant(name.c_str());
    if (dialog == nullptr) {
        error(format_message(DEF_DIALOG_NOT_FOUND, name.c_str()), true);
        shutdown(-1);
    }
    return dialog;
}

void part_not_found(const OI_d_tech* dialog, const listring& part)
{
    error(format_message(DEF_WIDGET_NOT_FOUND, part.c_str(), dialog->name().c_str()), true);
    shutdown(-1);
}
