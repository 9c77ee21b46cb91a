#include "ui/continue_ui.h"

#include "lib/msgs.h"
#include "misc/lidefs.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "opts/subset.h"
#include "prod/product.h"
#include "prod/progress_views.h"
#include "toolkit/center_xy.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_dialog_box.h"
#include "ui/actions.h"
#include "ui/help_request.h"
#include "ui/progress_dialog.h"
#include "ui/prod_opts_ui.h"
#include "ui/ui_lookup.h"

continue_ui* the_continue_ui = nullptr;

namespace {

const int ICON_BORDER_WIDTH = 3;

bool any_subset_selected(product& p)
{
    const l_subset* subsets = p.install_opts()->entries();
    for (unsigned i = 0; subsets != nullptr && i < subsets->entries(); ++i) {
        if (subsets->elem(i)->is_selected())
            return true;
    }
    return false;
}

OI_actions_rec dialog_action(const char* name, OI_member member, OI_function function)
{
    OI_actions_rec record;
    record.name = name;
    if (member != nullptr) {
        record.object = []() -> OIU_callback_multiple* { return the_continue_ui; };
        record.member = member;
    }
    record.function = function;
    return record;
}

}  // namespace

continue_ui::continue_ui()
    : dialog_(find_part<OI_dialog_box>(root_object(), CONTINUE_DIALOG)),
      go_icon_(find_part<KOI_button>(dialog_, GO_ICON)),
      setup_icon_(find_part<KOI_button>(dialog_, SETUP_ICON))
{
    create_cb();
}

void continue_ui::create_cb()
{
    dialog_->set_unpin(OI_callback(this, &continue_ui::unpin_cb, nullptr));
    dialog_->set_term_action(false, OI_callback(this, &continue_ui::dialog_term_cb, nullptr));
    go_icon_->set_click(OI_callback(this, &continue_ui::go_btn_cb, nullptr));
    setup_icon_->set_click(OI_callback(this, &continue_ui::setup_btn_cb, nullptr));
    for (KOI_button* icon : {go_icon_, setup_icon_}) {
        icon->set_bdr_width(ICON_BORDER_WIDTH);
        icon->set_bdr_color(icon->bkg_color());
    }
    const OI_actions_rec keys[] = {
        dialog_action("fire_selected", static_cast<OI_member>(&continue_ui::fire_selected), nullptr),
        dialog_action("next_selection", nullptr, next_icon),
        dialog_action("prev_selection", nullptr, prev_icon),
    };
    dialog_->push_actions(keys, 3);
}

product* continue_ui::current_prod() const
{
    return checked_product(current_);
}

void continue_ui::popup()
{
    center_xy(dialog_);
    set_main_window_busy(true);
    dialog_->update_resources();
    for (KOI_button* icon : {go_icon_, setup_icon_})
        highlight(icon, false);
    dialog_->set_state(ACTIVE);
    dialog_->raise();
    minimum_.remember(dialog_);
    dialog_->set_resize(OI_callback(this, &continue_ui::resize_cb, nullptr));
}

void continue_ui::popdown()
{
    set_main_window_busy(false);
    dialog_->set_state(ACTIVE_NOT_DISPLAYED);
}

long continue_ui::go_btn_cb(OI_d_tech*, void*, long)
{
    product* p = current_prod();
    popdown();
    transfer_view* transfer = p->transfer();
    if (p->media() != MEDIA_FILESERVER && transfer != nullptr) {
        p->percentage_installed(0.0f);
        transfer->gauge(0);
        transfer->set_current_prod(p);
        if (any_subset_selected(*p))
            transfer->popup(format_message(DEF_INSTALLING, p->description().c_str()));
    }
    // An installation that does not start leaves no records of its own,
    // but those of an earlier installation stay: it can still be removed.
    liboolean recorded_before = p->was_installed();
    if (p->install() != 0) {
        if (transfer != nullptr && transfer->is_displayed())
            transfer->popdown();
        if (!recorded_before)
            p->remove_installed_data_files();
    }
    return 0;
}

long continue_ui::setup_btn_cb(OI_d_tech*, void*, long)
{
    popdown();
    the_options_ui->popup();
    return 0;
}

long continue_ui::dialog_term_cb(OI_d_tech* origin, void*, long)
{
    if (origin == nullptr || origin->name() != CANCEL_BTN.c_str())
        return 0;
    popdown();
    return 1;
}

long continue_ui::unpin_cb(OI_d_tech*, void*, long)
{
    popdown();
    return 0;
}

long continue_ui::help_btn_cb(OI_d_tech*, void*, long)
{
    request_help(KITSETUP_HELP_FILE, HELP_CONTINUE_TOPIC);
    return 0;
}

long continue_ui::fire_selected(OI_d_tech*, void*, long)
{
    for (KOI_button* icon : {go_icon_, setup_icon_}) {
        if (is_highlighted(icon))
            return icon->press() ? 1 : 0;
    }
    return 0;
}

long continue_ui::resize_cb(OI_d_tech*, void*, long)
{
    minimum_.enforce(dialog_);
    return 0;
}
