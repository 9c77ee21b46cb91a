#include "print/print_edit_ui.h"

#include <cstdlib>

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "print/print_ui.h"
#include "toolkit/center_xy.h"
#include "toolkit/oi_create.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_lookup.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_scroll_menu.h"

print_edit_ui* the_print_edit_ui = nullptr;

namespace {

const char* const DEFAULT_COMMAND = "lp";

// text without its leading and trailing blanks.
std::string cleaned(const std::string& text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A port name reads back from the ports and devices entries only without
// "=" or "," and not starting a section header; a command reads back whole
// ("=" and all) as long as it stays on its line.
bool readable_port(const std::string& port)
{
    return port.find_first_of("=,\r\n") == std::string::npos && port.compare(0, 1, "[") != 0;
}

bool readable_command(const std::string& command)
{
    return command.find_first_of("\r\n") == std::string::npos;
}

// Every missing part ends the program: the dialog cannot work without it.
template <class T>
T* required_part(OI_d_tech* dialog, const listring& part)
{
    T* found = OI_find<T>(dialog, part.c_str(), missing_print_part(dialog, part));
    if (found == nullptr)
        end_program(-1);
    return found;
}

}  // namespace

print_edit_ui::print_edit_ui(print_ui* owner) : owner_(owner)
{
    the_print_edit_ui = this;
}

print_edit_ui::~print_edit_ui()
{
    XpFreeDeviceArray(types_, type_count_);
    XpFreePortArray(ports_, port_count_);
    if (the_print_edit_ui == this)
        the_print_edit_ui = nullptr;
}

void print_edit_ui::find_objects()
{
    dialog_ = OI_find<OI_dialog_box>(owner_->root_, PRINT_EDIT_DIALOG.c_str(),
                                     OI_lookup_policy::reporting([](OI_lookup_failure) {
                                         error(format_message(DEF_DIALOG_NOT_FOUND, PRINT_EDIT_DIALOG.c_str()), true);
                                         end_program(-1);
                                     }));
    printer_menu_ = required_part<OI_scroll_menu>(dialog_, PRINTER_MENU);
    alias_menu_ = required_part<OI_scroll_menu>(dialog_, ALIAS_MENU);
    alias_field_ = required_part<OI_entry_field>(dialog_, ALIAS_FIELD);
    cmd_field_ = required_part<OI_entry_field>(dialog_, CMD_FIELD);
}

void print_edit_ui::create_cb(XpDevice_t** devices, int count, int default_index, int edited)
{
    devices_ = devices;
    count_ = count;
    default_index_ = default_index;
    edited_ = edited;
    if (!initialised_) {
        port_count_ = XpGetPorts(&ports_, owner_->path_);
        int no_default = -1;
        type_count_ = XpGetDevices(&types_, 1, &no_default, owner_->path_);
        if (type_count_ < 0)
            type_count_ = 0;
        find_objects();
        dialog_->set_term_action(false, OI_callback(this, &print_edit_ui::dialog_term_cb, nullptr));
        alias_field_->set_entry_callback(OI_callback(this, &print_edit_ui::alias_field_cb, nullptr));
        cmd_field_->set_entry_callback(OI_callback(this, &print_edit_ui::cmd_field_cb, nullptr));
        initialised_ = true;
    }
    fill_printer_menu();
    fill_alias_menu();
    center_xy(dialog_);
}

void print_edit_ui::fill_printer_menu()
{
    printer_menu_->delete_cells();
    for (int i = 0; i < type_count_; ++i)
        printer_menu_->add_cell(oi_create_menu_cell(types_[i]->alias, types_[i]->alias, OI_callback()));
    for (int i = 0; i < count_; ++i) {
        if (printer_menu_->cell(devices_[i]->alias) == nullptr)
            printer_menu_->add_cell(oi_create_menu_cell(devices_[i]->alias, devices_[i]->alias, OI_callback()));
    }
    if (edited_ >= 0 && edited_ < count_)
        printer_menu_->cell(devices_[edited_]->alias)->select(true);
    else if (printer_menu_->num_cells() > 0)
        printer_menu_->numbered_cell(0)->select(true);
}

void print_edit_ui::fill_alias_menu()
{
    alias_menu_->delete_cells();
    for (int i = 0; i < port_count_; ++i)
        alias_menu_->add_cell(oi_create_menu_cell(ports_[i]->port, ports_[i]->port,
                                                  OI_callback(this, &print_edit_ui::alias_menu_cb, nullptr)));
    if (alias_menu_->cell(XP_FILE_STRING.c_str()) == nullptr)
        alias_menu_->add_cell(oi_create_menu_cell(XP_FILE_STRING.c_str(), XP_FILE_STRING.c_str(),
                                                  OI_callback(this, &print_edit_ui::alias_menu_cb, nullptr)));
    alias_field_->set_text("");
    cmd_field_->set_text("");
    if (edited_ >= 0 && edited_ < count_ && devices_[edited_]->port)
        show_port(devices_[edited_]->port->port);
}

// Selects port's cell and shows its name and command in the fields.
void print_edit_ui::show_port(const std::string& port)
{
    alias_menu_->deselect_all();
    if (OI_menu_cell* cell = alias_menu_->cell(port))
        cell->select(true);
    alias_field_->set_text(port);
    int index = port_index(port);
    cmd_field_->set_text(index >= 0 && ports_[index]->command ? *ports_[index]->command : "");
}

int print_edit_ui::port_index(const std::string& port) const
{
    for (int i = 0; i < port_count_; ++i) {
        if (ports_[i]->port == port)
            return i;
    }
    return -1;
}

void print_edit_ui::popup()
{
    dialog_->wait_button(true);
    owner_->set_cb_called(false);
}

void print_edit_ui::popdown()
{
    if (dialog_ != nullptr)
        dialog_->take_down();
}

long print_edit_ui::alias_menu_cb(OI_d_tech* origin, void*, long value)
{
    if (value != 0 && origin != nullptr)
        show_port(origin->name());
    return 0;
}

long print_edit_ui::alias_field_cb(OI_d_tech*, void*, long)
{
    std::string port = cleaned(alias_field_->text());
    alias_field_->set_text(port);
    // A name the file could not hold never joins the port list; OK says why.
    if (port.empty() || port == XP_FILE_STRING.c_str() || port_index(port) >= 0 || !readable_port(port))
        return 0;
    if (alias_menu_->cell(port) == nullptr)
        alias_menu_->add_cell(
            oi_create_menu_cell(port, port, OI_callback(this, &print_edit_ui::alias_menu_cb, nullptr)));
    alias_menu_->deselect_all();
    alias_menu_->cell(port)->select(true);
    if (cleaned(cmd_field_->text()).empty())
        cmd_field_->set_text(DEFAULT_COMMAND);
    return 0;
}

long print_edit_ui::cmd_field_cb(OI_d_tech*, void*, long)
{
    std::string port = cleaned(alias_field_->text());
    if (port.empty()) {
        error(catalogue_text(DEF_SELECT_ALIAS), true);
        return 0;
    }
    std::string command = cleaned(cmd_field_->text());
    if (command.empty())
        command = DEFAULT_COMMAND;
    cmd_field_->set_text(command);
    int index = port_index(port);
    if (index >= 0) {
        ports_[index]->command = command;
        return 0;
    }
    XpPort_t added{port, command};
    if (XpAppendPortArrayElem(&ports_, &port_count_, &added) != 0)
        error(catalogue_text(DEF_ADD_PORT_ERROR), true);
    return 0;
}

long print_edit_ui::ok_btn_cb(OI_d_tech*, void*, long)
{
    return 0;
}

long print_edit_ui::cancel_btn_cb(OI_d_tech*, void*, long)
{
    return 0;
}

const XpDevice_t* print_edit_ui::chosen_entry() const
{
    std::vector<OI_menu_cell*> cells = printer_menu_->cells();
    for (size_t i = 0; i < cells.size(); ++i) {
        if (!cells[i]->is_selected())
            continue;
        int position = static_cast<int>(i);
        if (position < type_count_)
            return types_[position];
        std::string label = cells[i]->label();
        for (int d = 0; d < count_; ++d) {
            if (devices_[d]->alias == label)
                return devices_[d];
        }
        return nullptr;
    }
    return nullptr;
}

bool print_edit_ui::is_duplicate(const XpDevice_t& installed, const std::string& label) const
{
    return installed.alias == label && installed.port && installed.port->port == cleaned(alias_field_->text()) &&
           installed.port->command.value_or("") == cleaned(cmd_field_->text());
}

// Checks the choice and applies it to the main dialog's devices; false when
// refused (the reason shown), so the dialog stays up.
bool print_edit_ui::apply_choice()
{
    std::string port = cleaned(alias_field_->text());
    std::string command = cleaned(cmd_field_->text());
    if (port.empty()) {
        error(catalogue_text(DEF_SELECT_ALIAS), true);
        return false;
    }
    if (!readable_port(port) || !readable_command(command)) {
        error(format_message(DEF_BAD_PORT_TEXT, readable_port(port) ? command.c_str() : port.c_str()), true);
        return false;
    }
    const XpDevice_t* entry = chosen_entry();
    if (entry == nullptr)
        return false;
    for (int i = 0; i < count_; ++i) {
        if (is_duplicate(*devices_[i], entry->alias) && (edited_ < 0 || i != edited_)) {
            error(format_message(DEF_PRINTER_INSTALLED, entry->alias.c_str(), port.c_str()), true);
            return false;
        }
    }
    XpDevice_t chosen = *entry;
    chosen.info.reset();
    bool file_port = port == XP_FILE_STRING.c_str();
    chosen.port = XpPort_t{port, file_port ? std::optional<std::string>() : std::optional<std::string>(command)};
    chosen.file = file_port ? 1 : 0;
    int index = port_index(port);
    if (index < 0 && !file_port) {
        if (XpAppendPortArrayElem(&ports_, &port_count_, &*chosen.port) != 0) {
            error(catalogue_text(DEF_ADD_PORT_ERROR), true);
            return false;
        }
    } else if (index >= 0) {
        ports_[index]->command = chosen.port->command;
        for (int i = 0; i < count_; ++i) {
            if (devices_[i]->port && devices_[i]->port->port == port)
                devices_[i]->port->command = chosen.port->command;
        }
    }
    XpResetDisplayString(&chosen);
    owner_->set_changes_made(true);
    if (edited_ < 0)
        add_device(chosen);
    else
        edit_device(chosen);
    return true;
}

void print_edit_ui::add_device(const XpDevice_t& device)
{
    if (XpAppendDeviceArrayElem(&owner_->devices_, &owner_->count_, &device) != 0) {
        error(catalogue_text(DEF_ADD_DEVICE_ERROR), true);
        return;
    }
    devices_ = owner_->devices_;
    count_ = owner_->count_;
    owner_->add_printer_cell(device.display);
}

void print_edit_ui::edit_device(const XpDevice_t& device)
{
    XpDevice_t& edited = *devices_[edited_];
    edited.alias = device.alias;
    edited.model = device.model;
    edited.driver = device.driver;
    edited.port = device.port;
    edited.file = device.file;
    XpResetDisplayString(&edited);
    owner_->modify_printer_cell(edited_, edited.display);
    if (edited_ == owner_->default_index())
        owner_->set_default_text(edited.display);
}

long print_edit_ui::dialog_term_cb(OI_d_tech* origin, void*, long)
{
    if (origin != nullptr && origin->name() == OK_BTN.c_str() && !apply_choice())
        return 0;
    return 1;
}
