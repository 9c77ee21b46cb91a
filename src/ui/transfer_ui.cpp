#include "ui/transfer_ui.h"

#include "cmds/l_cmd.h"
#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "opts/prod_opts.h"
#include "prod/product.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_gauge.h"
#include "toolkit/oi_multi_text.h"
#include "toolkit/oi_static_text.h"
#include "ui/log_ui.h"
#include "ui/progress_dialog.h"
#include "ui/ui_lookup.h"

transfer_ui* the_transfer_dialog_ui = nullptr;

namespace {

const int GAUGE_FULL = 100;

}  // namespace

transfer_ui::transfer_ui()
    : dialog_(find_part<OI_dialog_box>(root_object(), TRANSFER_DIALOG)),
      status_(find_part<OI_static_text>(dialog_, STATUS_TEXT)),
      message_(find_part<OI_multi_text>(dialog_, MESSAGE)),
      gauge_(find_part<OI_gauge>(dialog_, GAUGE))
{
    hold_progress_dialog(dialog_);
}

transfer_ui::~transfer_ui()
{
    OI_delete_timeout(OI_callback(this, &transfer_ui::flush_cb, nullptr));
}

void transfer_ui::popup(const listring& message)
{
    stopped_ = false;
    show_progress_dialog(dialog_, message_, message, minimum_,
                         OI_callback(this, &transfer_ui::resize_cb, nullptr));
}

void transfer_ui::popdown()
{
    hide_progress_dialog(dialog_);
}

liboolean transfer_ui::is_displayed() const
{
    return dialog_->state() == ACTIVE && dialog_->is_displayed();
}

// A status line per file would cost a reconfiguration per file; the last
// one of the pass is what could be seen anyway.
void transfer_ui::status(const listring& text)
{
    pending_status_ = text.c_str();
    has_pending_status_ = true;
    arm_flush();
}

// The gauge moves a hundred times in a whole installation, so a value is
// drawn at once, and only when it changed.
void transfer_ui::gauge(int n)
{
    int value = n > GAUGE_FULL ? GAUGE_FULL : n;
    if (gauge_->value() != value)
        gauge_->set_value(value);
}

void transfer_ui::arm_flush()
{
    if (flush_armed_)
        return;
    flush_armed_ = true;
    OI_add_timeout(0, OI_callback(this, &transfer_ui::flush_cb, nullptr));
}

long transfer_ui::flush_cb(OI_d_tech*, void*, long)
{
    flush_armed_ = false;
    if (has_pending_status_) {
        has_pending_status_ = false;
        if (status_->text() != pending_status_)
            status_->set_text(pending_status_);
    }
    return 0;
}

product* transfer_ui::current_prod() const
{
    return checked_product(current_);
}

void transfer_ui::text(const listring& message)
{
    show_progress_message(dialog_, message_, message);
}

long transfer_ui::stop_btn_cb(OI_d_tech*, void*, long)
{
    if (!confirm(catalogue_text(DEF_CONFIRM_STOP), true))
        return 0;
    if (!kill_children(current_prod(), [this] { popdown(); }))
        return 0;
    stopped_ = true;
    status(catalogue_text(DEF_STOPPING_INSTALL));
    // Between commands nothing runs: the installation sees the flag
    // before it starts the next one.
    prod_opts* options = current_prod()->install_opts();
    if (options != nullptr && options->install_cmds()->running())
        options->install_cmds()->stop();
    return 0;
}

long transfer_ui::log_btn_cb(OI_d_tech*, void*, long)
{
    if (the_log_dialog_ui != nullptr)
        the_log_dialog_ui->popup();
    return 0;
}

long transfer_ui::resize_cb(OI_d_tech*, void*, long)
{
    minimum_.enforce(dialog_);
    return 0;
}
