#include "prod/prim_opt.h"

namespace {

// l_listring leaves its strings to their owner: the option frees its copies.
void delete_names(l_listring& names)
{
    for (unsigned i = 0; i < names.entries(); ++i)
        delete names.elem(i);
    names.empty();
}

}  // namespace

prim_opt::prim_opt() = default;

prim_opt::~prim_opt()
{
    delete_names(subset_options_);
    delete_names(hidden_options_);
}

int prim_opt::add_subset_option(const listring& subset)
{
    return subset_options_.add(subset);
}

int prim_opt::add_hidden_option(const listring& subset)
{
    return hidden_options_.add(subset);
}
