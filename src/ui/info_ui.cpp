#include "ui/info_ui.h"

#include "misc/lidefs.h"

info_ui::info_ui(const listring& message, liboolean modal)
    : dialogs_ui(INFORMATION_DIALOG, message, modal)
{
}

// Information carries no prefix: the bare text.
void info_ui::popup()
{
    write_to_stderr(EMPTY_STRING);
}
