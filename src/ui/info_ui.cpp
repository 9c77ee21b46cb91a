#include "ui/info_ui.h"

#include "misc/lidefs.h"
#include "ui/kitsetup.h"

info_ui::info_ui(const listring& message, liboolean modal)
    : dialogs_ui(message_kind::information, INFORMATION_DIALOG, message, modal)
{
    if (Xstarted)
        build(INFO_ICON, info_prefix_, build_failure::show_message);
}

// On standard error, information carries no prefix: the bare text.
void info_ui::popup()
{
    if (Xstarted)
        show_and_wait();
    else
        write_to_stderr(EMPTY_STRING);
}
