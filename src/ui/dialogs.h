// The four message functions through which every message reaches the user,
// and the busy box. Before the toolkit is up they write to standard error;
// a test can catch them instead with a message_catcher.
#ifndef KITSETUP_UI_DIALOGS_H
#define KITSETUP_UI_DIALOGS_H

#include "lib/listring.h"

void error(const listring& text, liboolean modal);
// True when the user answered OK.
liboolean warning(const listring& text, liboolean modal);
// True when the user answered Yes. Without the toolkit it ends the program.
liboolean confirm(const listring& text, liboolean modal);
void information(const listring& text, liboolean modal);

// The non-blocking busy box "Working" with text; nothing without a toolkit.
void popup_busy(const listring& text);
void popdown_busy();

enum class message_kind { error, warning, confirm, information };

// Receives every message instead of the user while installed, and answers
// warnings and confirmations. Lets code that asks questions run without a
// display.
class message_catcher {
public:
    virtual ~message_catcher() = default;
    virtual liboolean catch_message(message_kind kind, const listring& text) = 0;
};

// Installs catcher (null restores normal display); returns the previous one.
message_catcher* set_message_catcher(message_catcher* catcher);

#endif
