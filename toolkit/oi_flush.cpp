#include "toolkit/oi_flush.h"

// No display connection exists yet; the toolkit fills this in.
void OI_flush() {}
