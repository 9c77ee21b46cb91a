// mt_cmd: a tape positioning command, the rewind or the skip of one tape
// file, run on the tape host through the remote shell for a remote drive.
// Its single run is the background rewind after a tape installation.
#ifndef KITSETUP_CMDS_MT_CMD_H
#define KITSETUP_CMDS_MT_CMD_H

#include "cmds/cmd.h"

class mt_cmd : public cmd {
public:
    mt_cmd(cmd_t kind, l_product* list, product* owner) : cmd(kind, list, owner) {}
    int build_cmd_line(liboolean standalone) override;

protected:
    // The rewind has ended: a new installation may start.
    void completed(liboolean succeeded) override;
};

#endif
