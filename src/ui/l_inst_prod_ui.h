// l_inst_prod_ui: the install action's selection dialog
// "inst_product_dialog", offering every product. Handling a product checks
// it against the installed versions of the same product, runs its
// pre-installation script and goes on to its options.
#ifndef KITSETUP_UI_L_INST_PROD_UI_H
#define KITSETUP_UI_L_INST_PROD_UI_H

#include "ui/l_product_ui.h"

class l_inst_prod_ui : public l_product_ui {
public:
    explicit l_inst_prod_ui(l_product* products);

    // Handles the only product at once; otherwise shows every product.
    long popup(OI_d_tech* origin, void* argument, long value) override;
    // The start of an installation: the version checks against every
    // installed product with the same code (the same version asks to go
    // on and proposes the options not installed yet; an older one may be
    // removed first; a newer one stops it), the pre-installation script
    // (stop, or bypass: the installation scripts alone), then the options.
    void handle_cb(product* chosen) override;

    // For a reinstallation: the top-level subsets recorded as installed
    // are deselected and all others selected, so that the new run offers
    // what is not installed yet. Without recorded options nothing changes.
    static void preselect_new_subsets(product& chosen, const l_listring& installed_options);

private:
    // The version checks: true when the installation is to go on.
    bool check_installed_versions(product& chosen);
};

#endif
