#include "cmds/mt_cmd.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"

// A local device must be there; a remote one is the tape host's business.
int mt_cmd::build_cmd_line(liboolean standalone)
{
    set_cmd_line(listring());
    if (!standalone)
        error(catalogue_text(DEF_MT_NOT_STANDALONE), true);
    if (check_program() != 0)
        return -1;
    if (local() && !valid_file(input(), F_OK)) {
        error(format_message(DEF_BAD_CMD_INPUT_FILE, name().c_str(), input().c_str()), true);
        return -1;
    }
    listring line;
    if (remote()) {
        if (stage_line(remote_cmd(), DEF_BAD_REMOTE_CMD, line) != 0)
            return -1;
        line += " ";
    }
    line += program_path();
    line += " ";
    line += input_opt_id();
    line += " ";
    line += shell_word(input());
    line += " ";
    line += options();
    line += STDERR_REDIRECT;
    set_cmd_line(line);
    return 0;
}

void mt_cmd::completed(liboolean)
{
    rewinding_g = false;
}
