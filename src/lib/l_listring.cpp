#include "lib/l_listring.h"

#include <new>

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
    listring* copy = new (std::nothrow) listring(s);
    if (copy == nullptr) {
        report_list_add_error(labels(), s);
        return -1;
    }
    int status = add(copy);
    if (status != 0)
        delete copy;
    return status;
}
