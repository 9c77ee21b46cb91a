#include "ui/confirm_ui.h"

#include <cstdio>

#include "lib/msgs.h"
#include "misc/lidefs.h"
#include "ui/kitsetup.h"

confirm_ui::confirm_ui(const listring& message, liboolean modal)
    : dialogs_ui(message_kind::confirm, CONFIRM_DIALOG, message, modal)
{
    build(CONFIRM_ICON, error_prefix_, build_failure::name_missing_part);
}

void confirm_ui::popup()
{
    show_and_wait();
}

liboolean confirm_ui::choice()
{
    if (pressed_name().is_empty()) {
        std::fprintf(stderr, "%s\n", catalogue_text(DEF_BAD_BTN_VALUE));
        return false;
    }
    return pressed_name() == YES_BTN;
}
