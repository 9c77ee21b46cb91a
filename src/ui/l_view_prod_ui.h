// l_view_prod_ui: the release-notes action's selection dialog
// "view_product_dialog", offering the products whose release notes are in
// the help directory ({id}rel.hlp). Handling a product opens its notes in
// the help viewer.
#ifndef KITSETUP_UI_L_VIEW_PROD_UI_H
#define KITSETUP_UI_L_VIEW_PROD_UI_H

#include "ui/l_product_ui.h"

class l_view_prod_ui : public l_product_ui {
public:
    explicit l_view_prod_ui(l_product* products);

    // No release notes at all: "There are no product release notes
    // available."; notes of one product open at once.
    long popup(OI_d_tech* origin, void* argument, long value) override;
    // Fills the available list from the help directory; an unreadable
    // directory keeps the dialog down (-1), a missing one offers nothing.
    int modify_interface() override;
    void handle_cb(product* chosen) override;
};

#endif
