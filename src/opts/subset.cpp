#include "opts/subset.h"

#include <utility>

subset::subset(t_subset* parent, subset* owner) : t_subset(parent, owner, listring()) {}

// The dependency names are the list's own copies.
subset::~subset()
{
    dependencies_.delete_all();
}

int subset::add_dependency(const listring& name)
{
    return dependencies_.add(name);
}

void subset::set_suboptions(std::unique_ptr<t_subset> options)
{
    suboptions_ = std::move(options);
}

void subset::choose(liboolean on)
{
    selected_ = on;
    default_ = on;
}
