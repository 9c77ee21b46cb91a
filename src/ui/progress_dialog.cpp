#include "ui/progress_dialog.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/l_proc_desc.h"
#include "misc/utilities.h"
#include "prod/product.h"
#include "toolkit/center_xy.h"
#include "toolkit/oi_app_window.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_multi_text.h"
#include "ui/dialogs_ui.h"
#include "ui/kitsetup.h"
#include "ui/main_ui.h"
#include "ui/minimum_size.h"

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

namespace {

long keep_dialog_up(OI_d_tech*, void*, long)
{
    return 0;
}

}  // namespace

void hold_progress_dialog(OI_dialog_box* dialog)
{
    dialog->set_term_action(false, OI_callback(keep_dialog_up, nullptr));
    dialog->set_unpin(OI_callback(keep_dialog_up, nullptr));
}

void show_progress_dialog(OI_dialog_box* dialog, OI_multi_text* text, const listring& message,
                          minimum_size& minimum, const OI_callback& resize)
{
    set_main_window_busy(true);
    dialog->update_resources();
    show_progress_message(dialog, text, message);
    minimum.remember(dialog);
    dialog->set_resize(resize);
    center_xy(dialog);
    dialog->set_state(ACTIVE);
    OI_flush();
}

void hide_progress_dialog(OI_dialog_box* dialog)
{
    set_main_window_busy(false);
    dialog->set_state(ACTIVE_NOT_DISPLAYED);
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
