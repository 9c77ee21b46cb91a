#include "ui/dialogs_ui.h"

#include <cstdio>

#include "ui/msgs.h"

namespace {
const unsigned MESSAGE_BOX_COLUMNS = 80;
}

dialogs_ui::dialogs_ui(const listring& dialog_name, const listring& message, liboolean modal)
    : error_prefix_(catalogue_text(DEF_ERROR_PREFIX)),
      warning_prefix_(catalogue_text(DEF_WARNING_PREFIX)),
      confirm_prefix_(catalogue_text(DEF_CONFIRM_PREFIX)),
      info_prefix_(catalogue_text(DEF_INFO_PREFIX)),
      dialog_name_(dialog_name),
      message_(message),
      modal_(modal)
{
    if (message_.length() > MESSAGE_BOX_COLUMNS)
        message_.format_for_output();
}

void dialogs_ui::write_to_stderr(const listring& prefix) const
{
    std::fprintf(stderr, "%s%s\n", prefix.c_str(), message_.c_str());
    std::fflush(stderr);
}
