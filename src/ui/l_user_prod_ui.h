// l_user_prod_ui: the user set-up action's selection dialog
// "user_product_dialog", offering the installed products (the others are
// greyed). Handling a product runs its user set-up script.
#ifndef KITSETUP_UI_L_USER_PROD_UI_H
#define KITSETUP_UI_L_USER_PROD_UI_H

#include "ui/l_product_ui.h"

class l_user_prod_ui : public l_product_ui {
public:
    explicit l_user_prod_ui(l_product* products);

    long popup(OI_d_tech* origin, void* argument, long value) override;
    void handle_cb(product* chosen) override;
};

#endif
