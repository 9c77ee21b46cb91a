// prod_opts_ui: the installation options dialog "options_dialog": medium,
// source, local or remote tape host, target, the distribution-server toggle
// and the product's options with the space they need and the space free.
// One instance, the_options_ui, owned by the main window, works on the
// product create_cb was given. What the user chose is kept in that product
// (medium, distribution flag, subsets) and its command templates, where the
// installation reads it. The dialog holds the product instead of deriving
// from its option set because the model layer cannot create dialogs, and
// one toolkit dialog serves every product anyway.
#ifndef KITSETUP_UI_PROD_OPTS_UI_H
#define KITSETUP_UI_PROD_OPTS_UI_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "lib/listring.h"
#include "toolkit/oiu_callback_multiple.h"
#include "ui/minimum_size.h"

class OI_d_tech;
class OI_dialog_box;
class OI_entry_field;
class OI_menu;
class OI_menu_cell;
class OI_scroll_menu;
class OI_static_text;
class product;

class prod_opts_ui : public OIU_callback_multiple {
public:
    prod_opts_ui() = default;
    prod_opts_ui(const prod_opts_ui&) = delete;
    prod_opts_ui& operator=(const prod_opts_ui&) = delete;

    // Prepares the dialog for chosen: finds the dialog's parts on first use
    // (a missing one ends the program), lists the product's visible subsets
    // with their sizes, selects them from their flags, shows the space
    // needed and free, and takes the CD medium, the default target and the
    // remote host from the product's templates.
    void create_cb(product& chosen);
    // Every control back to the product's defaults: local, CD, its source
    // and target defaults, the default subsets, no distribution server.
    void set_defaults();
    // Shows the dialog with the focus in the source field.
    void popup();
    // Hides it and frees the main window.
    void popdown();
    // The product the dialog works on; none ends the program.
    product* current_prod() const;

    long reset_btn_cb(OI_d_tech* origin, void* argument, long value);
    // A medium chosen: its source default and label, which controls are usable.
    long media_menu_cb(OI_d_tech* origin, void* argument, long value);
    long local_btn_cb(OI_d_tech* origin, void* argument, long value);
    long remote_btn_cb(OI_d_tech* origin, void* argument, long value);
    // On: every option selected and greyed; off: the earlier selection back.
    long create_dist_btn_cb(OI_d_tech* origin, void* argument, long value);
    // An option switched: its subset follows, a mandatory one stays on, a
    // reinstalled one asks first; the space required follows.
    long option_btn_cb(OI_d_tech* origin, void* argument, long value);
    long all_btn_cb(OI_d_tech* origin, void* argument, long value);
    // Reads the dialog into the product and its templates (before the checks).
    long ok_btn_cb(OI_d_tech* origin, void* argument, long value);
    long cancel_btn_cb(OI_d_tech* origin, void* argument, long value);
    // "ok_btn": the checks, in order; a failed one keeps the dialog up (0).
    // "cancel_btn" takes it down. Any other button keeps it up.
    long dialog_term_cb(OI_d_tech* origin, void* argument, long value);
    long help_btn_cb(OI_d_tech* origin, void* argument, long value);
    long resize_cb(OI_d_tech* origin, void* argument, long value);
    long unpin_cb(OI_d_tech* origin, void* argument, long value);
    // Each typed character: when the text so far names a directory, its
    // free space is shown. Every character is accepted.
    long target_char_check_cb(OI_d_tech* origin, void* argument, long value);
    // Return in the target field: the target is checked (a missing one may
    // be created) from the event loop, once the key's own handling is over.
    long target_check_cb(OI_d_tech* origin, void* argument, long value);
    // The check target_check_cb schedules: a missing target is reported and
    // may be created; an existing one shows its free space.
    long check_target_now(OI_d_tech* origin, void* argument, long value);

private:
    void find_parts();
    void build_option_cells();
    // The option cells of the subsets, the filler cell left out.
    std::vector<OI_menu_cell*> option_cells() const;
    void set_option_actions(bool bound);
    // Options are all selected and greyed while the medium is the file
    // server or a distribution server is made; the user's own selection is
    // kept meanwhile and comes back after.
    void apply_forced_selection();
    void set_dist_toggle(bool on);
    void show_space_required();
    void show_space_available(const listring& dir);
    void choose_remote(bool remote);
    // Expanded, blank-trimmed text of a field.
    listring expanded_text(const OI_entry_field* field) const;
    // The checks of OK: true when the dialog has gone on to the next one.
    bool ok_checks();
    bool source_ok() const;
    // The target exists (or was created when the user wished): true.
    bool target_exists(const listring& target);
    bool space_ok();
    bool nothing_selected_ok();
    void copy_selection_to_subsets();
    bool any_option_selected() const;
    void go_on();

    product* prod_ = nullptr;
    bool initialised_ = false;
    OI_dialog_box* dialog_ = nullptr;
    OI_entry_field* source_field_ = nullptr;
    OI_static_text* source_label_ = nullptr;
    OI_entry_field* target_field_ = nullptr;
    OI_entry_field* remote_field_ = nullptr;
    OI_menu* remote_menu_ = nullptr;
    OI_menu_cell* remote_btn_ = nullptr;
    OI_menu_cell* local_btn_ = nullptr;
    OI_scroll_menu* options_menu_ = nullptr;
    OI_menu* media_menu_ = nullptr;
    OI_menu* dist_menu_ = nullptr;
    OI_menu_cell* dist_btn_ = nullptr;
    OI_static_text* space_reqd_ = nullptr;
    OI_static_text* space_avail_ = nullptr;
    int resource_view_rows_ = 0;

    int media_ = -1;
    std::int64_t space_required_ = 0;
    listring remote_host_;
    listring source_;
    listring target_;
    // The target typed before the file server put /opt/tarnu in its place.
    listring saved_target_;
    bool local_default_ = true;
    bool remote_chosen_ = false;
    bool dist_remembered_ = false;
    bool forced_ = false;
    std::map<std::string, bool> remembered_selection_;
    minimum_size minimum_;
};

extern prod_opts_ui* the_options_ui;

#endif
