// Plain values of the toolkit shared by every object: states, looks and the
// position that leaves the placing to the toolkit.
#ifndef KITSETUP_TOOLKIT_OI_TYPES_H
#define KITSETUP_TOOLKIT_OI_TYPES_H

enum OI_state {
    ACTIVE = 2,                // shown and usable
    INACTIVE = 4,              // shown, greyed, not usable
    NOT_DISPLAYED = 8,         // hidden
    ACTIVE_NOT_DISPLAYED = 16  // hidden, remembered as active
};

enum OI_model_type : unsigned {
    OI_MODEL_NONE = 0,
    OI_MODEL_OPENLOOK = 0x10000000,
    OI_MODEL_MOTIF = 0x20000000,
    OI_MODEL_OPENLOOK3D = 0x30000000
};

// Either coordinate at this value lets the toolkit choose the place.
const int OI_DEFAULT_LOC = -16384;

// Condition of OI_io_dispatch_insert: the descriptor is readable.
const int OI_READABLE = 1;

// Who sets an object's value (set_value_text): the program, or the user, for
// whom an entry field then runs its entry callback as Return does.
enum class OI_set_by { program, user };

// What set_value_text made of a text.
enum class OI_set_result {
    set,        // the value is set
    defaulted,  // the text is not a value of the class: the default (off) is set
    refused,    // the text is not a value: nothing changed, the reason says why
    no_value    // the class takes no value
};

#endif
