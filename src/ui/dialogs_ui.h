// dialogs_ui: what the four message boxes share: the catalogue prefixes, the
// message (wrapped at 80 columns) and the modal flag. Until the toolkit is up
// a box is a line on standard error; each kind says what it writes.
#ifndef KITSETUP_UI_DIALOGS_UI_H
#define KITSETUP_UI_DIALOGS_UI_H

#include "lib/listring.h"

class dialogs_ui {
public:
    dialogs_ui(const listring& dialog_name, const listring& message, liboolean modal);
    virtual ~dialogs_ui() = default;
    dialogs_ui(const dialogs_ui&) = delete;
    dialogs_ui& operator=(const dialogs_ui&) = delete;

    // Shows the box and returns once it has been answered.
    virtual void popup() = 0;

    const listring& message() const { return message_; }

protected:
    // Writes prefix, the message and a newline to standard error, flushed.
    void write_to_stderr(const listring& prefix) const;

    listring error_prefix_;
    listring warning_prefix_;
    listring confirm_prefix_;
    listring info_prefix_;
    listring dialog_name_;
    listring message_;
    liboolean modal_;
};

#endif
