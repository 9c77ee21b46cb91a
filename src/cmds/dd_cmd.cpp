#include "cmds/dd_cmd.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"

// The option words are joined to their values ("if=/dev/nst0"); an empty
// input or output leaves out its option word too.
int dd_cmd::build_cmd_line(liboolean standalone)
{
    set_cmd_line(listring());
    if (standalone)
        error(catalogue_text(DEF_NO_DD_EXEC), true);
    if (check_program() != 0)
        return -1;
    listring line(program_path());
    line += " ";
    if (!input().is_empty()) {
        if (local() && !valid_file(input(), F_OK)) {
            error(format_message(DEF_BAD_CMD_INPUT_FILE, name().c_str(), input().c_str()), true);
            return -1;
        }
        listring word(input_opt_id());
        word += input();
        line += shell_word(word);
        line += " ";
    }
    if (!output().is_empty()) {
        if (!valid_directory(output())) {
            error(format_message(DEF_BAD_CMD_OUTPUT_DIR, name().c_str(), output().c_str()), true);
            return -1;
        }
        listring word(output_opt_id());
        word += output();
        line += shell_word(word);
        line += " ";
    }
    line += options();
    set_cmd_line(line);
    return 0;
}

int dd_cmd::execute(liboolean)
{
    error(catalogue_text(DEF_NO_DD_EXEC), true);
    return -1;
}
