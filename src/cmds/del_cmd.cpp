#include "cmds/del_cmd.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "prod/product.h"
#include "prod/progress_views.h"
#include "toolkit/oi_connection.h"

namespace {
const unsigned long ANIMATION_MS = 10;
}

del_cmd::~del_cmd()
{
    OI_delete_timeout(OI_callback(this, &del_cmd::animate, nullptr));
}

// The input is the list of what goes, already in shell words: it is the
// removal's own list of directories, not checked here.
int del_cmd::build_cmd_line(liboolean standalone)
{
    set_cmd_line(listring());
    if (!standalone)
        error(catalogue_text(DEF_DEL_NOT_STANDALONE), true);
    if (check_program() != 0)
        return -1;
    listring line(program_path());
    line += " ";
    line += options();
    line += " ";
    line += input();
    line += STDERR_REDIRECT;
    set_cmd_line(line);
    return 0;
}

int del_cmd::execute(liboolean standalone)
{
    OI_add_timeout(ANIMATION_MS, OI_callback(this, &del_cmd::animate, nullptr));
    int result = cmd::execute(standalone);
    if (result != 0)
        OI_delete_timeout(OI_callback(this, &del_cmd::animate, nullptr));
    return result;
}

long del_cmd::animate(OI_d_tech*, void*, long)
{
    if (prod() != nullptr && prod()->working() != nullptr)
        prod()->working()->next_icon();
    OI_add_timeout(ANIMATION_MS, OI_callback(this, &del_cmd::animate, nullptr));
    return 1;
}

// A failed deletion leaves the records, so the deinstallation can be run
// again once the cause is gone.
void del_cmd::completed(liboolean succeeded)
{
    OI_delete_timeout(OI_callback(this, &del_cmd::animate, nullptr));
    product* owner = prod();
    if (owner == nullptr)
        return;
    working_view* working = owner->working();
    auto popdown = [working]() {
        if (working != nullptr)
            working->popdown();
    };
    if (!succeeded) {
        popdown();
        return;
    }
    if (owner->remove_installed_data_files() != 0) {
        information(format_message(DEF_DEINSTALL_FAILURE, owner->description().c_str()), true);
        popdown();
        return;
    }
    popdown();
    if (owner->execute_all_deinstall_scripts() != 0)
        return;
    information(format_message(DEF_DEINSTALL_COMPLETE, owner->description().c_str()), true);
}
