// print_edit_ui: the edit dialog "print_edit_dialog": a printer type chosen
// from the defaults file's other-devices list (or an installed printer's
// name), connected to a port ("alias") with its print command. Owned by the
// print_ui that opens it; changes go into that dialog's device array.
#ifndef KITSETUP_PRINT_PRINT_EDIT_UI_H
#define KITSETUP_PRINT_PRINT_EDIT_UI_H

#include <string>

#include "toolkit/oiu_callback_multiple.h"
#include "xp/xp.h"

class OI_d_tech;
class OI_dialog_box;
class OI_entry_field;
class OI_scroll_menu;
class print_ui;

class print_edit_ui : public OIU_callback_multiple {
public:
    explicit print_edit_ui(print_ui* owner);
    ~print_edit_ui() override;
    print_edit_ui(const print_edit_ui&) = delete;
    print_edit_ui& operator=(const print_edit_ui&) = delete;

    // Prepares the dialog for the printer at edited (-1: a new one) of the
    // main dialog's devices. Reads ports and printer types on first use; a
    // missing object ends the program.
    void create_cb(XpDevice_t** devices, int count, int default_index, int edited);
    void popup();
    void popdown();
    OI_dialog_box* dialog() const { return dialog_; }
    void add_device(const XpDevice_t& device);
    void edit_device(const XpDevice_t& device);

    long ok_btn_cb(OI_d_tech* origin, void* argument, long value);
    long cancel_btn_cb(OI_d_tech* origin, void* argument, long value);
    long alias_field_cb(OI_d_tech* origin, void* argument, long value);
    long cmd_field_cb(OI_d_tech* origin, void* argument, long value);
    long alias_menu_cb(OI_d_tech* origin, void* argument, long value);
    // "ok_btn" checks and applies the choice (0 keeps the dialog up after a
    // refusal); anything else leaves without changes.
    long dialog_term_cb(OI_d_tech* origin, void* argument, long value);

private:
    void find_objects();
    void fill_printer_menu();
    void fill_alias_menu();
    void show_port(const std::string& port);
    int port_index(const std::string& port) const;
    // The chosen printer type or installed printer, or null.
    const XpDevice_t* chosen_entry() const;
    bool is_duplicate(const XpDevice_t& installed, const std::string& label) const;
    bool apply_choice();

    print_ui* owner_;
    bool initialised_ = false;
    OI_dialog_box* dialog_ = nullptr;
    OI_scroll_menu* printer_menu_ = nullptr;
    OI_scroll_menu* alias_menu_ = nullptr;
    OI_entry_field* alias_field_ = nullptr;
    OI_entry_field* cmd_field_ = nullptr;
    XpDevice_t** devices_ = nullptr;
    int count_ = 0;
    int default_index_ = -1;
    XpDevice_t** types_ = nullptr;
    int type_count_ = 0;
    XpPort_t** ports_ = nullptr;
    int port_count_ = 0;
    int edited_ = -1;
};

extern print_edit_ui* the_print_edit_ui;

#endif
