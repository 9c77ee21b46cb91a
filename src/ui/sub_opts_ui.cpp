#include "ui/sub_opts_ui.h"

#include "lib/msgs.h"
#include "misc/lidefs.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "opts/subset.h"
#include "prod/product.h"
#include "toolkit/center_xy.h"
#include "toolkit/oi_create.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_scroll_menu.h"
#include "ui/continue_ui.h"
#include "ui/help_request.h"
#include "ui/progress_dialog.h"
#include "ui/ui_lookup.h"

sub_opts_ui* the_suboptions_ui = nullptr;

namespace {

const l_subset* suboptions_of(const subset* parent)
{
    return parent == nullptr || parent->suboptions() == nullptr ? nullptr : parent->suboptions()->entries();
}

OI_menu_cell* suboption_cell(const subset& option)
{
    return oi_create_menu_cell(option.name().c_str(), option.description().c_str(), OI_callback());
}

}  // namespace

void sub_opts_ui::find_parts()
{
    if (initialised_)
        return;
    dialog_ = find_part<OI_dialog_box>(root_object(), SUBOPTIONS_DIALOG);
    find_part<OI_d_tech>(dialog_, SUBOPTIONS_BOX);
    find_part<OI_d_tech>(dialog_, BTN_BOX);
    available_ = find_part<OI_scroll_menu>(dialog_, AVAILABLE_MENU);
    selected_ = find_part<OI_scroll_menu>(dialog_, SELECTED_MENU);
    initialised_ = true;
}

void sub_opts_ui::create_cb(subset& parent)
{
    the_suboptions_ui = this;
    find_parts();
    parent_ = &parent;
    displayed_.erase(&parent);
    dialog_->set_unpin(OI_callback(this, &sub_opts_ui::unpin_cb, nullptr));
    dialog_->set_term_action(false, OI_callback(this, &sub_opts_ui::dialog_term_cb, nullptr));
    dialog_->set_title(parent.description().c_str());
    available_->set_title(format_message(DEF_AVAILABLE_CHOICES, parent.description().c_str()).c_str());
    selected_->set_title(format_message(DEF_SELECTED_CHOICES, parent.description().c_str()).c_str());
    available_->delete_cells();
    selected_->delete_cells();
    const l_subset* options = suboptions_of(&parent);
    for (unsigned i = 0; options != nullptr && i < options->entries(); ++i) {
        available_->add_cell(suboption_cell(*options->elem(i)));
        if (options->elem(i)->is_selected())
            add_selected(*options->elem(i));
    }
    center_xy(dialog_);
    dialog_->update_resources();
}

void sub_opts_ui::popup()
{
    set_main_window_busy(true);
    dialog_->set_state(ACTIVE);
    minimum_.remember(dialog_);
    dialog_->set_resize(OI_callback(this, &sub_opts_ui::resize_cb, nullptr));
}

void sub_opts_ui::popdown()
{
    if (dialog_ == nullptr)
        return;
    set_main_window_busy(false);
    dialog_->set_state(ACTIVE_NOT_DISPLAYED);
}

subset* sub_opts_ui::next_subset(product& p) const
{
    const l_subset* subsets = p.install_opts()->entries();
    for (unsigned i = 0; subsets != nullptr && i < subsets->entries(); ++i) {
        subset* option = subsets->elem(i);
        if (option->has_suboptions() && option->is_selected() && !displayed(option))
            return option;
    }
    return nullptr;
}

void sub_opts_ui::add_selected(const subset& option)
{
    if (selected_->cell(option.name().c_str()) == nullptr)
        selected_->add_cell(suboption_cell(option));
}

void sub_opts_ui::select_suboption(const std::string& name, bool on)
{
    const l_subset* options = suboptions_of(parent_);
    for (unsigned i = 0; options != nullptr && i < options->entries(); ++i) {
        if (name == options->elem(i)->name().c_str())
            options->elem(i)->set_selected(on);
    }
}

long sub_opts_ui::install_btn_cb(OI_d_tech*, void*, long value)
{
    if (value == 0 || parent_ == nullptr)
        return 0;
    const l_subset* options = suboptions_of(parent_);
    for (OI_menu_cell* cell : available_->selected_cells()) {
        cell->select(false);
        for (unsigned i = 0; options != nullptr && i < options->entries(); ++i) {
            if (cell->name() == options->elem(i)->name().c_str())
                add_selected(*options->elem(i));
        }
        select_suboption(cell->name(), true);
    }
    return 0;
}

long sub_opts_ui::install_all_btn_cb(OI_d_tech*, void*, long value)
{
    if (value == 0 || parent_ == nullptr)
        return 0;
    selected_->delete_cells();
    available_->deselect_all();
    const l_subset* options = suboptions_of(parent_);
    for (unsigned i = 0; options != nullptr && i < options->entries(); ++i) {
        add_selected(*options->elem(i));
        options->elem(i)->set_selected(true);
    }
    return 0;
}

long sub_opts_ui::remove_btn_cb(OI_d_tech*, void*, long value)
{
    if (value == 0 || parent_ == nullptr)
        return 0;
    for (OI_menu_cell* cell : selected_->selected_cells()) {
        select_suboption(cell->name(), false);
        cell->delete_all();
    }
    return 0;
}

long sub_opts_ui::ok_btn_cb(OI_d_tech*, void*, long)
{
    if (parent_ != nullptr)
        displayed_.insert(parent_);
    return 0;
}

long sub_opts_ui::cancel_btn_cb(OI_d_tech*, void*, long)
{
    popdown();
    return 0;
}

long sub_opts_ui::unpin_cb(OI_d_tech*, void*, long)
{
    popdown();
    return 0;
}

long sub_opts_ui::dialog_term_cb(OI_d_tech* origin, void*, long)
{
    if (origin == nullptr)
        return 0;
    if (origin->name() == CANCEL_BTN.c_str()) {
        popdown();
        return 1;
    }
    if (origin->name() != OK_BTN.c_str() || parent_ == nullptr)
        return 0;
    product* p = checked_product(parent_->current_prod());
    popdown();
    if (subset* next = next_subset(*p)) {
        create_cb(*next);
        popup();
        return 1;
    }
    the_continue_ui->set_current_prod(p);
    the_continue_ui->popup();
    return 1;
}

long sub_opts_ui::help_btn_cb(OI_d_tech*, void*, long)
{
    request_help(KITSETUP_HELP_FILE, HELP_SUBSETS_TOPIC);
    return 0;
}

long sub_opts_ui::resize_cb(OI_d_tech*, void*, long)
{
    minimum_.enforce(dialog_);
    return 0;
}
