// del_cmd: removes what its input names (the top-level directories of a
// removed product); its single run ends a deinstallation, animating the
// working dialog meanwhile.
#ifndef KITSETUP_CMDS_DEL_CMD_H
#define KITSETUP_CMDS_DEL_CMD_H

#include "cmds/cmd.h"

class del_cmd : public cmd {
public:
    del_cmd(l_product* list, product* owner) : cmd(CMD_DELETE, list, owner) {}
    ~del_cmd() override;
    int build_cmd_line(liboolean standalone) override;
    // Starts the working dialog's animation, then the command.
    int execute(liboolean standalone) override;

protected:
    // Removes the product's records and reports the deinstallation's end.
    void completed(liboolean succeeded) override;

private:
    // Shows the working dialog's next picture and arms itself again.
    long animate(OI_d_tech* origin, void* argument, long value);
};

#endif
