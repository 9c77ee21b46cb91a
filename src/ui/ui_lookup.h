// The look-up every dialog makes of its objects: the root object, a dialog
// by name, a named part inside it, all through the toolkit's OI_find. A
// missing object is shown in an error box; where the dialog cannot work
// without it, the program then ends, never following a null pointer.
#ifndef KITSETUP_UI_UI_LOOKUP_H
#define KITSETUP_UI_UI_LOOKUP_H

#include "lib/listring.h"
#include "toolkit/oi_d_tech.h"
#include "toolkit/oi_lookup.h"

// What a missing dialog named name does: its error box, and with ending
// the end of the program. A missing root gets its own message.
OI_lookup_policy missing_dialog(const listring& name, bool ending);
// The same for a part named part of dialog (absent, or of another class).
OI_lookup_policy missing_part(const OI_d_tech* dialog, const listring& part, bool ending);

// The connection's root object; without one the program ends.
OI_d_tech* root_object();
// The dialog named name below the root object; without one the program ends.
OI_d_tech* find_dialog(const listring& name);

// The object named part inside dialog, of class T; without one the program ends.
template <class T>
T* find_part(OI_d_tech* dialog, const listring& part)
{
    return OI_find<T>(dialog, part.c_str(), missing_part(dialog, part, true));
}

#endif
