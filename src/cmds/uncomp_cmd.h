// uncomp_cmd: the middle stage of a tape pipeline for a compressed subset,
// reading the compressed stream on its standard input.
#ifndef KITSETUP_CMDS_UNCOMP_CMD_H
#define KITSETUP_CMDS_UNCOMP_CMD_H

#include "cmds/cmd.h"

class uncomp_cmd : public cmd {
public:
    uncomp_cmd(l_product* list, product* owner) : cmd(CMD_UNCOMPRESS, list, owner) {}
    int build_cmd_line(liboolean standalone) override;
};

#endif
