#include "ui/l_inst_prod_ui.h"

#include <cstring>

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "opts/subset.h"
#include "prod/l_product.h"
#include "prod/product.h"
#include "prod/progress_views.h"
#include "ui/help_request.h"
#include "ui/main_ui.h"

l_inst_prod_ui::l_inst_prod_ui(l_product* products)
    : l_product_ui(products, "inst_product_dialog", catalogue_text(DEF_CHOOSE_ONE), KITSETUP_HELP_FILE,
                   HELP_PRODUCT_TOPIC)
{
}

long l_inst_prod_ui::popup(OI_d_tech*, void*, long)
{
    start_popup();
    if (products()->entries() == 1) {
        choose(products()->elem(0u), false);
        return 0;
    }
    show();
    return 0;
}

void l_inst_prod_ui::handle_cb(product* chosen)
{
    if (chosen == nullptr) {
        error(catalogue_text(DEF_NO_ACCESS_TO_PRODUCT), true);
        return;
    }
    if (!check_installed_versions(*chosen))
        return;
    popdown(nullptr, nullptr, 0);
    if (chosen->needs_preinstall()) {
        int result = chosen->execute_preinstall();
        if (result == -1 || result == 1)
            return;
        if (result == 2) {
            chosen->execute_all_install_scripts();
            return;
        }
    }
    if (the_interface != nullptr)
        the_interface->choose_options(*chosen);
}

bool l_inst_prod_ui::check_installed_versions(product& chosen)
{
    l_listring installed_ids;
    // The list never frees its strings: they go on every way out.
    struct free_ids {
        l_listring& ids;
        ~free_ids() { ids.delete_all(); }
    } freeing{installed_ids};
    if (get_prod_ids_from_files(TARNU_DIR, installed_ids, DATA_LOG_EXTENSION) != 0) {
        installed_ids.delete_all();
        // Nothing is recorded yet: the directory the records will need.
        if (create_dir(TARNU_DIR) != 0) {
            information(format_message(DEF_MUST_RECORD, TARNU_DIR.c_str()), true);
            return false;
        }
    }
    for (unsigned i = 0; i < installed_ids.entries(); ++i) {
        const listring& id = *installed_ids.elem(i);
        product* installed = find_product(id);
        if (installed == nullptr) {
            if (!warning(format_message(DEF_NO_CONFIG_FOR_ID, id.c_str(), CONFIG_FILE_DIR.c_str()), true))
                return false;
            continue;
        }
        if (std::strcmp(installed->code().c_str(), chosen.code().c_str()) != 0)
            continue;
        if (installed->parse_data_file() != 0)
            continue;
        int order = std::strcmp(chosen.version_code().c_str(), installed->version_code().c_str());
        if (order == 0) {
            if (!confirm(format_message(DEF_VERSION_EXISTS, installed->short_description().c_str(),
                                        installed->target().c_str()),
                         true)) {
                if (transfer_view* transfer = chosen.transfer(); transfer != nullptr && transfer->is_displayed())
                    transfer->popdown();
                return false;
            }
            preselect_new_subsets(chosen, *installed->installed_option_ids());
        } else if (order > 0) {
            if (confirm(format_message(DEF_OLDER_VERSION_EXISTS, chosen.short_description().c_str(),
                                       installed->short_description().c_str(), installed->target().c_str(),
                                       chosen.short_description().c_str()),
                        true))
                installed->setup_deinstall(true);
        } else {
            information(format_message(DEF_NEWER_VERSION_EXISTS, chosen.short_description().c_str(),
                                       installed->short_description().c_str(),
                                       installed->short_description().c_str()),
                        true);
            return false;
        }
    }
    return true;
}

void l_inst_prod_ui::preselect_new_subsets(product& chosen, const l_listring& installed_options)
{
    l_subset* subsets = chosen.install_opts() == nullptr ? nullptr : chosen.install_opts()->entries();
    if (subsets == nullptr || installed_options.entries() == 0)
        return;
    for (unsigned i = 0; i < subsets->entries(); ++i) {
        subset* option = subsets->elem(i);
        bool installed = false;
        for (unsigned j = 0; j < installed_options.entries() && !installed; ++j)
            installed = std::strcmp(installed_options.elem(j)->c_str(), option->name().c_str()) == 0;
        option->choose(!installed);
    }
}
