#include "ui/dialogs.h"

#include "ui/confirm_ui.h"
#include "ui/error_ui.h"
#include "ui/info_ui.h"
#include "ui/warning_ui.h"

namespace {
message_catcher* active_catcher = nullptr;
}

message_catcher* set_message_catcher(message_catcher* catcher)
{
    message_catcher* previous = active_catcher;
    active_catcher = catcher;
    return previous;
}

void error(const listring& text, liboolean modal)
{
    if (active_catcher != nullptr) {
        active_catcher->catch_message(message_kind::error, text);
        return;
    }
    error_ui box(text, modal);
    box.popup();
}

liboolean warning(const listring& text, liboolean modal)
{
    if (active_catcher != nullptr)
        return active_catcher->catch_message(message_kind::warning, text);
    warning_ui box(text, modal);
    box.popup();
    return box.choice();
}

liboolean confirm(const listring& text, liboolean modal)
{
    if (active_catcher != nullptr)
        return active_catcher->catch_message(message_kind::confirm, text);
    confirm_ui box(text, modal);
    box.popup();
    return box.choice();
}

void information(const listring& text, liboolean modal)
{
    if (active_catcher != nullptr) {
        active_catcher->catch_message(message_kind::information, text);
        return;
    }
    info_ui box(text, modal);
    box.popup();
}

// The busy box is a window; without the toolkit there is nothing to show.
void popup_busy(const listring&) {}

void popdown_busy() {}
