// rem_cmd: the remote shell that runs a command on the tape host; only ever
// the prefix of another command's line, never run by itself.
#ifndef KITSETUP_CMDS_REM_CMD_H
#define KITSETUP_CMDS_REM_CMD_H

#include "cmds/cmd.h"

class rem_cmd : public cmd {
public:
    rem_cmd(l_product* list, product* owner) : cmd(CMD_REMOTE, list, owner) {}
    // The line ends in a blank: the remote command follows it.
    int build_cmd_line(liboolean standalone) override;
    // Refused with DEF_NO_REMOTE_EXEC: -1.
    int execute(liboolean standalone) override;
};

#endif
