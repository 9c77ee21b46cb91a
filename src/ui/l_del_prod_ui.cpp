#include "ui/l_del_prod_ui.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "prod/product.h"
#include "ui/help_request.h"

l_del_prod_ui::l_del_prod_ui(l_product* products)
    : l_product_ui(products, "del_product_dialog", catalogue_text(DEF_CHOOSE_PROD_DEINSTALL),
                   KITSETUP_HELP_FILE, HELP_DEINSTALL_TOPIC)
{
}

long l_del_prod_ui::popup(OI_d_tech* origin, void* argument, long value)
{
    return installed_popup(origin, argument, value);
}

// The record is looked for before it is read, so that a missing one gets
// this dialog's own message rather than the reader's.
void l_del_prod_ui::handle_cb(product* chosen)
{
    if (chosen == nullptr) {
        error(catalogue_text(DEF_NO_ACCESS_TO_PRODUCT), true);
        return;
    }
    if (!chosen->was_installed()) {
        error(format_message(DEF_NO_RECORD_OF_INSTALL, chosen->description().c_str()), true);
        return;
    }
    if (chosen->parse_data_file() != 0)
        return;
    if (!confirm(format_message(DEF_CONFIRM_DEINSTALL, chosen->description().c_str(), chosen->target().c_str()),
                 true))
        return;
    if (chosen->needs_predeinstall()) {
        int result = chosen->execute_predeinstall();
        if (result == -1 || result == 1)
            return;
        if (result == 2) {
            chosen->execute_all_deinstall_scripts();
            return;
        }
    }
    chosen->setup_deinstall(true);
}
