// print_ui: the main printer dialog "main_print_dialog": the printers of the
// printer defaults file with the default marked; add, edit, delete and set
// default work on a copy in memory, written back only when the user saves
// on leaving. One object lives for one configuration run and owns the
// device array, the file's path and the edit dialog object.
#ifndef KITSETUP_PRINT_PRINT_UI_H
#define KITSETUP_PRINT_PRINT_UI_H

#include <string>

#include "lib/listring.h"
#include "toolkit/oi_lookup.h"
#include "toolkit/oiu_callback_multiple.h"
#include "xp/xp.h"

class OI_d_tech;
class OI_dialog_box;
class OI_scroll_menu;
class OI_static_text;
class print_edit_ui;

class print_ui : public OIU_callback_multiple {
public:
    // How the Help button reaches the help viewer: set by the program that
    // shows the dialogs, since the viewer link lives above this layer.
    using help_opener = void (*)(const listring& file, unsigned long context);
    static void set_help_opener(help_opener opener) { help_opener_ = opener; }

    explicit print_ui(XpDefaults_t type);
    ~print_ui() override;
    print_ui(const print_ui&) = delete;
    print_ui& operator=(const print_ui&) = delete;

    // Finds the dialog's objects and the defaults file, then reads the
    // printers (create_cb). 0 ok, -1 when an object or the file is missing.
    int initialise();
    bool initialised() const { return initialised_; }
    // Shows the dialog modally until the user leaves it; nothing when it
    // could not be prepared or after a library error in this run.
    void popup();
    void popdown();
    // Reads the printers into the list; on failure the error and the
    // advice to use kpconfig later, and the dialog stays unprepared.
    void create_cb();

    void add_printer_cell(const std::string& text);
    void modify_printer_cell(int index, const std::string& text);
    void set_default_text(const std::string& text);
    void set_devices(XpDevice_t** devices, int count);
    bool changes_made() const { return changes_made_; }
    void set_changes_made(bool flag) { changes_made_ = flag; }
    void set_cb_called(bool flag) { cb_called_ = flag; }
    int default_index() const { return default_index_; }
    OI_dialog_box* dialog() const { return dialog_; }
    // Opens the edit dialog (prepared by add or edit) and waits for it.
    void print_edit();

    long dialog_term_cb(OI_d_tech* origin, void* argument, long value);
    long add_btn_cb(OI_d_tech* origin, void* argument, long value);
    long del_btn_cb(OI_d_tech* origin, void* argument, long value);
    long edit_btn_cb(OI_d_tech* origin, void* argument, long value);
    long done_btn_cb(OI_d_tech* origin, void* argument, long value);
    long set_def_btn_cb(OI_d_tech* origin, void* argument, long value);
    long help_btn_cb(OI_d_tech* origin, void* argument, long value);
    long resize_cb(OI_d_tech* origin, void* argument, long value);
    long shutdown_app(OI_d_tech* origin, void* argument, long value);

    // The printer library's error handler: shows its reason; after an
    // error (not a warning) closes both dialogs and keeps them closed for
    // the rest of the run.
    static void print_error_handler(int code, int is_error);

private:
    bool find_objects();
    int first_selected() const;
    void show_default();
    // Writes devices, ports, settings and the default; false after the
    // first failure (reported).
    bool save();

    static help_opener help_opener_;

    OI_d_tech* root_ = nullptr;
    OI_dialog_box* dialog_ = nullptr;
    OI_scroll_menu* printer_menu_ = nullptr;
    OI_static_text* def_printer_text_ = nullptr;
    bool initialised_ = false;
    bool changes_made_ = false;
    int width_ = 0;
    int height_ = 0;
    print_edit_ui* edit_ui_ = nullptr;
    XpDevice_t** devices_ = nullptr;
    int count_ = 0;
    int default_index_ = -1;
    XpDefaults_t type_;
    char* path_ = nullptr;
    bool cb_called_ = false;

    friend class print_edit_ui;
};

// What a missing part of one of the printer dialogs does: its error box.
OI_lookup_policy missing_print_part(const OI_d_tech* dialog, const listring& part);

extern print_ui* the_main_print_ui;
// Starts true; a printer library error clears it for the rest of the run.
extern int popup_main_print_dialog;

#endif
