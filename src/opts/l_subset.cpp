#include "opts/l_subset.h"

#include "lib/msgs.h"
#include "lib/reporter.h"

namespace {

const list_labels subset_labels = {"option", "Option"};

}  // namespace

l_subset::l_subset() : typed_list<subset>(subset_labels) {}

l_subset::~l_subset()
{
    for (unsigned i = 0; i < entries(); ++i)
        delete static_cast<subset*>(List::elem(i));
    empty();
}

subset* l_subset::find(const listring& name) const
{
    return find_by_key(name, [](const subset& option) { return option.name(); });
}

subset* l_subset::elem(const listring& name) const
{
    subset* found = find(name);
    if (found == nullptr)
        error(format_message(DEF_SUBSET_DOES_NOT_EXIST, name.c_str()), true);
    return found;
}
