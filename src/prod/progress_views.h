// What a product's installation and removal show while they run, as the
// product sees it: the transfer (progress) dialog, the working dialog and
// the log dialog of the main window. The dialogs themselves live above
// this layer (src/ui) and implement these views; l_product hands them to
// its products (transfer(), working(), log()). Null views mean no dialogs
// (text mode, unit tests): callers check.
#ifndef KITSETUP_PROD_PROGRESS_VIEWS_H
#define KITSETUP_PROD_PROGRESS_VIEWS_H

#include "lib/listring.h"
#include "toolkit/oiu_callback_multiple.h"

class product;

// The transfer dialog: a message, a status line and a gauge while an
// installation's commands run; its stop button kills the children.
class transfer_view {
public:
    virtual ~transfer_view() = default;
    virtual void popup(const listring& message) = 0;
    virtual void popdown() = 0;
    virtual liboolean is_displayed() const = 0;
    virtual void status(const listring& text) = 0;
    // Shows n percent; more than 100 shows 100.
    virtual void gauge(int n) = 0;
    // Set by a confirmed stop, cleared by popup.
    virtual liboolean stopped() const = 0;
    virtual product* current_prod() const = 0;
    virtual void set_current_prod(product* p) = 0;
};

// The working dialog: a message and a three-picture animation while a
// removal runs, with a stop button.
class working_view {
public:
    virtual ~working_view() = default;
    virtual void popup(const listring& message) = 0;
    virtual void popdown() = 0;
    // Shows the next picture of the animation.
    virtual void next_icon() = 0;
    // What the stop button does while a removal runs (action.call(button,
    // 0)); an empty callback gives it back its own action.
    virtual void set_stop_action(const OI_callback& action) = 0;
    virtual product* current_prod() const = 0;
    virtual void set_current_prod(product* p) = 0;
};

// The log dialog: the lines of a run, command output and errors.
class log_view {
public:
    virtual ~log_view() = default;
    // Appends line; error lines are command errors (standard error). The
    // dialog repaints at most once per event-loop pass.
    virtual void text(const listring& line, liboolean error) = 0;
};

#endif
