#include "prod/prim_opt.h"

prim_opt::prim_opt() = default;

prim_opt::~prim_opt()
{
    subset_options_.delete_all();
    hidden_options_.delete_all();
}

int prim_opt::add_subset_option(const listring& subset)
{
    return subset_options_.add(subset);
}

int prim_opt::add_hidden_option(const listring& subset)
{
    return hidden_options_.add(subset);
}
