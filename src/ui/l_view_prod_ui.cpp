#include "ui/l_view_prod_ui.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "prod/product.h"
#include "ui/help_request.h"

l_view_prod_ui::l_view_prod_ui(l_product* products)
    : l_product_ui(products, "view_product_dialog", catalogue_text(DEF_SEE_REL_NOTES), KITSETUP_HELP_FILE,
                   HELP_RELEASE_NOTES_TOPIC)
{
    handle_before_popdown_ = true;
}

long l_view_prod_ui::popup(OI_d_tech*, void*, long)
{
    start_popup();
    if (modify_interface() != 0)
        return 0;
    show_or_handle(available(), catalogue_text(DEF_NO_RNOTES));
    return 0;
}

int l_view_prod_ui::modify_interface()
{
    clear_available();
    if (get_prod_ids_from_files(HELP_DIR, available(), HELP_EXTENSION) != 0) {
        clear_available();
        if (valid_directory(HELP_DIR))
            return -1;
    }
    offer_available(available());
    bind_and_title();
    return 0;
}

void l_view_prod_ui::handle_cb(product* chosen)
{
    if (chosen == nullptr) {
        error(catalogue_text(DEF_NO_ACCESS_TO_PRODUCT), true);
        return;
    }
    request_help(chosen->release_notes_file(), HELP_RELEASE_NOTES_TOPIC);
}
