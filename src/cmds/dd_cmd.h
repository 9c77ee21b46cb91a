// dd_cmd: the copy-convert command that reads a tape file; only ever the
// first stage of an extraction pipeline, never run by itself.
#ifndef KITSETUP_CMDS_DD_CMD_H
#define KITSETUP_CMDS_DD_CMD_H

#include "cmds/cmd.h"

class dd_cmd : public cmd {
public:
    dd_cmd(l_product* list, product* owner) : cmd(CMD_COPY_CONVERT, list, owner) {}
    int build_cmd_line(liboolean standalone) override;
    // Refused with DEF_NO_DD_EXEC: -1.
    int execute(liboolean standalone) override;
};

#endif
