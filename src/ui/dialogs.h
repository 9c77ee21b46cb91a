// The message boxes as the program's reporter, the directory prompt and the
// record of boxes waiting for an answer. Start-up installs dialog_reporter
// once the toolkit is up; until then messages go to standard error through
// the text-mode reporter, which ends the program through shutdown.
#ifndef KITSETUP_UI_DIALOGS_H
#define KITSETUP_UI_DIALOGS_H

#include "lib/liboolean.h"
#include "lib/listring.h"
#include "lib/reporter.h"

class OI_d_tech;

// Messages as lines on standard error; the program ends through shutdown.
class text_mode_reporter : public text_reporter {
public:
    [[noreturn]] void end(int status) override;
};

// Messages as modal boxes cloned from their templates, the busy box
// "Working", and the end through shutdown.
class dialog_reporter : public reporter {
public:
    liboolean show(message_kind kind, const listring& text, liboolean modal) override;
    void show_busy(const listring& text) override;
    void hide_busy() override;
    void update_display() override;
    [[noreturn]] void end(int status) override;
};

// The directory prompt "dir_dialog": shows prompt with dir in its field and
// stays up until the user gives a writable directory (offering to create a
// missing one) or cancels; dir becomes the directory given (unchanged on
// cancel). Returns 0.
int get_dir(listring& dir, const listring& prompt);
// The same prompt: true when a directory was given, false on cancel (or
// without a display).
liboolean ask_directory(listring& dir, const listring& prompt);

// The entry-field character filter registered as "def_char_check_cb": accepts
// printable characters only (letters, digits, punctuation, blanks).
long def_char_check_cb(OI_d_tech* field, void* argument, long character);

// The boxes now waiting for an answer, for the automation interface: the
// most recently shown one still displayed, false when there is none.
bool current_message_box(message_kind* kind, listring* text, OI_d_tech** box);
void note_message_box(message_kind kind, const listring& text, OI_d_tech* box);
void forget_message_box(const OI_d_tech* box);

#endif
