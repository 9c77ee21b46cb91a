#include "prod/product.h"

#include <cctype>
#include <cerrno>
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

    // One interpreter per product keeps one product's script variables
    // away from every other's.
    interpreter_ = create_interpreter();

    if (parse_config() != 0) {
        error(format_message(DEF_PARSER_FAILURE, description_file_.c_str()), true);
        end_program(-1);
    }

    catalogue_ = unix_catopen(id_, NL_CAT_LOCALE);
    resolve_catalogue_texts();
}

// The interpreter lives until the program ends, as every interpreter does.
product::~product()
{
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
    set_variable(interpreter_, PRODUCT_VAR_STRING, description_);
    // A product never installed here has no data file, and one without a
    // target has no usable record: one message says so.
    if (!was_installed() || parse_data_file() != 0 || target_.is_empty()) {
        error(format_message(DEF_NO_RECORD_OF_INSTALL, description_.c_str()), true);
        return -1;
    }
    set_variable(interpreter_, TARGET_VAR_STRING, target_);
    return evaluate_file(interpreter_, script);
}

int product::execute_all_install_scripts()
{
    return 0;
}

int product::execute_all_deinstall_scripts()
{
    return 0;
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
