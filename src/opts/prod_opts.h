// prod_opts: a product's installation option set, the root of its subset
// tree, read from {cfg}/{id}prd.cfg. It answers for the product, the
// product list and the command templates, and owns the installation
// command list that an installation fills. The installation options dialog
// is built on it.
#ifndef KITSETUP_OPTS_PROD_OPTS_H
#define KITSETUP_OPTS_PROD_OPTS_H

#include <memory>

#include "opts/t_subset.h"

class l_listring;

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

    // Builds the installation's command sequence from the templates and the
    // selected subsets (tape rewind first, the installer's and the common
    // subset where they belong, each subset's dependencies before it) and
    // starts it. 0 when it runs; -1 after a message, a refusal or a stop,
    // with the sequence left empty.
    int install();

private:
    // Appends the commands of every subset this installation copies, in
    // order: 0, or -1 after a message or a refusal.
    int extract_subsets();
    // Appends the commands that extract option (handled notes its name):
    // 0, or -1 when they cannot be built.
    int extract(subset* option, l_listring& handled);
    // Extracts the dependencies of option not handled yet, asking before
    // the common files go where another product's are: 0, or -1 after the
    // message of a missing one or of commands that cannot be built.
    int extract_dependencies(subset* option, l_listring& handled);
    // Notes, from the other installed products' records, whether the
    // target's common directory is theirs too and whether /opt/tarnu links
    // to common files of theirs. 0, or -1 when a record cannot be read.
    int find_shared_common(const listring& common_dir);
    // The tape checks and the first rewind: 0, or -1 when refused.
    int start_tape();
    liboolean stopped() const;

    liboolean common_shared_ = false;
    liboolean common_link_ = false;

    product* prod_;
    l_product* prod_list_;
    std::unique_ptr<l_cmd> install_cmds_;
};

#endif
