#include "print/print_ui.h"

#include <algorithm>
#include <cstdlib>

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "print/print_edit_ui.h"
#include "toolkit/center_xy.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_create.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_lookup.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_scroll_menu.h"
#include "toolkit/oi_static_text.h"

print_ui* the_main_print_ui = nullptr;
int popup_main_print_dialog = 1;
print_ui::help_opener print_ui::help_opener_ = nullptr;

namespace {

const int LIBRARY_TEXT_SIZE = 1024;

// The dialog named name below root, its box shown when missing.
OI_dialog_box* lookup_dialog(OI_d_tech* root, const listring& name)
{
    return OI_find<OI_dialog_box>(root, name.c_str(), OI_lookup_policy::reporting([name](OI_lookup_failure) {
        error(format_message(DEF_DIALOG_NOT_FOUND, name.c_str()), true);
    }));
}

}  // namespace

OI_lookup_policy missing_print_part(const OI_d_tech* dialog, const listring& part)
{
    listring dialog_name(dialog == nullptr ? "" : dialog->name().c_str());
    return OI_lookup_policy::reporting([dialog_name, part](OI_lookup_failure) {
        error(format_message(DEF_WIDGET_NOT_FOUND, part.c_str(), dialog_name.c_str()), true);
    });
}

print_ui::print_ui(XpDefaults_t type) : type_(type)
{
    the_main_print_ui = this;
    XpSetErrorHandler(&print_ui::print_error_handler);
}

print_ui::~print_ui()
{
    delete edit_ui_;
    XpFreeDeviceArray(devices_, count_);
    std::free(path_);
    XpSetErrorHandler(nullptr);
    if (the_main_print_ui == this)
        the_main_print_ui = nullptr;
}

bool print_ui::find_objects()
{
    root_ = OI_root_object();
    if (root_ == nullptr) {
        error(catalogue_text(DEF_ROOT_WIDGET_NOT_FOUND), true);
        return false;
    }
    dialog_ = lookup_dialog(root_, MAIN_PRINT_DIALOG);
    if (dialog_ == nullptr)
        return false;
    printer_menu_ = OI_find<OI_scroll_menu>(dialog_, PRINTER_MENU.c_str(), missing_print_part(dialog_, PRINTER_MENU));
    def_printer_text_ =
        OI_find<OI_static_text>(dialog_, DEF_PRINTER_TEXT.c_str(), missing_print_part(dialog_, DEF_PRINTER_TEXT));
    return printer_menu_ != nullptr && def_printer_text_ != nullptr &&
           lookup_dialog(root_, PRINT_EDIT_DIALOG) != nullptr;
}

int print_ui::initialise()
{
    if (!find_objects())
        return -1;
    path_ = XpGetDefaultsFile(type_);
    if (path_ == nullptr)
        return -1;
    initialised_ = true;
    create_cb();
    return 0;
}

void print_ui::create_cb()
{
    XpFreeDeviceArray(devices_, count_);
    devices_ = nullptr;
    count_ = XpGetDevices(&devices_, 0, &default_index_, path_);
    if (count_ < 0) {
        count_ = 0;
        error(catalogue_text(DEF_GET_DEVICES_ERROR), true);
        information(catalogue_text(DEF_PRINTER_CONFIG_ERROR), true);
        initialised_ = false;
        return;
    }
    dialog_->set_unpin(OI_callback(this, &print_ui::shutdown_app, nullptr));
    dialog_->set_term_action(false, OI_callback(this, &print_ui::dialog_term_cb, nullptr));
    if (edit_ui_ == nullptr)
        edit_ui_ = new print_edit_ui(this);
    printer_menu_->delete_cells();
    for (int i = 0; i < count_; ++i)
        add_printer_cell(devices_[i]->display);
    show_default();
    center_xy(dialog_);
    dialog_->size(&width_, &height_);
    int rows = printer_menu_->view_size_y();
    if (default_index_ >= 0)
        printer_menu_->set_handle_loc_y(default_index_ > count_ - rows ? std::max(0, count_ - rows) : default_index_);
}

void print_ui::show_default()
{
    bool has_default = default_index_ >= 0 && default_index_ < count_;
    set_default_text(has_default ? devices_[default_index_]->display : "");
    if (has_default)
        printer_menu_->numbered_cell(default_index_)->select(true);
}

void print_ui::popup()
{
    if (!initialised_ || popup_main_print_dialog == 0)
        return;
    dialog_->set_resize(OI_callback(this, &print_ui::resize_cb, nullptr));
    dialog_->wait_button(true);
}

void print_ui::popdown()
{
    if (dialog_ != nullptr)
        dialog_->take_down();
}

long print_ui::shutdown_app(OI_d_tech*, void*, long)
{
    popdown();
    return 1;
}

void print_ui::add_printer_cell(const std::string& text)
{
    printer_menu_->add_cell(oi_create_menu_cell(text, text, OI_callback()));
}

void print_ui::modify_printer_cell(int index, const std::string& text)
{
    if (index < 0 || index >= printer_menu_->num_cells()) {
        error(catalogue_text(DEF_BAD_PRINTER_INDEX), true);
        popdown();
        return;
    }
    OI_menu_cell* cell = printer_menu_->numbered_cell(index);
    cell->set_name(text);
    cell->set_label(text);
}

void print_ui::set_default_text(const std::string& text)
{
    def_printer_text_->set_text(text);
}

void print_ui::set_devices(XpDevice_t** devices, int count)
{
    devices_ = devices;
    count_ = count;
}

int print_ui::first_selected() const
{
    std::vector<OI_menu_cell*> cells = printer_menu_->cells();
    for (size_t i = 0; i < cells.size(); ++i) {
        if (cells[i]->is_selected())
            return static_cast<int>(i);
    }
    return -1;
}

void print_ui::print_edit()
{
    edit_ui_->popup();
}

// The pressed button decides: add and edit open the edit dialog, delete
// keeps the dialog up, anything else ends it unless an edit is under way.
long print_ui::dialog_term_cb(OI_d_tech* origin, void*, long)
{
    const std::string name = origin == nullptr ? "" : origin->name();
    if (name == EDIT_BTN.c_str() || name == ADD_BTN.c_str()) {
        if (cb_called_)
            print_edit();
        return 0;
    }
    // Help never ends the dialog: the user reads it and carries on.
    if (name == DELETE_BTN.c_str() || name == HELP_BTN.c_str())
        return 0;
    return cb_called_ ? 0 : 1;
}

long print_ui::add_btn_cb(OI_d_tech*, void*, long value)
{
    if (value == 0 || cb_called_)
        return 0;
    cb_called_ = true;
    edit_ui_->create_cb(devices_, count_, default_index_, -1);
    return 0;
}

long print_ui::edit_btn_cb(OI_d_tech*, void*, long value)
{
    if (value == 0 || cb_called_)
        return 0;
    cb_called_ = true;
    edit_ui_->create_cb(devices_, count_, default_index_, first_selected());
    return 0;
}

long print_ui::del_btn_cb(OI_d_tech*, void*, long value)
{
    int index = first_selected();
    if (value == 0 || index < 0)
        return 0;
    printer_menu_->numbered_cell(index)->delete_all();
    XpDelDeviceArrayElem(&devices_, &count_, index);
    if (index == default_index_) {
        default_index_ = count_ > 0 ? 0 : -1;
        printer_menu_->deselect_all();
        show_default();
        printer_menu_->set_handle_loc_y(0);
    } else if (index < default_index_) {
        --default_index_;
    }
    changes_made_ = true;
    return 0;
}

long print_ui::set_def_btn_cb(OI_d_tech*, void*, long value)
{
    int index = first_selected();
    if (value == 0 || index < 0)
        return 0;
    default_index_ = index;
    set_default_text(devices_[index]->display);
    changes_made_ = true;
    return 0;
}

long print_ui::help_btn_cb(OI_d_tech*, void*, long value)
{
    const unsigned long printers_topic = 35;
    if (value != 0 && help_opener_ != nullptr)
        help_opener_(KITSETUP_HELP_FILE, printers_topic);
    return 0;
}

long print_ui::done_btn_cb(OI_d_tech*, void*, long value)
{
    if (value == 0 || !changes_made_)
        return 0;
    if (!confirm(catalogue_text(DEF_SAVE_CHANGES), true))
        return 0;
    popdown();
    popup_busy(catalogue_text(DEF_SAVING));
    save();
    popdown_busy();
    changes_made_ = false;
    return 0;
}

// One rewrite of the file replaces the devices section, the ports, the
// settings and the default, so a refused value never leaves the printers
// deleted; the library's own handler has already named the reason.
bool print_ui::save()
{
    if (XpSaveDeviceInformation(devices_, count_, default_index_, path_) == 0) {
        error(catalogue_text(DEF_WRITE_DEVICES_ERROR), true);
        return false;
    }
    return true;
}

// Keeps the dialog from shrinking below the size it opened with.
long print_ui::resize_cb(OI_d_tech*, void*, long)
{
    int width = 0;
    int height = 0;
    dialog_->size(&width, &height);
    if (width < width_ || height < height_)
        dialog_->set_size(std::max(width, width_), std::max(height, height_));
    return 0;
}

// Warnings are shown too, but only an error closes the dialogs for good: a
// file without a valid default still lists its printers.
void print_ui::print_error_handler(int, int is_error)
{
    char text[LIBRARY_TEXT_SIZE] = "";
    XpGetErrorText(text, sizeof text);
    OI_d_tech* root = OI_root_object();
    OI_dialog_box* main_dialog = lookup_dialog(root, MAIN_PRINT_DIALOG);
    OI_dialog_box* edit_dialog = lookup_dialog(root, PRINT_EDIT_DIALOG);
    error(format_message(DEF_INTERNAL_XP_ERROR, text), true);
    if (!is_error)
        return;
    if (edit_dialog != nullptr)
        edit_dialog->take_down();
    if (main_dialog != nullptr)
        main_dialog->take_down();
    popup_main_print_dialog = 0;
}
