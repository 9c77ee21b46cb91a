#include "lib/l_listring.h"

namespace {
const list_labels string_labels = {"string", "String"};
}

l_listring::l_listring() : typed_list<listring>(string_labels) {}

void l_listring::delete_all()
{
    for (unsigned i = 0; i < entries(); ++i)
        delete elem(i);
    empty();
}

int l_listring::add(const listring& s)
{
    auto* copy = new listring(s);
    int status = add(copy);
    if (status != 0)
        delete copy;
    return status;
}
