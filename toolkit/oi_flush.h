// Repaints pending exposures at once, so that a status text changed during
// long work shows before the work goes on.
#ifndef KITSETUP_TOOLKIT_OI_FLUSH_H
#define KITSETUP_TOOLKIT_OI_FLUSH_H

void OI_flush();

#endif
