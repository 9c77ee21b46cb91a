// The four message functions through which every message reaches the user,
// and the busy box. Before the toolkit is up they write to standard error;
// a test can catch them instead with a message_catcher.
#ifndef KITSETUP_UI_DIALOGS_H
#define KITSETUP_UI_DIALOGS_H

#include "lib/listring.h"

class OI_d_tech;

void error(const listring& text, liboolean modal);
// True when the user answered OK.
liboolean warning(const listring& text, liboolean modal);
// True when the user answered Yes. Without the toolkit it ends the program.
liboolean confirm(const listring& text, liboolean modal);
void information(const listring& text, liboolean modal);

// The non-blocking busy box "Working" with text; nothing without a toolkit.
void popup_busy(const listring& text);
void popdown_busy();

// The directory prompt "dir_dialog": shows prompt with dir in its field and
// stays up until the user gives a writable directory (offering to create a
// missing one) or cancels; dir becomes the directory given (unchanged on
// cancel). Returns 0.
int get_dir(listring& dir, const listring& prompt);

// The entry-field character filter registered as "def_char_check_cb": accepts
// printable characters only (letters, digits, punctuation, blanks).
long def_char_check_cb(OI_d_tech* field, void* argument, long character);

enum class message_kind { error, warning, confirm, information, dir };

// The boxes now waiting for an answer, for the automation interface: the
// most recently shown one still displayed, false when there is none.
bool current_message_box(message_kind* kind, listring* text, OI_d_tech** box);
void note_message_box(message_kind kind, const listring& text, OI_d_tech* box);
void forget_message_box(const OI_d_tech* box);

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
