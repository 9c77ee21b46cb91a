#include "misc/l_proc_desc.h"

#include <cstdio>

namespace {
const list_labels process_labels = {" process descriptor", "Process descriptor"};
}

l_proc_desc::l_proc_desc() : typed_list<proc_desc_t>(process_labels) {}

int l_proc_desc::remove(unsigned i)
{
    return checked_remove(i);
}

listring l_proc_desc::element_name(const proc_desc_t& element) const
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%d", static_cast<int>(element.pid));
    return listring(digits);
}
