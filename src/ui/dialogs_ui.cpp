#include "ui/dialogs_ui.h"

#include <algorithm>
#include <cstdio>

#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "toolkit/center_xy.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_lookup.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_multi_text.h"
#include "ui/dialogs.h"
#include "ui/kitsetup.h"
#include "lib/msgs.h"

dialogs_ui::dialogs_ui(message_kind kind, const listring& dialog_name, const listring& message,
                       liboolean modal)
    : error_prefix_(catalogue_text(DEF_ERROR_PREFIX)),
      warning_prefix_(catalogue_text(DEF_WARNING_PREFIX)),
      confirm_prefix_(catalogue_text(DEF_CONFIRM_PREFIX)),
      info_prefix_(catalogue_text(DEF_INFO_PREFIX)),
      kind_(kind),
      dialog_name_(dialog_name),
      message_(wrapped_message(message)),
      modal_(modal)
{
}

dialogs_ui::~dialogs_ui()
{
    if (dialog_ == nullptr)
        return;
    forget_message_box(dialog_);
    if (icon_ != nullptr)
        icon_->disassociate();
    dialog_->delete_all();
}

void dialogs_ui::write_to_stderr(const listring& prefix) const
{
    std::fprintf(stderr, "%s%s\n", prefix.c_str(), message_.c_str());
    std::fflush(stderr);
}

void dialogs_ui::missing_part(const listring& part) const
{
    listring text = format_message(DEF_WIDGET_NOT_FOUND, part.c_str(), dialog_name_.c_str());
    std::fprintf(stderr, "%s%s\n", error_prefix_.c_str(), text.c_str());
    std::fflush(stderr);
    shutdown(-1);
}

void dialogs_ui::build(KOI_button* icon, const listring& failure_prefix, build_failure failure)
{
    auto fail = [&](const listring& confirm_text) {
        if (failure == build_failure::show_message)
            write_to_stderr(failure_prefix);
        else
            std::fprintf(stderr, "%s%s\n", error_prefix_.c_str(), confirm_text.c_str());
        std::fflush(stderr);
        shutdown(-1);
    };
    OI_d_tech* root = OI_root_object();
    auto* template_box = OI_find<OI_dialog_box>(
        root, dialog_name_.c_str(), OI_lookup_policy::reporting([&](OI_lookup_failure failure) {
            fail(failure == OI_lookup_failure::no_start
                     ? listring(catalogue_text(DEF_ROOT_WIDGET_NOT_FOUND))
                     : format_message(DEF_DIALOG_NOT_FOUND, dialog_name_.c_str()));
        }));
    dialog_ = dynamic_cast<OI_dialog_box*>(template_box->clone());
    if (dialog_ == nullptr)
        fail(catalogue_text(DEF_BAD_CONFIRM_DIALOG_CREATE));
    dialog_->set_associated_object(root, OI_DEFAULT_LOC, OI_DEFAULT_LOC, NOT_DISPLAYED);
    icon_ = icon;
    if (icon_ != nullptr)
        icon_->set_associated_object(dialog_, 0, 0, ACTIVE);

    auto missing = [this](const listring& part) {
        return OI_lookup_policy::reporting([this, part](OI_lookup_failure) { missing_part(part); });
    };
    text_ = OI_find<OI_multi_text>(dialog_, MESSAGE.c_str(), missing(MESSAGE));
    default_button_ = OI_find<OI_menu_cell>(dialog_, OK_BTN.c_str(), OI_lookup_policy::silent());
    if (default_button_ == nullptr)
        default_button_ = OI_find<OI_menu_cell>(dialog_, YES_BTN.c_str(), missing(OK_BTN));
}

// The view is first sized by characters so that Tk lays the lines out, then
// narrowed to the pixels the widest line really takes.
std::vector<std::string> show_message_text(OI_multi_text* text, const listring& message)
{
    text->set_text_to_string(message.c_str());
    text->fit_view_to_text();
    text->disallow_kb_input();
    text->disallow_click_select();
    return text->lines();
}

void dialogs_ui::show_and_wait()
{
    std::vector<std::string> lines = show_message_text(text_, message_);
    int rows = std::max<int>(1, static_cast<int>(lines.size()));
    text_->set_state(INACTIVE);
    text_->set_position(rows - 1, static_cast<int>(lines.empty() ? 0 : lines.back().size()));
    text_->set_bkg_color(dialog_->bkg_color());
    default_button_->set_default(true);
    dialog_->set_state(ACTIVE_NOT_DISPLAYED);
    OI_flush();
    center_xy(dialog_);
    note_message_box(kind_, message_, dialog_);
    OI_menu_cell* pressed = dialog_->wait_button(modal_);
    forget_message_box(dialog_);
    pressed_ = pressed == nullptr ? "" : pressed->name().c_str();
}

listring dialogs_ui::pressed_name() const
{
    return pressed_;
}
