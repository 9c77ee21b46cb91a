// The look-up every dialog makes of its objects: the root object, a dialog
// by name, a named part inside it. A missing object is reported and ends the
// program: a dialog without its parts cannot work.
#ifndef KITSETUP_UI_UI_LOOKUP_H
#define KITSETUP_UI_UI_LOOKUP_H

#include "lib/listring.h"
#include "toolkit/oi_d_tech.h"

// The connection's root object.
OI_d_tech* root_object();
// The dialog named name below the root object.
OI_d_tech* find_dialog(const listring& name);
// Reports that dialog has no part named part (of the class wanted) and ends
// the program.
[[noreturn]] void part_not_found(const OI_d_tech* dialog, const listring& part);

// The object named part inside dialog, of class T.
template <class T>
T* find_part(OI_d_tech* dialog, const listring& part)
{
    T* found = dynamic_cast<T*>(dialog->descendant(part.c_str()));
    if (found == nullptr)
        part_not_found(dialog, part);
    return found;
}

#endif
