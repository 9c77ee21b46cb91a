#include "prod/product.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sstream>
#include <string>

#include "cmds/l_cmd.h"
#include "lib/descriptor.h"
#include "lib/l_listring.h"
#include "lib/listream.h"
#include "lib/listrstream.h"
#include "misc/l_proc_desc.h"
#include "misc/config_entries.h"
#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "misc/translate_filename.h"
#include "misc/utilities.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "prod/l_prim_opt.h"
#include "prod/l_product.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_types.h"
#include "toi/toi_init.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

namespace {

// Replaces the contents of path with text: 0, or -1 after a message with the
// error of the call that failed.
int write_whole_file(const listring& path, const std::string& text)
{
    descriptor file = open_for_writing(path, 0644);
    if (!file.valid()) {
        int open_errno = errno;
        error(format_message(DEF_CANT_OPEN_FILE, path.c_str(), std::strerror(open_errno)), true);
        return -1;
    }
    if (!file.write_all(text.data(), text.size()) || !file.close()) {
        int write_errno = errno;
        error(format_message(DEF_CANT_WRITE_FILE, path.c_str(), std::strerror(write_errno)), true);
        return -1;
    }
    return 0;
}

const unsigned PRODUCT_CODE_CHARACTERS = 3;
const unsigned VERSION_CODE_CHARACTERS = 2;

// True when text is exactly length characters, each a letter or digit (or
// only digits): the product's other files and records are named after code
// and version, so nothing else may reach a file name.
bool made_of(const listring& text, unsigned length, int (*allowed)(int))
{
    if (text.length() != length)
        return false;
    for (const char* c = text.c_str(); *c != '\0'; ++c)
        if (allowed(static_cast<unsigned char>(*c)) == 0)
            return false;
    return true;
}

// dir + "/" + name.
listring join_path(const listring& dir, const listring& name)
{
    listring path(dir);
    path += "/";
    path += name;
    return path;
}

// A product file's name: the identifier (or subset name), a suffix and an
// extension, as "kps30ins.cfg".
listring file_name(const listring& stem, const listring& suffix, const listring& extension)
{
    listring name(stem);
    name += suffix;
    name += extension;
    return name;
}

listring config_file(const listring& name)
{
    return join_path(CONFIG_FILE_DIR, name);
}

// True for the keys a description file may carry (compared as the program's
// case setting says; the parser turns it off).
liboolean is_description_key(const listring& key)
{
    const listring* keys[] = {
        &PRODUCT_CODE_STRING,           &PRODUCT_VERSION_STRING,
        &PRODUCT_DESC_STRING,           &PRODUCT_SHORT_DESC_STRING,
        &BITMAP_STRING,                 &PRODUCT_INSTALL_SCRIPT_STRING,
        &PRODUCT_PREINSTALL_SCRIPT_STRING, &PRODUCT_DEINSTALL_SCRIPT_STRING,
        &PRODUCT_PREDEINSTALL_SCRIPT_STRING,
    };
    for (const listring* known : keys)
        if (key == *known)
            return true;
    return false;
}

// True when list holds a string equal to s.
liboolean names_string(const l_listring& list, const listring& s)
{
    for (unsigned i = 0; i < list.entries(); ++i)
        if (*list.elem(i) == s)
            return true;
    return false;
}

}  // namespace

product::product(l_product* list, const listring& id)
    : product_list_(list),
      child_procs_(std::make_unique<l_proc_desc>()),
      installed_option_ids_(std::make_unique<l_listring>()),
      installed_product_ids_(std::make_unique<l_listring>())
{
    // Without the catalogue the user may choose to stop here.
    if (!open_installer_catalogue())
        end_program(0);

    listring prd_name(id);
    prd_name += PRODUCT_FILE_EXTENSION;
    description_file_ = config_file(prd_name);
    listring hidden_name(".");
    hidden_name += id;
    listring fileset_name(hidden_name);
    fileset_name += FILESET_LOG_EXTENSION;
    fileset_path_ = join_path(TARNU_DIR, fileset_name);
    listring data_name(hidden_name);
    data_name += DATA_LOG_EXTENSION;
    data_path_ = join_path(TARNU_DIR, data_name);

    // Making the interpreter here used to leave comparisons ignoring case;
    // code that makes a product may still count on that.
    listring::case_sensitive_off();

    if (parse_config() != 0) {
        error(format_message(DEF_PARSER_FAILURE, description_file_.c_str()), true);
        end_program(-1);
    }

    catalogue_ = unix_catopen(id_, NL_CAT_LOCALE);
    resolve_catalogue_texts();
}

// One interpreter per product keeps one product's script variables away
// from every other's. Made later than the product, it leaves the case
// setting of the moment as it was.
Tcl_Interp* product::interpreter() const
{
    if (!interpreter_tried_) {
        interpreter_tried_ = true;
        case_insensitive_section as_scripts_expect;
        interpreter_ = create_interpreter();
    }
    return interpreter_;
}

// The interpreter lives until the program ends, as every interpreter does.
product::~product()
{
    OI_delete_timeout(OI_callback(this, &product::remove_installed_files, nullptr));
    // The delete command still listens to a child of the list below.
    delete_cmd_.reset();
    discard_initialisation();
    delete_all_child_procs();
    unix_catclose(catalogue_);
    // The identifier lists never free their strings themselves.
    installed_option_ids_->delete_all();
    installed_product_ids_->delete_all();
}

// Each entry is a key up to a colon or the end of its line, then for a known
// key the rest of the line as its value. A known key without a colon takes
// the next line as its value, so the line count then runs one behind, as it
// always has for product authors reading the messages.
int product::parse_config()
{
    errno = 0;
    listream stream(description_file_);
    if (!stream.is_open()) {
        int open_errno = errno;
        error(format_message(DEF_CANT_OPEN_FILE, description_file_.c_str(), std::strerror(open_errno)),
              true);
        return 1;
    }

    case_insensitive_section ignore_case;
    bool code_seen = false;
    bool version_seen = false;
    int status = read_config_entries(
        stream, description_file_, PROD_FILE_DELIMITERS, is_description_key,
        [&](const listring& key, const listring& value, int line) {
            code_seen = code_seen || key == PRODUCT_CODE_STRING;
            version_seen = version_seen || key == PRODUCT_VERSION_STRING;
            return apply_entry(key, value, line);
        });

    // Without both, the identifier would be short and the product's other
    // files would be looked up under a wrong name.
    if (!code_seen) {
        error(format_message(DEF_NO_PRODUCT_CODE, description_file_.c_str()), true);
        status = -1;
    }
    if (!version_seen) {
        error(format_message(DEF_NO_VERSION_CODE, description_file_.c_str()), true);
        status = -1;
    }
    id_ = code_;
    id_ += version_code_;
    return status;
}

// Stores value in the field that key names and checks code and version.
int product::apply_entry(const listring& key, const listring& value, int line_number)
{
    const char* file = description_file_.c_str();
    if (key == PRODUCT_CODE_STRING) {
        code_ = value;
        if (made_of(value, PRODUCT_CODE_CHARACTERS, [](int c) { return std::isalnum(c); }))
            return 0;
        error(format_message(DEF_BAD_PRODUCT_CODE, file, value.c_str(), line_number), true);
        return -1;
    }
    if (key == PRODUCT_VERSION_STRING) {
        version_code_ = value;
        if (!valid_integer(value)) {
            error(format_message(DEF_VERSION_NOT_INTEGER, file, value.c_str(), line_number), true);
            // The conversion adds its own message, as it always has.
            string_to_integer(value);
            return -1;
        }
        // Two digits, 00 to 99: "3x" reads as 3 but would name other files.
        if (made_of(value, VERSION_CODE_CHARACTERS, [](int c) { return std::isdigit(c); }))
            return 0;
        error(format_message(DEF_BAD_VERSION_NO, file, value.c_str(), line_number), true);
        return -1;
    }
    if (key == PRODUCT_DESC_STRING)
        description_ = value;
    else if (key == PRODUCT_SHORT_DESC_STRING)
        short_description_ = value;
    else if (key == BITMAP_STRING)
        bitmap_ = value;
    else
        return set_flag(value, key, description_file_);
    return 0;
}

int product::set_flag(const listring& value, const listring& key, const listring& file)
{
    if (!valid_flag(value)) {
        error(format_message(DEF_BAD_FLAG, file.c_str(), key.c_str()), true);
        return -1;
    }
    case_insensitive_section ignore_case;
    liboolean* flag = nullptr;
    if (key == PRODUCT_INSTALL_SCRIPT_STRING)
        flag = &needs_install_;
    else if (key == PRODUCT_PREINSTALL_SCRIPT_STRING)
        flag = &needs_preinstall_;
    else if (key == PRODUCT_DEINSTALL_SCRIPT_STRING)
        flag = &needs_deinstall_;
    else if (key == PRODUCT_PREDEINSTALL_SCRIPT_STRING)
        flag = &needs_predeinstall_;
    else if (key == INSTALLED_TYPE_STRING)
        flag = &node_installation_;
    if (flag == nullptr)
        return -1;
    // Only the file can switch a flag on; a false value never clears one.
    if (string_to_boolean(value))
        *flag = true;
    return 0;
}

void product::resolve_catalogue_texts()
{
    description_ = catalogue_reference_text(catalogue_, description_);
    short_description_ = catalogue_reference_text(catalogue_, short_description_);
}

listring product::command_file() const
{
    return l_cmd::config_file_path(architecture(), id_);
}

listring product::option_file() const
{
    return config_file(file_name(id_, INST_OPT_FILE_SUFFIX, CONFIG_FILE_EXTENSION));
}

listring product::subset_file() const
{
    return config_file(file_name(id_, PROD_OPT_FILE_SUFFIX, CONFIG_FILE_EXTENSION));
}

listring product::preinstall_script() const
{
    return config_file(file_name(id_, PREINSTALL_FILE_SUFFIX, INSTALL_SCRIPT_EXTENSION));
}

listring product::predeinstall_script() const
{
    return config_file(file_name(id_, PREDEINSTALL_FILE_SUFFIX, DEINSTALL_SCRIPT_EXTENSION));
}

listring product::install_script() const
{
    return subset_install_script(id_);
}

listring product::deinstall_script() const
{
    return subset_deinstall_script(id_);
}

listring product::setup_script() const
{
    return config_file(file_name(id_, EMPTY_STRING, SETUP_SCRIPT_EXTENSION));
}

listring product::release_notes_file() const
{
    return join_path(HELP_DIR, file_name(id_, RNOTES_SUFFIX, HELP_EXTENSION));
}

listring product::subset_options_file(const listring& name)
{
    return config_file(file_name(name, EMPTY_STRING, CONFIG_FILE_EXTENSION));
}

listring product::subset_install_script(const listring& name)
{
    return config_file(file_name(name, EMPTY_STRING, INSTALL_SCRIPT_EXTENSION));
}

listring product::subset_deinstall_script(const listring& name)
{
    return config_file(file_name(name, EMPTY_STRING, DEINSTALL_SCRIPT_EXTENSION));
}

listring product::config_file_name(const listring& stem, const listring& suffix,
                                   const listring& extension)
{
    return config_file(file_name(stem, suffix, extension));
}

cmd* product::cmd_templates(cmd_t kind) const
{
    return cmd_templates_->elem(static_cast<unsigned>(kind));
}

void product::discard_initialisation()
{
    // The options go before the command templates they use.
    install_opts_.reset();
    primary_opts_.reset();
    cmd_templates_.reset();
    initialised_ = false;
}

int product::initialise()
{
    discard_initialisation();
    cmd_templates_ = std::make_unique<l_cmd>(product_list_, this, id_);
    if (cmd_templates_->parse_config() != 0)
        return -1;
    primary_opts_ = std::make_unique<l_prim_opt>(product_list_, this, option_file(), catalogue_);
    int options = primary_opts_->parse_config();
    if (options < 0)
        return -1;
    // Without an option file the product simply has no primary options.
    has_primary_options_ = options == 0;
    install_opts_ = std::make_unique<prod_opts>(product_list_, this);
    if (install_opts_->parse_config() != 0)
        return -1;
    initialised_ = true;
    return 0;
}

liboolean product::was_installed() const
{
    return valid_file(data_path_, F_OK);
}

// The file holds "key:<tab>value;" entries; words end at ":" or ";" and are
// cleaned, so the line ends between entries disappear.
int product::parse_data_file()
{
    errno = 0;
    listream data(data_path_);
    if (!data.is_open()) {
        int open_errno = errno;
        error(format_message(DEF_CANT_OPEN_FILE, data_path_.c_str(), std::strerror(open_errno)),
              true);
        return -1;
    }
    data.set_delimiters(PROD_DATA_FILE_DELIMITERS);
    // What an earlier record said must not outlive a file that no longer
    // says it: the removal deletes below the target read here.
    target_.empty();
    node_installation_ = false;
    installed_option_ids_->delete_all();
    case_insensitive_section ignore_case;
    int status = 0;
    int entry = 0;
    listring key;
    while (data.good()) {
        data.word(&key);
        key.clean();
        if (key.is_empty())
            continue;
        ++entry;
        if (key[0u] == '#') {
            data.end_of_line();
            continue;
        }
        if (apply_data_entry(data, key, entry) != 0)
            status = -1;
    }
    if (refuse_nul_line(data, data_path_) != 0)
        status = -1;
    return status;
}

int product::apply_data_entry(listream& data, const listring& key, int entry)
{
    listring value;
    if (key == TARGET_STRING || key == INSTALLED_TYPE_STRING || key == INSTALLED_OPTIONS_STRING) {
        data.word(&value);
        value.clean();
    }
    if (key == TARGET_STRING) {
        target_ = value;
    } else if (key == INSTALLED_TYPE_STRING) {
        if (!valid_flag(value)) {
            error(format_message(DEF_BAD_FLAG, data_path_.c_str(), key.c_str()), true);
            return -1;
        }
        node_installation_ = string_to_boolean(value);
    } else if (key == INSTALLED_OPTIONS_STRING) {
        installed_option_ids_->delete_all();
        listrstream words(value);
        listring name;
        for (words >> name; !name.is_empty(); words >> name)
            if (installed_option_ids_->add(name) != 0)
                return -1;
    } else {
        error(format_message(DEF_BAD_CFG_FILE_LINE, entry, data_path_.c_str()), true);
        if (!data.is_end_of_line())
            data.end_of_line();
        return -1;
    }
    return 0;
}

int product::write_data_file()
{
    if (!valid_directory(TARNU_DIR) && create_dir(TARNU_DIR) != 0)
        return -1;
    std::ostringstream data;
    data << TARGET_STRING << ":\t" << target_ << ";\n";
    if (media_ == MEDIA_FILESERVER)
        data << INSTALLED_TYPE_STRING << ":\t" << TRUE_STRING << ";\n";
    data << INSTALLED_OPTIONS_STRING << ":\t";
    for (unsigned i = 0; i < installed_option_ids_->entries(); ++i)
        data << *installed_option_ids_->elem(i) << " ";
    const l_subset* subsets = install_opts_ == nullptr ? nullptr : install_opts_->entries();
    case_sensitive_section exact;
    for (unsigned i = 0; subsets != nullptr && i < subsets->entries(); ++i) {
        const subset* option = subsets->elem(i);
        if (option->is_selected() && !names_string(*installed_option_ids_, option->name()))
            data << option->name() << " ";
    }
    data << ";\n";
    return write_whole_file(data_path_, data.str());
}

int product::setup_user()
{
    listring script = setup_script();
    if (!valid_file(script, F_OK)) {
        error(format_message(DEF_SCRIPT_DOES_NOT_EXIST, script.c_str()), true);
        return -1;
    }
    set_variable(interpreter(), PRODUCT_VAR_STRING, description_);
    // A product never installed here has no data file, and one without a
    // target has no usable record: one message says so.
    if (!was_installed() || parse_data_file() != 0 || target_.is_empty()) {
        error(format_message(DEF_NO_RECORD_OF_INSTALL, description_.c_str()), true);
        return -1;
    }
    set_variable(interpreter(), TARGET_VAR_STRING, target_);
    return evaluate_file(interpreter(), script);
}

namespace {

// The name a script sees in "MEDIA" for media.
const listring& media_name(media_t media)
{
    switch (media) {
    case MEDIA_FILESERVER:
        return FILESERVER_STRING;
    case MEDIA_DISTRIBUTION:
        return DISTRIBUTION_STRING;
    case MEDIA_CD:
        return CD_STRING;
    case MEDIA_TAPE:
        break;
    }
    return TAPE_STRING;
}

}  // namespace

int product::initialise_if_needed()
{
    return initialised_ ? 0 : initialise();
}

int product::run_product_script(const listring& script)
{
    if (!valid_file(script, F_OK)) {
        error(format_message(DEF_SCRIPT_DOES_NOT_EXIST, script.c_str()), true);
        return -1;
    }
    return evaluate_file(interpreter(), script);
}

int product::execute_preinstall()
{
    set_variable(interpreter(), PRODUCT_VAR_STRING, description_);
    set_variable(interpreter(), TARGET_VAR_STRING, target_);
    return run_product_script(preinstall_script());
}

int product::execute_predeinstall()
{
    if (!needs_predeinstall_)
        return 0;
    set_variable(interpreter(), PRODUCT_VAR_STRING, description_);
    set_variable(interpreter(), TARGET_VAR_STRING, target_);
    return run_product_script(predeinstall_script());
}

// A node installation copied nothing, so every subset's script runs, as
// when nothing was selected; otherwise only the selected subsets' scripts.
int product::execute_all_install_scripts()
{
    if (initialise_if_needed() != 0)
        return -1;
    l_subset* subsets = install_opts_->entries();
    unsigned count = subsets == nullptr ? 0 : subsets->entries();
    liboolean any_selected = false;
    for (unsigned i = 0; i < count; ++i)
        any_selected = any_selected || subsets->elem(i)->is_selected();
    for (unsigned i = 0; i < count; ++i) {
        subset* option = subsets->elem(i);
        if (!option->needs_install())
            continue;
        if (media_ != MEDIA_FILESERVER && any_selected && !option->is_selected())
            continue;
        int result = option->execute_install();
        if (result != 0)
            return result;
    }
    if (!needs_install_)
        return 0;
    set_variable(interpreter(), CREATEDIST_VAR_STRING,
                 create_dist_server_ ? TRUE_STRING : FALSE_STRING);
    return run_product_script(install_script());
}

int product::execute_all_deinstall_scripts()
{
    if (initialise_if_needed() != 0)
        return -1;
    set_variable(interpreter(), MEDIA_VAR_STRING, media_name(media_));
    set_variable(interpreter(), PRODUCT_VAR_STRING, description_);
    for (unsigned i = 0; i < installed_option_ids_->entries(); ++i) {
        subset* option = install_opts_->elem(*installed_option_ids_->elem(i));
        if (option == nullptr || !option->needs_deinstall())
            continue;
        int result = option->execute_deinstall();
        if (result != 0)
            return result;
    }
    if (!needs_deinstall_)
        return 0;
    return run_product_script(deinstall_script());
}

// A node installation runs the product where the file server holds it, so
// its scripts see that directory as the target.
void product::set_install_variables()
{
    const listring& source = cmd_templates(CMD_EXTRACT)->input();
    const listring& target = cmd_templates(CMD_EXTRACT)->output();
    set_variable(interpreter(), TARGET_VAR_STRING, media_ == MEDIA_FILESERVER ? source : target);
    set_variable(interpreter(), MEDIA_VAR_STRING, media_name(media_));
    set_variable(interpreter(), PRODUCT_VAR_STRING, description_);
    set_variable(interpreter(), SOURCE_VAR_STRING, source);
    set_variable(interpreter(), HOST_VAR_STRING, cmd_templates(CMD_REMOTE)->host());
}

void product::show_install_start()
{
    listring preparing(catalogue_text(DEF_BEGIN_EXTRACT));
    if (transfer() != nullptr) {
        transfer()->set_current_prod(this);
        if (transfer()->is_displayed())
            transfer()->status(preparing);
        else
            transfer()->popup(preparing);
        transfer()->gauge(0);
    }
    percentage_installed(0.0f);
    listring now;
    current_time(now);
    log_text(this, now, false);
    log_text(this, format_message(DEF_INSTALLING, description_.c_str()), false);
}

int product::install()
{
    if (initialise_if_needed() != 0)
        return -1;
    listring target = cmd_templates(CMD_EXTRACT)->output();
    if (!recordable_path(target)) {
        error(format_message(DEF_TARGET_NOT_RECORDABLE, target.c_str()), true);
        return -1;
    }
    set_install_variables();
    show_install_start();
    new_installation_ = true;
    // Only files this installation records may lead to removing it.
    files_installed_ = false;
    target_ = cmd_templates(CMD_EXTRACT)->output();
    target_.clean();

    l_subset* subsets = install_opts_->entries();
    liboolean any_selected = false;
    for (unsigned i = 0; subsets != nullptr && i < subsets->entries(); ++i)
        any_selected = any_selected || subsets->elem(i)->is_selected();
    if (media_ != MEDIA_FILESERVER && any_selected)
        return install_opts_->install();
    return install_without_copying();
}

// Nothing to copy: a node installation, or nothing chosen.
int product::install_without_copying()
{
    if (media_ == MEDIA_FILESERVER && !create_dist_server_ && write_data_file() != 0)
        return -1;
    if (transfer() != nullptr)
        transfer()->popdown();
    int scripts = execute_all_install_scripts();
    if (scripts != -1 && scripts != 1)
        information(format_message(DEF_INSTALL_COMPLETE, description_.c_str()), true);
    return scripts;
}

// The list owns the records from here on: removing one closes what is
// still open of its pipes and frees it.
int product::add_child_proc(proc_desc_t* proc)
{
    return child_procs_->add(proc);
}

namespace {

// Stops watching stream's descriptor and closes it; null stays null.
void close_child_stream(FILE*& stream)
{
    if (stream == nullptr)
        return;
    OI_io_dispatch_remove(fileno(stream), OI_READABLE);
    std::fclose(stream);
    stream = nullptr;
}

int stream_fd(const FILE* stream)
{
    return stream == nullptr ? -1 : fileno(const_cast<FILE*>(stream));
}

}  // namespace

int product::delete_child_proc(proc_desc_t* proc)
{
    for (unsigned i = 0; i < child_procs_->entries(); ++i) {
        proc_desc_t* entry = child_procs_->elem(i);
        if (entry != proc && (entry->pid != proc->pid || stream_fd(entry->out) != stream_fd(proc->out) ||
                              stream_fd(entry->err) != stream_fd(proc->err)))
            continue;
        int result = child_procs_->remove(i);
        close_child_stream(entry->out);
        close_child_stream(entry->err);
        delete entry;
        return result;
    }
    return 0;
}

void product::delete_all_child_procs()
{
    close_child_pipes();
    for (unsigned i = 0; i < child_procs_->entries(); ++i)
        delete child_procs_->elem(i);
    child_procs_->empty();
}

void product::close_child_pipes()
{
    for (unsigned i = 0; i < child_procs_->entries(); ++i) {
        proc_desc_t* entry = child_procs_->elem(i);
        close_child_stream(entry->out);
        close_child_stream(entry->err);
    }
}

void product::percentage_installed(float value)
{
    if (value < 0.0f || value > 100.0f) {
        error(catalogue_text(DEF_BAD_PERCENTAGE_VALUE), true);
        return;
    }
    percentage_installed_ = value;
}

transfer_view* product::transfer() const
{
    return product_list_ == nullptr ? nullptr : product_list_->transfer();
}

working_view* product::working() const
{
    return product_list_ == nullptr ? nullptr : product_list_->working();
}

log_view* product::log() const
{
    return product_list_ == nullptr ? nullptr : product_list_->log();
}

int product::remove_installed_data_files()
{
    int status = 0;
    for (const listring* record : {&data_path_, &fileset_path_})
        if (valid_file(*record, F_OK) && unix_unlink(*record) != 0)
            status = -1;
    files_installed_ = false;
    return status;
}

// ---- Removal ------------------------------------------------------------------

product::directory_prompt product::directory_prompt_ = nullptr;

namespace {

// The first tick comes after the working dialog is up; a batch works this
// long and then lets the event loop run (the stop button, the animation)
// before the next, which follows at once.
const unsigned long REMOVAL_TICK_MS = 50;
const unsigned long REMOVAL_YIELD_MS = 1;
const std::chrono::milliseconds REMOVAL_BATCH{20};

}  // namespace

std::string real_path(const listring& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::string();
    std::string result(resolved);
    std::free(resolved);
    return result;
}

liboolean resolves_inside(const std::string& real_target, const std::string& resolved)
{
    return !real_target.empty() && resolved.compare(0, real_target.size(), real_target) == 0 &&
           (resolved.size() == real_target.size() || resolved[real_target.size()] == '/');
}

liboolean parent_inside(const std::string& real_target, const listring& full, std::string& checked)
{
    listring parent;
    get_path(full, parent);
    std::string resolved = real_path(parent);
    if (resolved.empty() || resolved == checked)
        return true;
    if (!resolves_inside(real_target, resolved))
        return false;
    checked = resolved;
    return true;
}

liboolean leaves_its_directory(const listring& path)
{
    if (path.is_empty() || path[0u] == '/')
        return true;
    std::string text(path.c_str());
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(start, end - start, "..") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

liboolean parse_fileset_line(std::string line, listring& path, long& stamp, unsigned long* mode)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.find('\0') != std::string::npos)
        return false;
    std::istringstream fields(line);
    std::string name, rest;
    unsigned long recorded_mode = 0;
    if (!(fields >> name >> stamp >> recorded_mode) || (fields >> rest))
        return false;
    path = name.c_str();
    if (mode != nullptr)
        *mode = recorded_mode;
    return true;
}

void product::reset()
{
    installed_option_ids_->delete_all();
    dirs_to_delete_.clear();
    dirs_considered_.clear();
    dirs_kept_.clear();
    extra_files_.clear();
    next_extra_file_ = 0;
    continue_backup_ = false;
    have_extra_files_ = false;
    have_backup_dir_ = false;
}

int product::open_fileset()
{
    fileset_in_.close();
    fileset_in_.clear();
    errno = 0;
    fileset_in_.open(fileset_path_.c_str(), std::ios::in | std::ios::binary);
    if (!fileset_in_.is_open()) {
        int open_errno = errno;
        error(format_message(DEF_CANT_OPEN_FILE, fileset_path_.c_str(), std::strerror(open_errno)), true);
        return -1;
    }
    fileset_line_ = 0;
    return 0;
}

liboolean product::read_fileset_line(std::string& line)
{
    if (!std::getline(fileset_in_, line))
        return false;
    ++fileset_line_;
    return true;
}

int product::close_fileset()
{
    if (fileset_in_.is_open())
        fileset_in_.close();
    return 0;
}

void product::remove_target(listring& path) const
{
    if (!target_.is_empty() && std::strncmp(path.c_str(), target_.c_str(), target_.length()) == 0)
        path.rest_of_string(static_cast<int>(target_.length()));
    if (!path.is_empty() && path[0u] == '/')
        path.rest_of_string(1);
}

liboolean product::ask(message_kind kind, const listring& text)
{
    asked_ = true;
    switch (kind) {
    case message_kind::warning:
        return warning(text, true);
    case message_kind::confirm:
        return confirm(text, true);
    default:
        error(text, true);
        return false;
    }
}

void product::log_removal(const listring& path, const listring& text)
{
    listring line(path);
    line += " ";
    line += text;
    log_text(this, line, false);
}

void product::arm_removal_timer(unsigned long ms)
{
    OI_add_timeout(ms, OI_callback(this, &product::remove_installed_files, nullptr));
}

// The target must be an absolute directory other than "/": the removal
// deletes below it and nowhere else.
int product::read_installed_record()
{
    if (parse_data_file() != 0 || target_.is_empty() || target_[0u] != '/' || target_ == "/") {
        error(format_message(DEF_NO_RECORD_OF_INSTALL, description_.c_str()), true);
        return -1;
    }
    return 0;
}

int product::setup_deinstall(liboolean ask_backup)
{
    reset();
    if (read_installed_record() != 0)
        return -1;
    if (node_installation_) {
        if (initialise_if_needed() != 0)
            return -1;
        remove_installed_data_files();
        int scripts = execute_all_deinstall_scripts();
        if (scripts != -1 && scripts != 1)
            information(format_message(DEF_DEINSTALL_COMPLETE, description_.c_str()), true);
        return 0;
    }
    if (new_installation_ && !files_installed_) {
        remove_installed_data_files();
        return 0;
    }
    if (!was_installed()) {
        error(format_message(DEF_NO_DATA_FILES, data_path_.c_str(), fileset_path_.c_str()), true);
        return -1;
    }
    if ((!initialised_ && initialise() != 0) || open_fileset() != 0)
        return -1;
    if (fileset_in_.peek() == std::ifstream::traits_type::eof()) {
        close_fileset();
        remove_installed_data_files();
        return 0;
    }
    if (ask_backup && confirm(format_message(DEF_BACKUP_PROMPT, description_.c_str()), true))
        continue_backup_ = true;
    listring deinstalling = format_message(DEF_DEINSTALLING, description_.c_str());
    if (working() != nullptr) {
        working()->set_stop_action(OI_callback(this, &product::stop_deinstall, nullptr));
        working()->popup(deinstalling);
    }
    listring now;
    current_time(now);
    log_text(this, now, false);
    log_text(this, deinstalling, false);
    delete_all_child_procs();

    unsigned installed = 0;
    for (unsigned i = 0; product_list_ != nullptr && i < product_list_->entries(); ++i)
        installed += product_list_->elem(i)->was_installed() ? 1 : 0;
    // This product counts as configured even when no list holds it.
    l_listring configured;
    configured.add(id_);
    for (unsigned i = 0; product_list_ != nullptr && i < product_list_->entries(); ++i)
        configured.add(product_list_->elem(i)->id());
    others_installed_ = installed > 1 || installed_prod_noconf(&configured, target_);
    configured.delete_all();
    real_target_ = real_path(target_);
    checked_directory_.clear();
    fileset_done_ = false;
    removal_cancelled_ = false;
    removing_ = false;
    arm_removal_timer(REMOVAL_TICK_MS);
    return 0;
}

// Works through the log in batches of about REMOVAL_BATCH; a question ends
// the batch after the entry that asked it, as a tick of one entry would.
long product::remove_installed_files(OI_d_tech*, void*, long)
{
    if (removing_)
        return 1;
    removing_ = true;
    asked_ = false;
    if (working() != nullptr)
        working()->next_icon();
    auto deadline = std::chrono::steady_clock::now() + REMOVAL_BATCH;
    removal_step step = removal_step::next;
    while (step == removal_step::next && !removal_cancelled_) {
        if (!fileset_done_)
            step = remove_next_entry();
        else if (continue_backup_ && next_extra_file_ < extra_files_.size())
            step = backup_next_extra_file();
        else
            step = delete_directories();
        if (step == removal_step::next && std::chrono::steady_clock::now() >= deadline)
            break;
        if (step == removal_step::next && asked_)
            step = removal_step::asked;
    }
    removing_ = false;
    if (step != removal_step::over && !removal_cancelled_)
        arm_removal_timer(step == removal_step::asked ? REMOVAL_TICK_MS : REMOVAL_YIELD_MS);
    return 1;
}

product::removal_step product::remove_next_entry()
{
    std::string line;
    if (!read_fileset_line(line))
        return finish_fileset();
    if (line.empty() || line == "\r")
        return removal_step::next;
    listring path;
    long stamp = 0;
    if (!parse_fileset_line(line, path, stamp)) {
        ask(message_kind::error, format_message(DEF_BAD_FILESET_ENTRY, fileset_line_, fileset_path_.c_str()));
        return removal_step::asked;
    }
    if (leaves_its_directory(path)) {
        ask(message_kind::error,
            format_message(DEF_FILESET_PATH_OUTSIDE, fileset_line_, fileset_path_.c_str(), path.c_str()));
        return removal_step::asked;
    }
    listring top;
    get_toplevel_dir(path, top);
    if (consider_directory(top) == removal_step::over || removal_cancelled_)
        return removal_step::over;
    if (top == "install" || !continue_backup_ || dirs_kept_.count(top.c_str()) != 0)
        return removal_step::next;
    return remove_file(path, stamp);
}

// Shared top-level directories go only when the user agrees; ".", ".."
// and the installer's own "install" never go.
product::removal_step product::consider_directory(const listring& top)
{
    if (top.is_empty() || !dirs_considered_.insert(top.c_str()).second)
        return removal_step::next;
    liboolean shared = top == COMMON_DIR1 || top == BIN_DIR1 || top == COMMON_DIR2 || top == BIN_DIR2;
    if (others_installed_ && shared &&
        !ask(message_kind::confirm, format_message(DEF_DELETE_COMMON_QUERY, top.c_str()))) {
        // Its files may be another product's too: none of them goes.
        dirs_kept_.insert(top.c_str());
        return removal_step::next;
    }
    if (removal_cancelled_)
        return removal_step::over;
    if (top == CWD || top == UPDIR || top == "install")
        return removal_step::next;
    dirs_to_delete_.push_back(join_directory(target_, top));
    return removal_step::next;
}

liboolean product::inside_target(const listring& full)
{
    return parent_inside(real_target_, full, checked_directory_);
}

// An unchanged file goes, a changed one is backed up, a directory stays for
// the final deletion; anything missing means the tree is not what was
// installed.
product::removal_step product::remove_file(const listring& path, long stamp)
{
    listring full = join_directory(target_, path);
    if (!inside_target(full)) {
        ask(message_kind::error,
            format_message(DEF_FILESET_PATH_OUTSIDE, fileset_line_, fileset_path_.c_str(), path.c_str()));
        return removal_step::asked;
    }
    struct stat info;
    liboolean exists = stat(full.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
        return removal_step::next;
    if (!exists) {
        if (is_link(full)) {
            unix_unlink(full);
            return removal_step::next;
        }
        if (!ask(message_kind::warning, catalogue_text(DEF_UNEXPECTED_FILES))) {
            abandon_removal();
            return removal_step::over;
        }
        continue_backup_ = false;
        return removal_step::asked;
    }
    if (static_cast<long>(info.st_mtime) == stamp) {
        if (unlink(full.c_str()) == 0) {
            log_removal(full, catalogue_text(DEF_DELETED));
            return removal_step::next;
        }
        int unlink_errno = errno;
        error(format_message(DEF_UNLINK_ERROR, full.c_str(), std::strerror(unlink_errno)), true);
        if (!ask(message_kind::confirm, catalogue_text(DEF_CONTINUE_BACKUP)))
            continue_backup_ = false;
        return removal_step::asked;
    }
    if (!have_backup_dir_)
        set_backup_dir();
    if (continue_backup_)
        backup_file(path);
    return removal_step::next;
}

// The log is done: what is left in the directories that go was added after
// the installation, and is backed up before they are deleted.
product::removal_step product::finish_fileset()
{
    close_fileset();
    fileset_done_ = true;
    if (!continue_backup_ || have_extra_files_)
        return removal_step::next;
    for (const listring& dir : dirs_to_delete_) {
        if (!valid_directory(dir) || is_link(dir))
            continue;
        l_listring found;
        int listed = get_files_in_dir(dir, found, true);
        for (unsigned i = 0; i < found.entries(); ++i)
            extra_files_.push_back(*found.elem(i));
        found.delete_all();
        if (listed != 0 && !ask(message_kind::warning, catalogue_text(DEF_CONTINUE_BACKUP))) {
            continue_backup_ = false;
            break;
        }
    }
    have_extra_files_ = true;
    return removal_step::next;
}

product::removal_step product::backup_next_extra_file()
{
    listring relative(extra_files_[next_extra_file_++]);
    remove_target(relative);
    if (relative.is_empty())
        return removal_step::next;
    if (!have_backup_dir_)
        set_backup_dir();
    if (continue_backup_)
        backup_file(relative);
    return removal_step::next;
}

// The last step: one delete command for every directory that goes; its
// end removes the records and reports.
product::removal_step product::delete_directories()
{
    OI_delete_timeout(OI_callback(this, &product::remove_installed_files, nullptr));
    if (working() != nullptr)
        working()->set_stop_action(OI_callback());
    modlist_.close();
    dirs_considered_.clear();
    if (dirs_to_delete_.empty()) {
        remove_installed_data_files();
        if (working() != nullptr)
            working()->popdown();
        information(format_message(DEF_DEINSTALL_COMPLETE, description_.c_str()), true);
        return removal_step::over;
    }
    listring input;
    for (const listring& dir : dirs_to_delete_) {
        input += shell_word(dir);
        input += " ";
    }
    delete_cmd_.reset();
    delete_cmd_ = cmd_templates(CMD_DELETE)->copy();
    delete_cmd_->set_input(input);
    if (delete_cmd_->build_cmd_line(true) == 0) {
        log_text(this, delete_cmd_->get_cmd(), false);
        if (delete_cmd_->execute(true) == 0)
            return removal_step::over;
    }
    if (working() != nullptr)
        working()->popdown();
    return removal_step::over;
}

void product::abandon_removal()
{
    OI_delete_timeout(OI_callback(this, &product::remove_installed_files, nullptr));
    close_fileset();
    modlist_.close();
    dirs_considered_.clear();
    removal_cancelled_ = true;
    if (working() != nullptr) {
        working()->set_stop_action(OI_callback());
        working()->popdown();
    }
}

long product::stop_deinstall(OI_d_tech*, void*, long)
{
    abandon_removal();
    return 1;
}

int product::set_backup_dir()
{
    listring dir = OI_translate_filename(HOME_DIR);
    if (dir.is_empty() || dir[dir.length() - 1] != '/')
        dir += "/";
    dir += id_;
    dir += BACKUP_EXTENSION;
    liboolean chosen = directory_prompt_ == nullptr ||
                       directory_prompt_(dir, catalogue_text(DEF_BACKUP_DIR_PROMPT));
    asked_ = asked_ || directory_prompt_ != nullptr;
    if (!chosen || (!valid_directory(dir) && create_dir(dir) != 0)) {
        continue_backup_ = false;
        return -1;
    }
    backup_dir_ = dir;
    have_backup_dir_ = true;
    modlist_path_ = join_directory(backup_dir_, MODLIST_FILE);
    if (modlist_.valid())
        return 0;
    modlist_ = open_for_writing(modlist_path_, 0644);
    std::string header = std::string(catalogue_text(DEF_MODLIST_HEADER)) + "\n\n";
    if (!modlist_.valid() || !modlist_.write_all(header.data(), header.size())) {
        int open_errno = errno;
        error(format_message(DEF_CANT_OPEN_FILE, modlist_path_.c_str(), std::strerror(open_errno)), true);
        asked_ = true;
        continue_backup_ = false;
        return -1;
    }
    return 0;
}

// Links are left for the final deletion: moving one would back up its
// target's name, not a changed file.
int product::backup_file(const listring& relative_path)
{
    listring source = join_directory(target_, relative_path);
    listring destination = join_directory(backup_dir_, relative_path);
    listring destination_dir;
    get_path(destination, destination_dir);
    if (!valid_directory(destination_dir) && create_dir(destination_dir) != 0) {
        if (!ask(message_kind::confirm, catalogue_text(DEF_CONTINUE_BACKUP)))
            continue_backup_ = false;
        return -1;
    }
    if (is_link(source))
        return 0;
    if (unix_rename(source, destination) != 0) {
        asked_ = true;
        if (continue_backup_ && !ask(message_kind::confirm, catalogue_text(DEF_CONTINUE_BACKUP)))
            continue_backup_ = false;
        return -1;
    }
    listring arrow(ARROW);
    arrow += " ";
    arrow += destination;
    log_removal(source, arrow);
    std::string entry = std::string(relative_path.c_str()) + "\n";
    if (modlist_.valid() && !modlist_.write_all(entry.data(), entry.size())) {
        int write_errno = errno;
        error(format_message(DEF_CANT_WRITE_FILE, modlist_path_.c_str(), std::strerror(write_errno)), true);
        asked_ = true;
    }
    return 0;
}
