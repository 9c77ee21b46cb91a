#include "ui/warning_ui.h"

#include <cstdio>

#include "lib/msgs.h"
#include "misc/lidefs.h"
#include "ui/kitsetup.h"

warning_ui::warning_ui(const listring& message, liboolean modal)
    : dialogs_ui(message_kind::warning, WARNING_DIALOG, message, modal)
{
    build(WARN_ICON, warning_prefix_, build_failure::show_message);
}

void warning_ui::popup()
{
    show_and_wait();
}

liboolean warning_ui::choice()
{
    if (pressed_name().is_empty()) {
        std::fprintf(stderr, "%s\n", catalogue_text(DEF_BAD_BTN_VALUE));
        return false;
    }
    return pressed_name() == OK_BTN;
}
