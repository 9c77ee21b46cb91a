#include "ui/confirm_ui.h"

#include <cstdio>

#include "misc/lidefs.h"
#include "ui/kitsetup.h"
#include "ui/msgs.h"

namespace {

[[noreturn]] void uninitialised_interface()
{
    std::fprintf(stderr, "%s\n", catalogue_text(DEF_UNINITIALISED_INTERFACE));
    std::fflush(stderr);
    shutdown(-1);
}

}  // namespace

confirm_ui::confirm_ui(const listring& message, liboolean modal)
    : dialogs_ui(CONFIRM_DIALOG, message, modal)
{
}

void confirm_ui::popup()
{
    uninitialised_interface();
}

liboolean confirm_ui::choice()
{
    uninitialised_interface();
}
