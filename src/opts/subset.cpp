#include "opts/subset.h"

subset::subset(t_subset* parent, subset* owner) : t_subset(parent, owner, listring()) {}

// The dependency names are the list's own copies.
subset::~subset()
{
    dependencies_.delete_all();
    delete suboptions_;
}

int subset::add_dependency(const listring& name)
{
    return dependencies_.add(name);
}

void subset::set_suboptions(t_subset* options)
{
    if (options != suboptions_)
        delete suboptions_;
    suboptions_ = options;
}

void subset::choose(liboolean on)
{
    selected_ = on;
    default_ = on;
}
