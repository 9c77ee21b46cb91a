// l_proc_desc: the list of running children (process descriptors) that the
// command engine keeps. It never deletes the descriptors: their owner does.
#ifndef KITSETUP_MISC_L_PROC_DESC_H
#define KITSETUP_MISC_L_PROC_DESC_H

#include "lib/typed_list.h"
#include "misc/utilities.h"

class l_proc_desc : public typed_list<proc_desc_t> {
public:
    l_proc_desc();

    // Removes entry i: 0, or -1 after the subscript-error box when i is out
    // of range (the program goes on).
    int remove(unsigned i) override;

protected:
    // The process id in decimal.
    listring element_name(const proc_desc_t& element) const override;
};

#endif
