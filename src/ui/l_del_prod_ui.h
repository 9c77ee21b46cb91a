// l_del_prod_ui: the deinstall action's selection dialog
// "del_product_dialog", offering the installed products (the others are
// greyed). Handling a product confirms and starts its removal.
#ifndef KITSETUP_UI_L_DEL_PROD_UI_H
#define KITSETUP_UI_L_DEL_PROD_UI_H

#include "ui/l_product_ui.h"

class l_del_prod_ui : public l_product_ui {
public:
    explicit l_del_prod_ui(l_product* products);

    long popup(OI_d_tech* origin, void* argument, long value) override;
    // Without a record of the product: "No record of ... can be found.";
    // otherwise asks to begin, runs the pre-deinstallation script (stop,
    // or bypass: the deinstallation scripts alone) and starts the removal
    // with the backup question.
    void handle_cb(product* chosen) override;
};

#endif
