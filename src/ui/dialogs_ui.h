// dialogs_ui: what the four message boxes share: the catalogue prefixes, the
// message (wrapped at 80 columns), the modal flag and the box itself: a copy
// of its template with the kind's shared icon lent to it.
#ifndef KITSETUP_UI_DIALOGS_UI_H
#define KITSETUP_UI_DIALOGS_UI_H

#include <string>
#include <vector>

#include "lib/listring.h"
#include "toolkit/oiu_callback_multiple.h"
#include "lib/reporter.h"

class KOI_button;
class OI_dialog_box;
class OI_menu_cell;
class OI_multi_text;

// Puts message into text, read-only, sized to show every line: as many rows
// as lines, as wide as the longest line's pixels. Returns the lines shown.
std::vector<std::string> show_message_text(OI_multi_text* text, const listring& message);

class dialogs_ui : public OIU_callback_multiple {
public:
    dialogs_ui(message_kind kind, const listring& dialog_name, const listring& message,
               liboolean modal);
    // Gives the icon back and deletes the box.
    ~dialogs_ui() override;
    dialogs_ui(const dialogs_ui&) = delete;
    dialogs_ui& operator=(const dialogs_ui&) = delete;

    // Shows the box and returns once it has been answered.
    virtual void popup() = 0;

    const listring& message() const { return message_; }

protected:
    // How a box reports that it cannot be built: the prefix and message of
    // its own kind, or (confirmations) a text naming what is missing.
    enum class build_failure { show_message, name_missing_part };

    // Clones the template, lends it icon and finds its parts. Anything
    // missing is written to standard error and ends the program.
    void build(KOI_button* icon, const listring& failure_prefix, build_failure failure);
    // Shows the box sized to its message and waits for a button.
    void show_and_wait();
    // Writes prefix, the message and a newline to standard error, flushed.
    void write_to_stderr(const listring& prefix) const;
    // The name of the button that ended the box, or "" (none yet).
    listring pressed_name() const;

    listring error_prefix_;
    listring warning_prefix_;
    listring confirm_prefix_;
    listring info_prefix_;
    message_kind kind_;
    listring dialog_name_;
    listring message_;
    liboolean modal_;
    OI_dialog_box* dialog_ = nullptr;
    OI_multi_text* text_ = nullptr;
    OI_menu_cell* default_button_ = nullptr;
    KOI_button* icon_ = nullptr;
    listring pressed_;

private:
    [[noreturn]] void missing_part(const listring& part) const;
};

#endif
