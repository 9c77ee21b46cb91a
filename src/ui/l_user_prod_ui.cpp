#include "ui/l_user_prod_ui.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "prod/product.h"
#include "ui/help_request.h"

l_user_prod_ui::l_user_prod_ui(l_product* products)
    : l_product_ui(products, "user_product_dialog", catalogue_text(DEF_CHOOSE_PROD_CONFIG),
                   KITSETUP_HELP_FILE, HELP_USER_SETUP_TOPIC)
{
}

long l_user_prod_ui::popup(OI_d_tech* origin, void* argument, long value)
{
    return installed_popup(origin, argument, value);
}

// The script reports its own outcome.
void l_user_prod_ui::handle_cb(product* chosen)
{
    if (chosen == nullptr) {
        error(catalogue_text(DEF_NO_ACCESS_TO_PRODUCT), true);
        return;
    }
    chosen->setup_user();
}
