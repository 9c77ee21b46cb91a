#include "cmds/exp_cmd.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"

int exp_cmd::build_cmd_line(liboolean standalone)
{
    set_cmd_line(listring());
    if (check_program() != 0)
        return -1;
    listring line;
    if (standalone) {
        if (!valid_file(input(), F_OK)) {
            error(format_message(DEF_BAD_CMD_INPUT_FILE, name().c_str(), input().c_str()), true);
            return -1;
        }
        if (!valid_directory(output())) {
            error(format_message(DEF_BAD_CMD_OUTPUT_DIR, name().c_str(), output().c_str()), true);
            return -1;
        }
        line += CHDIR_CMD;
        line += " ";
        line += shell_word(output());
        line += ";";
        line += program_path();
        line += " ";
        line += options();
        line += " ";
        line += shell_word(input());
        line += " ";
    } else {
        line += program_path();
        line += " ";
        line += options();
        line += " - ";
    }
    line += STDERR_REDIRECT;
    set_cmd_line(line);
    return 0;
}
