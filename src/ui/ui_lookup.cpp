#include "ui/ui_lookup.h"

#include "toolkit/oi_connection.h"
#include "ui/dialogs.h"
#include "ui/kitsetup.h"
#include "lib/msgs.h"

OI_lookup_policy missing_dialog(const listring& name, bool ending)
{
    return OI_lookup_policy::reporting([name, ending](OI_lookup_failure failure) {
        if (failure == OI_lookup_failure::no_start)
            error(catalogue_text(DEF_ROOT_WIDGET_NOT_FOUND), true);
        else
            error(format_message(DEF_DIALOG_NOT_FOUND, name.c_str()), true);
        if (ending)
            shutdown(-1);
    });
}

OI_lookup_policy missing_part(const OI_d_tech* dialog, const listring& part, bool ending)
{
    listring dialog_name(dialog == nullptr ? "" : dialog->name().c_str());
    return OI_lookup_policy::reporting([dialog_name, part, ending](OI_lookup_failure) {
        error(format_message(DEF_WIDGET_NOT_FOUND, part.c_str(), dialog_name.c_str()), true);
        if (ending)
            shutdown(-1);
    });
}

OI_d_tech* root_object()
{
    OI_d_tech* root = OI_root_object();
    if (root == nullptr) {
        error(catalogue_text(DEF_ROOT_WIDGET_NOT_FOUND), true);
        shutdown(-1);
    }
    return root;
}

OI_d_tech* find_dialog(const listring& name)
{
    return OI_find(root_object(), name.c_str(), missing_dialog(name, true));
}
