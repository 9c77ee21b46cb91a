// exp_cmd: the expansion command template of the configuration; no
// installation step builds or runs it, its line is kept for completeness.
#ifndef KITSETUP_CMDS_EXP_CMD_H
#define KITSETUP_CMDS_EXP_CMD_H

#include "cmds/cmd.h"

class exp_cmd : public cmd {
public:
    exp_cmd(l_product* list, product* owner) : cmd(CMD_EXPAND, list, owner) {}
    int build_cmd_line(liboolean standalone) override;
};

#endif
