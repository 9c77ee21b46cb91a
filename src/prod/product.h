// product: one installable product, built from its description file
// "{id}.prd" in the configuration directory. It names every file of the
// product, owns its Tcl interpreter, its message catalogue and its lists;
// the owning l_product (null on the -setup path) is only referred to.
#ifndef KITSETUP_PROD_PRODUCT_H
#define KITSETUP_PROD_PRODUCT_H

#include <chrono>
#include <fstream>
#include <memory>
#include <nl_types.h>
#include <string>
#include <unordered_set>
#include <vector>

#include "cmds/cmd.h"
#include "lib/descriptor.h"
#include "lib/listring.h"
#include "toolkit/oiu_callback_multiple.h"

class l_cmd;
class listream;
enum class message_kind;
class l_listring;
class l_prim_opt;
class l_proc_desc;
class l_product;
class prod_opts;
class transfer_view;
class working_view;
class log_view;
struct proc_desc_t;
struct Tcl_Interp;

// Where an installation comes from; the values are fixed.
enum media_t { MEDIA_FILESERVER = 0, MEDIA_DISTRIBUTION = 1, MEDIA_CD = 2, MEDIA_TAPE = 3 };

class product : public OIU_callback_multiple {
public:
    // Builds the product from {cfg}/{id}.prd: interpreter, lists, fields from
    // the file, "msg_" descriptions from the catalogue "{id}". A description
    // file that cannot be read cleanly ends the program (status -1) after its
    // messages.
    product(l_product* list, const listring& id);
    ~product() override;
    product(const product&) = delete;
    product& operator=(const product&) = delete;

    // Reads the description file into the fields, reporting each bad line.
    // 0 when every line was good, 1 when the file cannot be opened, -1 when
    // a line was bad. Sets the identifier to code followed by version code.
    int parse_config();

    // Switches on the flag that key names when value is a true flag; a false
    // value leaves it. 0, or -1 after DEF_BAD_FLAG for an invalid value; a
    // key that names no flag changes nothing and also gives -1.
    int set_flag(const listring& value, const listring& key, const listring& file);

    // Second stage, when the product is first chosen: reads the command
    // templates, the primary options and the subset tree, in that order.
    // 0, or -1 at the first file that fails (its messages shown); an
    // earlier initialisation's objects are replaced.
    int initialise();

    // True when the installed-product data file exists: the product is
    // installed on this machine.
    liboolean was_installed() const;
    // Reads the data file into the target, the node-installation flag and
    // the installed option ids. 0, or -1 after the message of each bad
    // entry or of an unopenable file.
    int parse_data_file();
    // Reads the data file for a removal or a check of the installed files:
    // 0 when it reads cleanly and names an absolute target other than "/",
    // else -1 after DEF_NO_RECORD_OF_INSTALL.
    int read_installed_record();
    // Records this installation in the data file, creating /opt/tarnu when
    // needed: the target, the node-installation line for file-server media,
    // and the installed option ids followed by the newly selected top-level
    // subsets. 0, or -1 after a message.
    int write_data_file();
    // Starts an installation from what the dialogs left in the command
    // templates (source, target, tape host, remote or local), the media, the
    // distribution-server flag and the selected subsets: sets the scripts'
    // variables and the target, then builds and starts the command sequence,
    // whose end records and reports the installation. With file-server
    // media or nothing selected nothing is copied: the records (file server
    // only) and the installation scripts follow at once. 0 when the
    // sequence was started, the scripts' result on the path without one,
    // -1 after a message (nothing runs then).
    int install();
    // Runs the product's user set-up script {cfg}/{id}.set with PRODUCT and
    // TARGET set: the script's result, or -1 after a message when there is
    // no script or no record of an installation.
    int setup_user();

    // ---- Installed records and removal ----------------------------------

    // Deletes the data file, then the file-set log, where they exist, and
    // clears files_installed. 0, or -1 after the message of a failed
    // deletion.
    int remove_installed_data_files();
    // Opens the file-set log for reading by the removal: 0, or -1 after
    // DEF_CANT_OPEN_FILE. close_fileset closes it: 0, or -1.
    int open_fileset();
    int close_fileset();
    // The next line of the open file-set log into line: false at its end.
    // fileset_line() counts the lines read, for the messages.
    liboolean read_fileset_line(std::string& line);
    int fileset_line() const { return fileset_line_; }
    // Empties the installed option ids, the directories to delete and the
    // extra files; clears continue_backup, have_extra_files and
    // have_backup_dir.
    void reset();
    // Starts removing the installed product: reads the records, asks about
    // backups when ask_backup, shows the working dialog and arms the
    // removal timer. 0 when a removal (or a removal of the records alone)
    // was started, -1 after a message.
    int setup_deinstall(liboolean ask_backup);
    // The removal's timer routine: removes a batch of the file-set log's
    // entries and arms itself again until the log is done. Always 1.
    long remove_installed_files(OI_d_tech* origin, void* argument, long value);
    // The working dialog's stop action during a removal: cancels the timer,
    // closes the file-set log and takes the working dialog down. 1.
    long stop_deinstall(OI_d_tech* origin, void* argument, long value);
    // Asks for the backup directory (proposing $HOME/{id}.bak) and starts
    // MODS.LST there. 0, or -1 when none was chosen (backups then stop).
    int set_backup_dir();
    // Moves target/relative_path to the same place under the backup
    // directory and lists it in MODS.LST. 0, or -1 after its question.
    int backup_file(const listring& relative_path);
    // Cuts the target and then one "/" from the front of path.
    void remove_target(listring& path) const;

    // Asks for a directory, proposing dir: true with dir the one chosen,
    // false when the user cancelled. Set by the dialogs above this layer;
    // without one the proposal is taken.
    using directory_prompt = liboolean (*)(listring& dir, const listring& prompt);
    static void set_directory_prompt(directory_prompt prompt) { directory_prompt_ = prompt; }

    // The product's scripts; each answers the script's result (-1 failed,
    // 0 go on, 1 stop, 2 bypass), or -1 after a message when a script the
    // product's flags name is missing.
    // Before an installation, with "PRODUCT" and "TARGET" set.
    int execute_preinstall();
    // Before a removal, when the product has such a script (else 0).
    int execute_predeinstall();
    // After an installation: the subsets' scripts (every subset's for a
    // node installation or when none was selected, else the selected
    // ones'), then the product's own with "CREATEDIST" set.
    int execute_all_install_scripts();
    // After a removal, with "MEDIA" and "PRODUCT" set: the scripts of the
    // recorded options in record order, then the product's own.
    int execute_all_deinstall_scripts();

    // ---- Running children -----------------------------------------------

    // Appends proc (not owned): 0, or -1 after the list's message.
    int add_child_proc(proc_desc_t* proc);
    // Removes the first entry with proc's pid and pipes: its result, 0 when
    // none matches.
    int delete_child_proc(proc_desc_t* proc);
    void delete_all_child_procs();
    // Closes both pipes of every entry (the streams stay allocated).
    void close_child_pipes();

    // Percentage of the installation done, 0 to 100; any other value shows
    // DEF_BAD_PERCENTAGE_VALUE and keeps the old one.
    float percentage_installed() const { return percentage_installed_; }
    void percentage_installed(float value);

    // The main window's dialogs through the product list; null without
    // one (text mode, -setup, unit tests without fakes).
    transfer_view* transfer() const;
    working_view* working() const;
    log_view* log() const;

    const listring& code() const { return code_; }
    const listring& version_code() const { return version_code_; }
    const listring& id() const { return id_; }
    const listring& description() const { return description_; }
    const listring& short_description() const { return short_description_; }
    const listring& bitmap() const { return bitmap_; }
    liboolean needs_install() const { return needs_install_; }
    liboolean needs_preinstall() const { return needs_preinstall_; }
    liboolean needs_deinstall() const { return needs_deinstall_; }
    liboolean needs_predeinstall() const { return needs_predeinstall_; }
    liboolean node_installation() const { return node_installation_; }
    liboolean has_primary_options() const { return has_primary_options_; }
    liboolean initialised() const { return initialised_; }
    liboolean selected() const { return selected_; }
    void select(liboolean on) { selected_ = on; }
    liboolean create_dist_server() const { return create_dist_server_; }
    void set_create_dist_server(liboolean on) { create_dist_server_ = on; }
    const listring& target() const { return target_; }
    void set_target(const listring& target) { target_ = target; }
    media_t media() const { return media_; }
    void set_media(media_t media) { media_ = media; }
    liboolean new_installation() const { return new_installation_; }
    void set_new_installation(liboolean on) { new_installation_ = on; }
    liboolean files_installed() const { return files_installed_; }
    void set_files_installed(liboolean on) { files_installed_ = on; }
    liboolean continue_backup() const { return continue_backup_; }
    void set_continue_backup(liboolean on) { continue_backup_ = on; }
    liboolean removing() const { return removing_; }
    // The product's own interpreter, made when first asked for: most
    // products of a long list never run a script in a session. Null when it
    // could not be made (after a message, shown once).
    Tcl_Interp* interpreter() const;
    nl_catd catalogue() const { return catalogue_; }
    l_product* product_list() const { return product_list_; }
    l_proc_desc* child_procs() const { return child_procs_.get(); }
    l_listring* installed_option_ids() const { return installed_option_ids_.get(); }
    l_listring* installed_product_ids() const { return installed_product_ids_.get(); }
    // What initialise() builds; null before.
    l_cmd* cmd_templates() const { return cmd_templates_.get(); }
    // The template of one kind, through the list's checked lookup; only
    // for an initialised product.
    cmd* cmd_templates(cmd_t kind) const;
    l_prim_opt* primary_opts() const { return primary_opts_.get(); }
    prod_opts* install_opts() const { return install_opts_.get(); }

    // The three paths fixed at construction from the identifier passed in.
    const listring& description_file() const { return description_file_; }
    const listring& fileset_path() const { return fileset_path_; }
    const listring& data_path() const { return data_path_; }

    // The other files, named after the identifier read from the file:
    // {cfg}/{KARCH}/{id}cmd.cfg, {cfg}/{id}ins.cfg, {cfg}/{id}prd.cfg.
    listring command_file() const;
    listring option_file() const;
    listring subset_file() const;
    // Scripts {cfg}/{id}pre.ins, {id}pre.del, {id}.ins, {id}.del, {id}.set.
    listring preinstall_script() const;
    listring predeinstall_script() const;
    listring install_script() const;
    listring deinstall_script() const;
    listring setup_script() const;
    // {help}/{id}rel.hlp, the help file that holds the release notes.
    listring release_notes_file() const;

    // Files named after a subset: {cfg}/{name}.cfg (its nested option tree)
    // and its scripts {cfg}/{name}.ins, {cfg}/{name}.del.
    static listring subset_options_file(const listring& name);
    static listring subset_install_script(const listring& name);
    static listring subset_deinstall_script(const listring& name);
    // {cfg}/ + stem + suffix + extension, as "kps30prd.cfg".
    static listring config_file_name(const listring& stem, const listring& suffix,
                                     const listring& extension);

private:
    // Applies one recognised key's value; -1 when the value fails its check.
    int apply_entry(const listring& key, const listring& value, int line_number);
    // Replaces "msg_" descriptions with texts of the product's catalogue.
    void resolve_catalogue_texts();
    // Deletes what initialise() built.
    void discard_initialisation();
    // initialise() unless done already: 0 or -1.
    int initialise_if_needed();
    // The scripts' variables for an installation, from the templates.
    void set_install_variables();
    // "Preparing to install ..." with the gauge at 0, and the log's lines.
    void show_install_start();
    // Records a node installation and runs the installation scripts: their
    // result, or -1 when the record cannot be written.
    int install_without_copying();
    // Runs script after checking that it exists: its result, or -1.
    int run_product_script(const listring& script);
    // Applies one entry of the data file; the key's value is read from data.
    int apply_data_entry(listream& data, const listring& key, int entry);

    // What one piece of removal work led to: go on with the batch, end
    // the batch (a question was asked: the next tick goes on), or the
    // removal is over.
    enum class removal_step { next, asked, over };
    removal_step remove_next_entry();
    removal_step consider_directory(const listring& top);
    removal_step remove_file(const listring& path, long stamp);
    removal_step finish_fileset();
    removal_step backup_next_extra_file();
    removal_step delete_directories();
    // Ends a removal that stops short: log, list and dialog closed, timer
    // cancelled.
    void abandon_removal();
    // True when full lies inside the target, no link on its way.
    liboolean inside_target(const listring& full);
    // Shows a question with the timer held: its answer; asked_ notes it.
    liboolean ask(message_kind kind, const listring& text);
    void arm_removal_timer(unsigned long ms);
    // Appends "path text" to the log dialog.
    void log_removal(const listring& path, const listring& text);

    l_product* product_list_;
    listring description_file_;
    listring fileset_path_;
    listring data_path_;
    listring code_;
    listring version_code_;
    listring id_;
    listring description_;
    listring short_description_;
    listring bitmap_;
    listring target_;
    liboolean needs_install_ = false;
    liboolean needs_preinstall_ = false;
    liboolean needs_deinstall_ = false;
    liboolean needs_predeinstall_ = false;
    liboolean node_installation_ = false;
    liboolean has_primary_options_ = false;
    liboolean initialised_ = false;
    liboolean selected_ = false;
    liboolean create_dist_server_ = false;
    media_t media_ = MEDIA_TAPE;
    liboolean new_installation_ = false;
    liboolean files_installed_ = false;
    liboolean continue_backup_ = false;
    liboolean have_extra_files_ = false;
    liboolean have_backup_dir_ = false;
    liboolean removing_ = false;
    float percentage_installed_ = 0.0f;

    // Removal state, from setup_deinstall to its end.
    std::ifstream fileset_in_;
    int fileset_line_ = 0;
    descriptor modlist_;
    listring modlist_path_;
    listring backup_dir_;
    std::vector<listring> dirs_to_delete_;
    std::unordered_set<std::string> dirs_considered_;
    // Shared directories the user chose to keep, with everything in them.
    std::unordered_set<std::string> dirs_kept_;
    std::vector<listring> extra_files_;
    size_t next_extra_file_ = 0;
    liboolean fileset_done_ = false;
    liboolean others_installed_ = false;
    liboolean removal_cancelled_ = false;
    liboolean asked_ = false;
    std::string real_target_;
    std::string checked_directory_;
    std::unique_ptr<cmd> delete_cmd_;
    static directory_prompt directory_prompt_;
    mutable Tcl_Interp* interpreter_ = nullptr;
    mutable bool interpreter_tried_ = false;
    nl_catd catalogue_ = nullptr;
    std::unique_ptr<l_proc_desc> child_procs_;
    std::unique_ptr<l_listring> installed_option_ids_;
    std::unique_ptr<l_listring> installed_product_ids_;
    std::unique_ptr<l_cmd> cmd_templates_;
    std::unique_ptr<l_prim_opt> primary_opts_;
    std::unique_ptr<prod_opts> install_opts_;
};

// The reading of one file-set log line: a path without blanks, a time
// stamp and a mode (into mode when given), nothing after them (a carriage
// return before the newline is dropped). False when the line is not such an
// entry.
liboolean parse_fileset_line(std::string line, listring& path, long& stamp, unsigned long* mode = nullptr);
// True when a recorded path climbs out of where it starts: absolute, or
// with a ".." component.
liboolean leaves_its_directory(const listring& path);
// path with every link resolved, or "" when it cannot be resolved.
std::string real_path(const listring& path);
// True when resolved (a path with its links resolved) is real_target or
// lies below it.
liboolean resolves_inside(const std::string& real_target, const std::string& resolved);
// True when the directory holding full, its links resolved, lies inside
// real_target (the target resolved); a directory that does not resolve
// holds nothing to reach. checked remembers the last directory found
// inside, so a run of files in one directory resolves it once.
liboolean parent_inside(const std::string& real_target, const listring& full, std::string& checked);

#endif
