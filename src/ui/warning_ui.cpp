#include "ui/warning_ui.h"

#include <cstdio>

#include "misc/lidefs.h"
#include "ui/kitsetup.h"
#include "ui/msgs.h"

warning_ui::warning_ui(const listring& message, liboolean modal)
    : dialogs_ui(message_kind::warning, WARNING_DIALOG, message, modal)
{
    if (Xstarted)
        build(WARN_ICON, warning_prefix_, build_failure::show_message);
}

void warning_ui::popup()
{
    if (Xstarted)
        show_and_wait();
    else
        write_to_stderr(warning_prefix_);
}

// Nobody can press OK on standard error, so the text-mode answer is false.
liboolean warning_ui::choice()
{
    if (!Xstarted)
        return false;
    if (pressed_name().is_empty()) {
        std::fprintf(stderr, "%s\n", catalogue_text(DEF_BAD_BTN_VALUE));
        return false;
    }
    return pressed_name() == OK_BTN;
}
