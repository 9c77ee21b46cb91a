// reporter: how every layer shows a message and ends the program without
// knowing whether a display is up. Start-up installs the message boxes'
// reporter once the toolkit is up; until then text_reporter writes each
// message to standard error. Reporters are not owned here.
#ifndef KITSETUP_LIB_REPORTER_H
#define KITSETUP_LIB_REPORTER_H

#include "lib/listring.h"

enum class message_kind { error, warning, confirm, information, dir };

class reporter {
public:
    virtual ~reporter() = default;
    // Shows text as a message of kind; true when the user answered OK or
    // Yes. A modal message takes all input until it is answered.
    virtual liboolean show(message_kind kind, const listring& text, liboolean modal) = 0;
    // The non-blocking busy box showing text (in the progress dialog's
    // status line while that is up), and taking it down; without a display
    // there is none.
    virtual void show_busy(const listring& text);
    virtual void hide_busy();
    // Redraws what is displayed, for code that waits outside the event loop.
    virtual void update_display();
    // Ends the program with status.
    [[noreturn]] virtual void end(int status) = 0;
};

// Messages as lines on standard error: errors and warnings after their
// prefix, information bare. Nobody can answer there, so a warning answers
// false and a confirmation ends the program. end() exits at once.
class text_reporter : public reporter {
public:
    liboolean show(message_kind kind, const listring& text, liboolean modal) override;
    [[noreturn]] void end(int status) override;
};

// Installs the reporter every message goes to (null: a text_reporter) and
// returns the one it replaces.
reporter* set_reporter(reporter* replacement);

void error(const listring& text, liboolean modal);
// True when the user answered OK.
liboolean warning(const listring& text, liboolean modal);
// True when the user answered Yes.
liboolean confirm(const listring& text, liboolean modal);
void information(const listring& text, liboolean modal);
void popup_busy(const listring& text);
void popdown_busy();
void update_display();
// Ends the program with status through the installed reporter.
[[noreturn]] void end_program(int status);

// The one answer to memory running out, installed as the new-handler at
// start-up: "Out of memory." on standard error (a box would need memory)
// and the end of the program with status -1.
[[noreturn]] void out_of_memory();

// message as a box or a terminal shows it: wrapped at 80 columns when it is
// longer (its own line breaks stay).
listring wrapped_message(const listring& message);

#endif
