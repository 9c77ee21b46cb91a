// l_listring: a list of strings. It never deletes the strings, not even the
// copies that add(const listring&) makes: their owner frees them.
#ifndef KITSETUP_LIB_L_LISTRING_H
#define KITSETUP_LIB_L_LISTRING_H

#include "lib/listring.h"
#include "lib/typed_list.h"

class l_listring : public typed_list<listring> {
public:
    l_listring();

    using typed_list<listring>::add;
    // Adds a copy of s made with new: 0, or -1 after the add-error box.
    int add(const listring& s);
    // For the owner of the strings: deletes every one and empties the list.
    void delete_all();

protected:
    listring element_name(const listring& element) const override { return element; }
};

#endif
