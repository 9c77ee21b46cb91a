#include "ui/progress_dialog.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/l_proc_desc.h"
#include "misc/utilities.h"
#include "prod/product.h"
#include "toolkit/oi_app_window.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_multi_text.h"
#include "ui/dialogs_ui.h"
#include "ui/kitsetup.h"
#include "ui/main_ui.h"

void show_progress_message(OI_dialog_box* dialog, OI_multi_text* text, const listring& message)
{
    std::vector<std::string> lines = show_message_text(text, message);
    int rows = std::max<int>(1, static_cast<int>(lines.size()));
    text->set_position(rows - 1, static_cast<int>(lines.empty() ? 0 : lines.back().size()));
    text->set_state(INACTIVE);
    text->set_bkg_color(dialog->bkg_color());
}

void set_main_window_busy(bool busy)
{
    OI_app_window* window = the_interface == nullptr ? nullptr : the_interface->main_window();
    if (window == nullptr)
        return;
    if (busy)
        window->set_working();
    else if (window->is_working())
        window->clear_working();
}

bool kill_children(product* p, const std::function<void()>& give_up)
{
    l_proc_desc* children = p->child_procs();
    for (unsigned i = 0; children != nullptr && i < children->entries();) {
        proc_desc_t* child = children->elem(i);
        if (unix_kill(child->pid) == 0) {
            ++i;
            continue;
        }
        if (children->remove(i) != 0)
            shutdown(-1);
        if (warning(catalogue_text(DEF_BAD_KILL_QUESTION), true))
            return false;
        give_up();
    }
    return true;
}

product* checked_product(product* p)
{
    if (p == nullptr) {
        error(catalogue_text(DEF_NO_ACCESS_TO_PRODUCT), true);
        shutdown(-1);
    }
    return p;
}
