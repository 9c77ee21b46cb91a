#include "ui/warning_ui.h"

#include "misc/lidefs.h"

warning_ui::warning_ui(const listring& message, liboolean modal)
    : dialogs_ui(WARNING_DIALOG, message, modal)
{
}

void warning_ui::popup()
{
    write_to_stderr(warning_prefix_);
}

// Nobody can press OK on standard error, so the text-mode answer is false.
liboolean warning_ui::choice()
{
    return false;
}
