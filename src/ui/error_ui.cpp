#include "ui/error_ui.h"

#include "misc/lidefs.h"
#include "ui/kitsetup.h"

error_ui::error_ui(const listring& message, liboolean modal)
    : dialogs_ui(message_kind::error, ERROR_DIALOG, message, modal)
{
    build(ERROR_ICON, error_prefix_, build_failure::show_message);
}

void error_ui::popup()
{
    show_and_wait();
}
