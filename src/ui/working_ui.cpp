#include "ui/working_ui.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_multi_text.h"
#include "ui/log_ui.h"
#include "ui/progress_dialog.h"
#include "ui/ui_lookup.h"

working_ui* the_working_dialog_ui = nullptr;

namespace {

const int PICTURE_COUNT = 3;

}  // namespace

working_ui::working_ui()
    : dialog_(find_part<OI_dialog_box>(root_object(), WORKING_DIALOG)),
      message_(find_part<OI_multi_text>(dialog_, MESSAGE)),
      pic_(find_part<KOI_button>(dialog_, PIC))
{
    for (int i = 0; i < PICTURE_COUNT; ++i) {
        std::string name = "pic" + std::to_string(i + 1);
        pictures_[i] = dialog_->resource(name, "Pic", "$ICONS_DIR/" + name);
    }
    hold_progress_dialog(dialog_);
}

void working_ui::popup(const listring& message)
{
    picture_ = 0;
    pic_->pixmap(pictures_[picture_]);
    show_progress_dialog(dialog_, message_, message, minimum_,
                         OI_callback(this, &working_ui::resize_cb, nullptr));
}

void working_ui::popdown()
{
    hide_progress_dialog(dialog_);
}

void working_ui::next_icon()
{
    picture_ = (picture_ + 1) % PICTURE_COUNT;
    pic_->pixmap(pictures_[picture_]);
}

product* working_ui::current_prod() const
{
    return checked_product(current_);
}

void working_ui::text(const listring& message)
{
    show_progress_message(dialog_, message_, message);
}

long working_ui::stop_btn_cb(OI_d_tech* origin, void*, long)
{
    if (stop_action_)
        return stop_action_.call(origin, 0);
    if (!confirm(catalogue_text(DEF_CONFIRM_STOP_DEINSTALL), true))
        return 0;
    if (!kill_children(current_prod(), [this] { popdown(); }))
        return 0;
    popdown();
    return 0;
}

long working_ui::log_btn_cb(OI_d_tech*, void*, long)
{
    if (the_log_dialog_ui != nullptr)
        the_log_dialog_ui->popup();
    return 0;
}

long working_ui::resize_cb(OI_d_tech*, void*, long)
{
    minimum_.enforce(dialog_);
    return 0;
}
