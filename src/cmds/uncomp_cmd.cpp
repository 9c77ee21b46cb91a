#include "cmds/uncomp_cmd.h"

int uncomp_cmd::build_cmd_line(liboolean)
{
    set_cmd_line(listring());
    if (check_program() != 0)
        return -1;
    listring line(program_path());
    line += " ";
    line += options();
    line += " ";
    set_cmd_line(line);
    return 0;
}
