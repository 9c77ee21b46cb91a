// prod_opts: a product's installation option set, the root of its subset
// tree, read from {cfg}/{id}prd.cfg. It answers for the product, the
// product list and the command templates, and owns the installation
// command list that an installation fills. The installation options dialog
// is built on it.
#ifndef KITSETUP_OPTS_PROD_OPTS_H
#define KITSETUP_OPTS_PROD_OPTS_H

#include <memory>

#include "opts/t_subset.h"

class prod_opts : public t_subset {
public:
    prod_opts(l_product* list, product* owner);
    ~prod_opts() override;

    t_subset* root() override { return this; }
    product* current_prod() override { return prod_; }
    l_product* all_products() override { return prod_list_; }
    l_cmd* cmd_templates() override;
    cmd* cmd_templates(cmd_t kind) override;

    l_cmd* install_cmds() const { return install_cmds_.get(); }

private:
    product* prod_;
    l_product* prod_list_;
    std::unique_ptr<l_cmd> install_cmds_;
};

#endif
