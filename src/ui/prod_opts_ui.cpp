#include "ui/prod_opts_ui.h"

#include <unistd.h>

#include <algorithm>

#include "cmds/l_cmd.h"
#include "lib/l_listring.h"
#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "opts/subset.h"
#include "prod/l_prim_opt.h"
#include "prod/product.h"
#include "toolkit/center_xy.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_create.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_scroll_menu.h"
#include "toolkit/oi_static_text.h"
#include "ui/continue_ui.h"
#include "ui/help_request.h"
#include "ui/kitsetup.h"
#include "ui/progress_dialog.h"
#include "ui/sub_opts_ui.h"
#include "ui/ui_lookup.h"

prod_opts_ui* the_options_ui = nullptr;

namespace {

const int OPTION_COLUMNS = 2;
// The text beside the source field that says what the source is.
const listring SOURCE_LABEL("source_label");
// The directory of a target that holds the installer itself.
const listring INSTALLER_DIR_NAME("install");
// More cells than this scroll; fewer show whole.
const int MAX_WHOLE_ROWS = 10;

struct medium {
    const listring& cell;
    media_t media;
};
const medium media_cells[] = {
    {FILESERVER_BTN, MEDIA_FILESERVER},
    {DIST_SERVER_BTN, MEDIA_DISTRIBUTION},
    {CD_BTN, MEDIA_CD},
    {TAPE_BTN, MEDIA_TAPE},
};

bool media_of(const std::string& cell, media_t* media)
{
    for (const medium& known : media_cells) {
        if (cell == known.cell.c_str()) {
            *media = known.media;
            return true;
        }
    }
    return false;
}

const listring& source_default(const l_cmd& templates, media_t media)
{
    switch (media) {
    case MEDIA_FILESERVER: return templates.fs_product_dir_default();
    case MEDIA_DISTRIBUTION: return templates.ds_product_dir_default();
    case MEDIA_TAPE: return templates.tape_source_default();
    case MEDIA_CD: break;
    }
    return templates.cd_source_default();
}

listring size_text(std::int64_t kilobytes)
{
    return format_text("%lld %s", static_cast<long long>(kilobytes), FILE_SIZE_UNITS.c_str());
}

// Whether name is among the options recorded at the product's last
// installation, compared exactly.
bool installed_before(product& p, const listring& name)
{
    const l_listring* ids = p.installed_option_ids();
    case_sensitive_section exact;
    for (unsigned i = 0; ids != nullptr && i < ids->entries(); ++i) {
        if (*ids->elem(i) == name)
            return true;
    }
    return false;
}

bool same_path(const listring& a, const listring& b)
{
    case_sensitive_section exact;
    return a == b;
}

// The option's label: its description padded to the longest, then its size.
listring option_label(const subset& option, unsigned width)
{
    listring label(option.description());
    while (label.length() < width + 1)
        label += ' ';
    label += format_text("(%d %s) ", option.size(), FILE_SIZE_UNITS.c_str());
    return label;
}

}  // namespace

void prod_opts_ui::find_parts()
{
    if (initialised_)
        return;
    dialog_ = find_part<OI_dialog_box>(root_object(), OPTIONS_DIALOG);
    source_field_ = find_part<OI_entry_field>(dialog_, SOURCE_FIELD);
    source_label_ = find_part<OI_static_text>(dialog_, SOURCE_LABEL);
    target_field_ = find_part<OI_entry_field>(dialog_, TARGET_FIELD);
    remote_field_ = find_part<OI_entry_field>(dialog_, REMOTE_FIELD);
    remote_menu_ = find_part<OI_menu>(dialog_, REMOTE_MENU);
    remote_btn_ = find_part<OI_menu_cell>(remote_menu_, REMOTE_BTN);
    local_btn_ = find_part<OI_menu_cell>(remote_menu_, LOCAL_BTN);
    options_menu_ = find_part<OI_scroll_menu>(dialog_, OPTIONS_MENU);
    media_menu_ = find_part<OI_menu>(dialog_, MEDIA_MENU);
    for (const medium& known : media_cells)
        find_part<OI_menu_cell>(media_menu_, known.cell);
    dist_menu_ = find_part<OI_menu>(dialog_, CREATE_DIST_MENU);
    dist_btn_ = find_part<OI_menu_cell>(dist_menu_, CREATE_DIST_BTN);
    space_reqd_ = find_part<OI_static_text>(dialog_, SPACE_REQUIRED);
    space_avail_ = find_part<OI_static_text>(dialog_, SPACE_AVAILABLE);
    find_part<OI_menu_cell>(dialog_, RESET_BTN);
    resource_view_rows_ = options_menu_->view_size_y();
    initialised_ = true;
}

product* prod_opts_ui::current_prod() const
{
    return checked_product(prod_);
}

void prod_opts_ui::create_cb(product& chosen)
{
    the_options_ui = this;
    prod_ = &chosen;
    find_parts();
    dialog_->set_resize(OI_callback());
    target_field_->set_char_chk(OI_callback(this, &prod_opts_ui::target_char_check_cb, nullptr));
    target_field_->set_entry_callback(OI_callback(this, &prod_opts_ui::target_check_cb, nullptr));
    dialog_->set_unpin(OI_callback(this, &prod_opts_ui::unpin_cb, nullptr));
    dialog_->set_term_action(false, OI_callback(this, &prod_opts_ui::dialog_term_cb, nullptr));
    dist_btn_->change_action(OI_callback(this, &prod_opts_ui::create_dist_btn_cb, nullptr));
    dist_btn_->select(false);
    chosen.set_create_dist_server(false);
    forced_ = false;
    dist_remembered_ = false;
    media_ = -1;
    if (chosen.was_installed())
        chosen.parse_data_file();
    build_option_cells();
    show_space_required();
    dialog_->update_resources();
    media_menu_cb(media_menu_->cell(CD_BTN.c_str()), nullptr, 1);
    target_field_->set_text(chosen.cmd_templates(CMD_EXTRACT)->output().c_str());
    show_space_available(expanded_text(target_field_));
    const listring& host = chosen.cmd_templates(CMD_REMOTE)->host();
    if (!host.is_empty())
        remote_host_ = host;
    center_xy(dialog_);
}

// A product with primary options that was not installed before shows the
// choice its primary option made; otherwise the subsets' own defaults
// decide. A mandatory subset is always shown selected: it cannot be left out.
void prod_opts_ui::build_option_cells()
{
    options_menu_->delete_cells();
    const l_subset* subsets = prod_->install_opts()->entries();
    unsigned count = subsets == nullptr ? 0 : subsets->entries();
    unsigned width = 0;
    for (unsigned i = 0; i < count; ++i)
        width = std::max(width, subsets->elem(i)->description().length());
    bool preset = prod_->has_primary_options() && !prod_->was_installed();
    int shown = 0;
    for (unsigned i = 0; i < count; ++i) {
        subset* option = subsets->elem(i);
        if (option->is_hidden())
            continue;
        bool on = option->is_mandatory() || (preset ? option->is_selected() : option->is_default());
        option->set_selected(on);
        OI_menu_cell* cell = oi_create_menu_cell(option->name().c_str(), option_label(*option, width).c_str(),
                                                 OI_callback(), OI_TOGGLE_CELL);
        cell->layout_associated_object(options_menu_, shown % OPTION_COLUMNS, shown / OPTION_COLUMNS, ACTIVE);
        cell->select(on);
        ++shown;
    }
    if (shown > 1 && shown % OPTION_COLUMNS != 0) {
        OI_menu_cell* filler = oi_create_menu_cell(DUMMY_CELL.c_str(), std::string(width + 1, ' '),
                                                   OI_callback(), OI_TOGGLE_CELL);
        filler->layout_associated_object(options_menu_, OPTION_COLUMNS - 1, shown / OPTION_COLUMNS, NOT_DISPLAYED);
    }
    int rows = (shown + OPTION_COLUMNS - 1) / OPTION_COLUMNS;
    options_menu_->set_view_size(rows <= MAX_WHOLE_ROWS ? std::max(rows, 1) : resource_view_rows_);
}

std::vector<OI_menu_cell*> prod_opts_ui::option_cells() const
{
    std::vector<OI_menu_cell*> cells;
    for (OI_menu_cell* cell : options_menu_->cells()) {
        if (cell->name() != DUMMY_CELL.c_str())
            cells.push_back(cell);
    }
    return cells;
}

void prod_opts_ui::set_option_actions(bool bound)
{
    for (OI_menu_cell* cell : option_cells())
        cell->change_action(bound ? OI_callback(this, &prod_opts_ui::option_btn_cb, nullptr) : OI_callback());
}

void prod_opts_ui::set_defaults()
{
    product* p = current_prod();
    set_dist_toggle(false);
    media_menu_cb(media_menu_->cell(CD_BTN.c_str()), nullptr, 1);
    choose_remote(!local_default_);
    if (!local_default_)
        remote_field_->set_text(p->cmd_templates(CMD_REMOTE)->host().c_str());
    source_field_->set_text(p->cmd_templates()->cd_source_default().c_str());
    target_field_->set_text(p->cmd_templates(CMD_EXTRACT)->output().c_str());
    const l_subset* subsets = p->install_opts()->entries();
    for (unsigned i = 0; subsets != nullptr && i < subsets->entries(); ++i) {
        subset* option = subsets->elem(i);
        if (option->is_hidden())
            continue;
        OI_menu_cell* cell = options_menu_->cell(option->name().c_str());
        if (cell == nullptr) {
            error(format_message(DEF_SUBSET_DOES_NOT_EXIST, option->name().c_str()), true);
            shutdown(-1);
        }
        bool on = option->is_default() || option->is_mandatory();
        cell->select(on);
        option->set_selected(on);
    }
    show_space_required();
    show_space_available(expanded_text(target_field_));
}

void prod_opts_ui::popup()
{
    set_main_window_busy(true);
    set_option_actions(true);
    dialog_->set_state(ACTIVE);
    source_field_->set_focus();
    minimum_.remember(dialog_);
    dialog_->set_resize(OI_callback(this, &prod_opts_ui::resize_cb, nullptr));
}

void prod_opts_ui::popdown()
{
    if (dialog_ == nullptr)
        return;
    set_option_actions(false);
    options_menu_->set_handle_loc_y(0);
    set_main_window_busy(false);
    dialog_->set_state(ACTIVE_NOT_DISPLAYED);
}

long prod_opts_ui::reset_btn_cb(OI_d_tech*, void*, long)
{
    set_defaults();
    return 0;
}

long prod_opts_ui::media_menu_cb(OI_d_tech* origin, void*, long value)
{
    auto* cell = dynamic_cast<OI_menu_cell*>(origin);
    media_t chosen = MEDIA_CD;
    if (cell == nullptr || !media_of(cell->name(), &chosen)) {
        error(catalogue_text(DEF_UNKNOWN_MEDIA), true);
        return 0;
    }
    if (value == 0)
        return 0;
    for (OI_menu_cell* each : media_menu_->cells()) {
        each->set_default(each == cell);
        each->select(each == cell);
    }
    if (media_ == MEDIA_TAPE)
        remote_chosen_ = remote_btn_->is_selected();
    if (media_ == MEDIA_FILESERVER && chosen != MEDIA_FILESERVER)
        target_field_->set_text(saved_target_.c_str());
    if (chosen == MEDIA_FILESERVER && media_ != MEDIA_FILESERVER) {
        saved_target_ = target_field_->text().c_str();
        target_field_->set_text(TARNU_DIR.c_str());
    }
    bool tape = chosen == MEDIA_TAPE;
    bool file_server = chosen == MEDIA_FILESERVER;
    media_ = chosen;
    prod_->set_media(chosen);
    source_label_->set_text(catalogue_text(tape ? DEF_SOURCE_DEV_LABEL : DEF_PRODUCT_DIR_LABEL));
    source_field_->set_text(source_default(*prod_->cmd_templates(), chosen).c_str());
    target_field_->set_state(file_server ? INACTIVE : ACTIVE);
    if (file_server && dist_btn_->is_selected()) {
        dist_remembered_ = true;
        set_dist_toggle(false);
    } else if (!file_server && dist_remembered_) {
        dist_remembered_ = false;
        set_dist_toggle(true);
    }
    dist_menu_->set_state(file_server ? INACTIVE : ACTIVE);
    remote_menu_->set_state(tape ? ACTIVE : INACTIVE);
    choose_remote(tape && remote_chosen_);
    apply_forced_selection();
    show_space_required();
    return 0;
}

// Remote shows the host kept from before; local keeps what was typed as
// the host for the next time.
void prod_opts_ui::choose_remote(bool remote)
{
    remote_btn_->select(remote);
    local_btn_->select(!remote);
    if (remote) {
        remote_field_->set_text(remote_host_.c_str());
        remote_field_->set_state(ACTIVE);
        return;
    }
    listring typed(remote_field_->text().c_str());
    typed.strip_leading_and_trailing_blanks();
    if (!typed.is_empty())
        remote_host_ = typed;
    remote_field_->set_text("");
    remote_field_->set_state(INACTIVE);
}

long prod_opts_ui::local_btn_cb(OI_d_tech*, void*, long value)
{
    if (value == 0)
        return 0;
    choose_remote(false);
    cmd::set_local();
    return 0;
}

long prod_opts_ui::remote_btn_cb(OI_d_tech*, void*, long value)
{
    if (value == 0)
        return 0;
    choose_remote(true);
    remote_field_->set_focus();
    return 0;
}

void prod_opts_ui::set_dist_toggle(bool on)
{
    dist_btn_->select(on);
    current_prod()->set_create_dist_server(on);
    apply_forced_selection();
}

long prod_opts_ui::create_dist_btn_cb(OI_d_tech*, void*, long value)
{
    set_option_actions(false);
    set_dist_toggle(value != 0);
    show_space_required();
    set_option_actions(true);
    return 0;
}

void prod_opts_ui::apply_forced_selection()
{
    bool forced = media_ == MEDIA_FILESERVER || dist_btn_->is_selected();
    if (forced == forced_)
        return;
    forced_ = forced;
    for (OI_menu_cell* cell : option_cells()) {
        if (forced) {
            remembered_selection_[cell->name()] = cell->is_selected();
            cell->select(true);
            cell->set_state(INACTIVE);
        } else {
            cell->select(remembered_selection_[cell->name()]);
            cell->set_state(ACTIVE);
        }
    }
}

long prod_opts_ui::option_btn_cb(OI_d_tech* origin, void*, long value)
{
    auto* cell = dynamic_cast<OI_menu_cell*>(origin);
    if (cell == nullptr)
        return 0;
    product* p = current_prod();
    subset* option = p->install_opts()->elem(listring(cell->name().c_str()));
    if (option == nullptr)
        shutdown(-1);
    bool on = value != 0;
    if (on && p->was_installed() && installed_before(*p, option->name()) &&
        !confirm(catalogue_text(DEF_OPTION_INSTALLED), true)) {
        cell->select(false);
        on = false;
    }
    if (!on && option->is_mandatory()) {
        cell->select(true);
        on = true;
    }
    option->set_selected(on);
    show_space_required();
    return 0;
}

long prod_opts_ui::all_btn_cb(OI_d_tech*, void*, long)
{
    if (forced_)
        return 0;
    for (OI_menu_cell* cell : option_cells()) {
        if (!cell->is_selected()) {
            cell->select(true);
            option_btn_cb(cell, nullptr, 1);
        }
    }
    return 0;
}

// The space the selected cells need, counted the way the installation will.
void prod_opts_ui::show_space_required()
{
    copy_selection_to_subsets();
    space_required_ = current_prod()->install_opts()->space_reqd(false);
    space_reqd_->set_text(size_text(space_required_).c_str());
}

void prod_opts_ui::show_space_available(const listring& dir)
{
    std::int64_t free_kb = 0;
    if (!dir.is_empty() && valid_directory(dir))
        free_kb = static_cast<std::int64_t>(unix_free_space(dir));
    space_avail_->set_text(size_text(free_kb).c_str());
}

listring prod_opts_ui::expanded_text(const OI_entry_field* field) const
{
    listring text(field->text().c_str());
    text.strip_leading_and_trailing_blanks();
    if (!text.is_empty())
        expand_directory(text);
    return text;
}

long prod_opts_ui::target_char_check_cb(OI_d_tech* origin, void*, long value)
{
    auto* field = dynamic_cast<OI_entry_field*>(origin);
    if (field == nullptr || value < ' ' || value == 0x7f)
        return 1;
    std::string text = field->text();
    text += static_cast<char>(value);
    listring dir(text.c_str());
    expand_directory(dir);
    if (valid_directory(dir))
        show_space_available(dir);
    return 1;
}

long prod_opts_ui::target_check_cb(OI_d_tech*, void*, long)
{
    OI_add_timeout(0, OI_callback(this, &prod_opts_ui::check_target_now, nullptr));
    return 1;
}

long prod_opts_ui::check_target_now(OI_d_tech*, void*, long)
{
    if (dialog_ == nullptr || !dialog_->is_displayed())
        return 0;
    listring target = expanded_text(target_field_);
    if (!target.is_empty() && target_exists(target))
        show_space_available(target);
    return 0;
}

// Offers to create a target that is missing; the field shows the
// directory once it exists.
bool prod_opts_ui::target_exists(const listring& target)
{
    if (valid_directory(target))
        return true;
    error(format_message(DEF_BAD_TARGET_DIR, target.c_str()), true);
    if (!confirm(catalogue_text(DEF_MKDIR), true) || create_dir(target) != 0)
        return false;
    target_field_->set_text(target.c_str());
    return true;
}

long prod_opts_ui::ok_btn_cb(OI_d_tech*, void*, long)
{
    product* p = current_prod();
    p->set_create_dist_server(dist_btn_->is_selected());
    source_ = expanded_text(source_field_);
    target_ = expanded_text(target_field_);
    listring host(remote_field_->text().c_str());
    host.strip_leading_and_trailing_blanks();
    OI_menu_cell* chosen = media_menu_->default_cell();
    media_t media = MEDIA_CD;
    if (chosen != nullptr && media_of(chosen->name(), &media))
        p->set_media(media);
    for (cmd_t kind : {CMD_EXTRACT, CMD_REWIND, CMD_SKIP, CMD_COPY_CONVERT})
        p->cmd_templates(kind)->set_input(source_);
    for (cmd_t kind : {CMD_EXPAND, CMD_EXTRACT})
        p->cmd_templates(kind)->set_output(target_);
    if (remote_btn_->is_selected() && !host.is_empty()) {
        remote_host_ = host;
        cmd* remote = p->cmd_templates(CMD_REMOTE);
        p->cmd_templates(CMD_EXTRACT)->set_remote_cmd(remote);
        cmd::set_remote();
        remote->set_host(host);
    } else {
        cmd::set_local();
    }
    return 0;
}

long prod_opts_ui::cancel_btn_cb(OI_d_tech*, void*, long)
{
    popdown();
    set_defaults();
    return 0;
}

long prod_opts_ui::unpin_cb(OI_d_tech*, void*, long)
{
    popdown();
    return 0;
}

long prod_opts_ui::dialog_term_cb(OI_d_tech* origin, void*, long)
{
    if (origin == nullptr)
        return 0;
    if (origin->name() == CANCEL_BTN.c_str()) {
        popdown();
        return 1;
    }
    if (origin->name() != OK_BTN.c_str())
        return 0;
    return ok_checks() ? 1 : 0;
}

bool prod_opts_ui::ok_checks()
{
    product* p = current_prod();
    if (source_.is_empty() || target_.is_empty()) {
        error(catalogue_text(DEF_NO_SOURCE_OR_TARGET), true);
        return false;
    }
    if (!recordable_path(target_)) {
        error(format_message(DEF_TARGET_NOT_RECORDABLE, target_.c_str()), true);
        return false;
    }
    if (p->was_installed()) {
        if (p->parse_data_file() != 0) {
            error(format_message(DEF_NO_RECORD_OF_INSTALL, p->description().c_str()), true);
            return false;
        }
        if (!same_path(p->target(), target_)) {
            error(format_message(DEF_MUST_INSTALL_IN_SAME_DIR, p->short_description().c_str(),
                                 p->target().c_str()),
                  true);
            target_field_->set_text(p->target().c_str());
            return false;
        }
    }
    media_t media = p->media();
    if ((media == MEDIA_DISTRIBUTION || media == MEDIA_CD || p->create_dist_server()) &&
        same_path(join_directory(target_, INSTALLER_DIR_NAME), INSTALL_DIR) &&
        !confirm(format_message(DEF_INSTALL_DIR_EXISTS, target_.c_str()), true))
        return false;
    if (!source_ok() || !target_exists(target_))
        return false;
    if (!write_access(target_)) {
        error(format_message(DEF_NO_WRITE, target_.c_str()), true);
        return false;
    }
    copy_selection_to_subsets();
    if (media != MEDIA_FILESERVER) {
        if (!space_ok())
            return false;
        const l_prim_opt* options = p->primary_opts();
        for (unsigned i = 0; options != nullptr && i < options->entries(); ++i) {
            prim_opt* option = options->elem(i);
            if (!option->selected() || option->fixed())
                continue;
            the_suboptions_ui->reset_displayed();
            if (subset* next = the_suboptions_ui->next_subset(*p)) {
                popdown();
                the_suboptions_ui->create_cb(*next);
                the_suboptions_ui->popup();
                return true;
            }
        }
    }
    if (any_option_selected() || media == MEDIA_FILESERVER) {
        go_on();
        return true;
    }
    return nothing_selected_ok();
}

// A remote drive is not looked at from here.
bool prod_opts_ui::source_ok() const
{
    if (remote_btn_->is_selected())
        return true;
    switch (current_prod()->media()) {
    case MEDIA_TAPE:
        if (valid_file(source_, F_OK))
            return true;
        break;
    case MEDIA_FILESERVER:
        if (valid_directory(source_))
            return true;
        error(format_message(DEF_BAD_DIR, source_.c_str()), true);
        return false;
    case MEDIA_DISTRIBUTION:
    case MEDIA_CD:
        if (valid_directory(source_))
            return true;
        break;
    }
    error(format_message(DEF_BAD_SOURCE_DEVICE, source_.c_str()), true);
    return false;
}

bool prod_opts_ui::space_ok()
{
    show_space_available(target_);
    std::int64_t free_kb = valid_directory(target_) ? static_cast<std::int64_t>(unix_free_space(target_)) : 0;
    return free_kb >= space_required_ || confirm(catalogue_text(DEF_INSUFFICIENT_SPACE), true);
}

void prod_opts_ui::copy_selection_to_subsets()
{
    prod_opts* options = current_prod()->install_opts();
    for (OI_menu_cell* cell : option_cells()) {
        if (subset* option = options->entries() == nullptr ? nullptr : options->elem(listring(cell->name().c_str())))
            option->set_selected(cell->is_selected());
    }
}

bool prod_opts_ui::any_option_selected() const
{
    for (OI_menu_cell* cell : option_cells()) {
        if (cell->is_selected())
            return true;
    }
    return false;
}

// Nothing to copy: worth going on only when scripts can still configure
// what was installed before.
bool prod_opts_ui::nothing_selected_ok()
{
    product* p = current_prod();
    bool configures = p->needs_install();
    const l_subset* subsets = p->install_opts()->entries();
    for (unsigned i = 0; subsets != nullptr && i < subsets->entries(); ++i)
        configures = configures || subsets->elem(i)->needs_install();
    if (!configures) {
        error(catalogue_text(DEF_NO_OPTIONS_ERROR), true);
        return false;
    }
    if (!confirm(catalogue_text(DEF_NO_OPTIONS_QUERY), true))
        return false;
    for (unsigned i = 0; subsets != nullptr && i < subsets->entries(); ++i)
        subsets->elem(i)->set_selected(false);
    go_on();
    return true;
}

void prod_opts_ui::go_on()
{
    popdown();
    the_continue_ui->set_current_prod(current_prod());
    the_continue_ui->popup();
}

long prod_opts_ui::help_btn_cb(OI_d_tech*, void*, long)
{
    request_help(KITSETUP_HELP_FILE, HELP_INSTALL_OPTIONS_TOPIC);
    return 0;
}

long prod_opts_ui::resize_cb(OI_d_tech*, void*, long)
{
    minimum_.enforce(dialog_);
    return 0;
}
