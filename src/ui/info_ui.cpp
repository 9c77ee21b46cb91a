#include "ui/info_ui.h"

#include "misc/lidefs.h"
#include "ui/kitsetup.h"

info_ui::info_ui(const listring& message, liboolean modal)
    : dialogs_ui(message_kind::information, INFORMATION_DIALOG, message, modal)
{
    build(INFO_ICON, info_prefix_, build_failure::show_message);
}

void info_ui::popup()
{
    show_and_wait();
}
