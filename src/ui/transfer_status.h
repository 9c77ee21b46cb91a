// The status line of the transfer (progress) dialog, for code outside the
// dialog that reports progress, such as the tape check.
#ifndef KITSETUP_UI_TRANSFER_STATUS_H
#define KITSETUP_UI_TRANSFER_STATUS_H

#include "lib/listring.h"

// Sets the transfer dialog's status line to text when that dialog is
// displayed and returns true; false (nothing shown) otherwise.
liboolean show_transfer_status(const listring& text);

#endif
