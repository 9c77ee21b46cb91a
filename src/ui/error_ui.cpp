#include "ui/error_ui.h"

#include "misc/lidefs.h"

error_ui::error_ui(const listring& message, liboolean modal)
    : dialogs_ui(ERROR_DIALOG, message, modal)
{
}

void error_ui::popup()
{
    write_to_stderr(error_prefix_);
}
