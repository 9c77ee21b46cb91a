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

#endif
