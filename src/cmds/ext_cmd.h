// ext_cmd: the extraction of one subset, the current option of the
// product's installation settings. On tape it is a pipeline: the
// copy-convert command (run on the tape host for a remote drive), an
// uncompress stage for a compressed subset and the archive program; on the
// other media it is the copy utility with the subset's map file.
#ifndef KITSETUP_CMDS_EXT_CMD_H
#define KITSETUP_CMDS_EXT_CMD_H

#include "cmds/cmd.h"

class subset;

class ext_cmd : public cmd {
public:
    ext_cmd(l_product* list, product* owner) : cmd(CMD_EXTRACT, list, owner) {}
    int build_cmd_line(liboolean standalone) override;

private:
    // The copy utility's line for option: 0, or -1.
    int build_copy_line(const subset* option);
    // The tape pipeline for option: 0, or -1 after the failed stage's message.
    int build_tape_line(const subset* option, liboolean standalone);
};

#endif
