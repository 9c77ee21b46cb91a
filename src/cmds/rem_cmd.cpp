#include "cmds/rem_cmd.h"

#include "lib/msgs.h"
#include "lib/reporter.h"

int rem_cmd::build_cmd_line(liboolean standalone)
{
    set_cmd_line(listring());
    if (standalone)
        error(catalogue_text(DEF_NO_REMOTE_EXEC), true);
    if (check_program() != 0)
        return -1;
    listring line(program_path());
    line += " ";
    line += shell_word(host());
    line += " ";
    line += options();
    line += " ";
    set_cmd_line(line);
    return 0;
}

int rem_cmd::execute(liboolean)
{
    error(catalogue_text(DEF_NO_REMOTE_EXEC), true);
    return -1;
}
