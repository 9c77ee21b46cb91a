#include "ui/help_request.h"

#include <unistd.h>

#include "help/winhelp.h"
#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/translate_filename.h"
#include "misc/utilities.h"
#include "toolkit/oi_connection.h"

void request_help(const listring& file, unsigned long context, bool contents)
{
    listring path = OI_translate_filename(file);
    if (!valid_file(path, F_OK)) {
        listring text(catalogue_text(DEF_CANNOT_OPEN));
        text += path;
        error(text, true);
        return;
    }
    if (OI_uib_conn == nullptr)
        return;
    WinHelp(OI_uib_conn->display(), path.c_str(), contents ? HELP_CONTENTS : HELP_CONTEXT,
            contents ? 0 : context);
}
