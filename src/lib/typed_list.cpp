#include "lib/typed_list.h"

#include "lib/msgs.h"
#include "lib/reporter.h"

void report_list_add_error(const list_labels& labels, const listring& name)
{
    error(format_message(DEF_LIST_ADD_ERROR, labels.add_label, name.c_str()), true);
}

void report_subscript_error(const list_labels& labels, unsigned i)
{
    error(format_message(DEF_SUBSCRIPT_ERROR, labels.subscript_label, static_cast<int>(i)), true);
}

void end_after_subscript_error()
{
    end_program(-1);
}
