#include "opts/prod_opts.h"

#include "cmds/l_cmd.h"
#include "prod/product.h"

prod_opts::prod_opts(l_product* list, product* owner)
    : t_subset(nullptr, nullptr, owner->id()),
      prod_(owner),
      prod_list_(list),
      install_cmds_(std::make_unique<l_cmd>(list, owner, owner->id()))
{
}

prod_opts::~prod_opts() = default;

l_cmd* prod_opts::cmd_templates()
{
    return prod_->cmd_templates();
}

cmd* prod_opts::cmd_templates(cmd_t kind)
{
    return prod_->cmd_templates(kind);
}
