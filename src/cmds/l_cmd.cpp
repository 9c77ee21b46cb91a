#include "cmds/l_cmd.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "lib/listream.h"
#include "misc/config_entries.h"
#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "misc/utilities.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

const list_labels CMD_LABELS = {"command", "Command"};

// What a configuration key sets.
enum class cmd_entry_target {
    dir,
    name,
    options,
    input,
    output,
    input_opt_id,
    output_opt_id,
    assoc_file_ext,
    host,
    cd_source_default,
    tape_source_default,
    fs_product_dir_default,
    ds_product_dir_default
};

struct cmd_key_rule {
    const listring* key;
    cmd_t kind;  // ignored for the list's own defaults
    cmd_entry_target target;
};

const cmd_key_rule KEY_RULES[] = {
    {&EXTRACT_DIR_STRING, CMD_EXTRACT, cmd_entry_target::dir},
    {&EXPAND_DIR_STRING, CMD_EXPAND, cmd_entry_target::dir},
    {&REWIND_DIR_STRING, CMD_REWIND, cmd_entry_target::dir},
    {&SKIP_DIR_STRING, CMD_SKIP, cmd_entry_target::dir},
    {&UNCOMPRESS_DIR_STRING, CMD_UNCOMPRESS, cmd_entry_target::dir},
    {&DELETE_DIR_STRING, CMD_DELETE, cmd_entry_target::dir},
    {&DD_DIR_STRING, CMD_COPY_CONVERT, cmd_entry_target::dir},
    {&REMOTE_DIR_STRING, CMD_REMOTE, cmd_entry_target::dir},
    {&EXTRACT_NAME_STRING, CMD_EXTRACT, cmd_entry_target::name},
    {&EXPAND_NAME_STRING, CMD_EXPAND, cmd_entry_target::name},
    {&REWIND_NAME_STRING, CMD_REWIND, cmd_entry_target::name},
    {&SKIP_NAME_STRING, CMD_SKIP, cmd_entry_target::name},
    {&UNCOMPRESS_NAME_STRING, CMD_UNCOMPRESS, cmd_entry_target::name},
    {&DELETE_NAME_STRING, CMD_DELETE, cmd_entry_target::name},
    {&DD_NAME_STRING, CMD_COPY_CONVERT, cmd_entry_target::name},
    {&REMOTE_NAME_STRING, CMD_REMOTE, cmd_entry_target::name},
    {&EXTRACT_OPTS_STRING, CMD_EXTRACT, cmd_entry_target::options},
    {&EXPAND_OPTS_STRING, CMD_EXPAND, cmd_entry_target::options},
    {&REWIND_OPTS_STRING, CMD_REWIND, cmd_entry_target::options},
    {&SKIP_OPTS_STRING, CMD_SKIP, cmd_entry_target::options},
    {&UNCOMPRESS_OPTS_STRING, CMD_UNCOMPRESS, cmd_entry_target::options},
    {&DELETE_OPTS_STRING, CMD_DELETE, cmd_entry_target::options},
    {&DD_OPTS_STRING, CMD_COPY_CONVERT, cmd_entry_target::options},
    {&REMOTE_OPTS_STRING, CMD_REMOTE, cmd_entry_target::options},
    {&EXTRACT_INPUT_STRING, CMD_EXTRACT, cmd_entry_target::input},
    {&EXPAND_INPUT_STRING, CMD_EXPAND, cmd_entry_target::input},
    {&REWIND_INPUT_STRING, CMD_REWIND, cmd_entry_target::input},
    {&SKIP_INPUT_STRING, CMD_SKIP, cmd_entry_target::input},
    {&UNCOMPRESS_INPUT_STRING, CMD_UNCOMPRESS, cmd_entry_target::input},
    {&DELETE_INPUT_STRING, CMD_DELETE, cmd_entry_target::input},
    {&DD_INPUT_STRING, CMD_COPY_CONVERT, cmd_entry_target::input},
    {&EXTRACT_OUTPUT_STRING, CMD_EXTRACT, cmd_entry_target::output},
    {&DD_OUTPUT_STRING, CMD_COPY_CONVERT, cmd_entry_target::output},
    {&REWIND_DEVOPT_STRING, CMD_REWIND, cmd_entry_target::input_opt_id},
    {&SKIP_DEVOPT_STRING, CMD_SKIP, cmd_entry_target::input_opt_id},
    {&DD_INPUT_OPT_STRING, CMD_COPY_CONVERT, cmd_entry_target::input_opt_id},
    {&DD_OUTPUT_OPT_STRING, CMD_COPY_CONVERT, cmd_entry_target::output_opt_id},
    {&COMPRESSED_FILE_EXTENSION, CMD_UNCOMPRESS, cmd_entry_target::assoc_file_ext},
    {&REMOTE_HOST_STRING, CMD_REMOTE, cmd_entry_target::host},
    {&CD_SOURCE_DEF_STRING, CMD_EXTRACT, cmd_entry_target::cd_source_default},
    {&TAPE_SOURCE_DEF_STRING, CMD_EXTRACT, cmd_entry_target::tape_source_default},
    {&FS_PROD_DIR_DEF_STRING, CMD_EXTRACT, cmd_entry_target::fs_product_dir_default},
    {&DS_PROD_DIR_DEF_STRING, CMD_EXTRACT, cmd_entry_target::ds_product_dir_default},
};

// The rule for key under the current case setting, or null.
static const cmd_key_rule* find_rule(const listring& key)
{
    for (const cmd_key_rule& rule : KEY_RULES) {
        if (key == *rule.key)
            return &rule;
    }
    return nullptr;
}

l_cmd::l_cmd(l_product* list, product* owner, const listring& product_id)
    : typed_list<cmd>(CMD_LABELS), prod_(owner), prod_list_(list)
{
    open_installer_catalogue();
    listring arch = architecture();
    if (arch.is_empty() && !warning(catalogue_text(DEF_ARCH_NOT_DEFINED), true))
        end_program(-1);
    config_file_ = config_file_path(arch, product_id);
}

l_cmd::~l_cmd()
{
    for (unsigned i = 0; i < entries(); ++i)
        delete static_cast<cmd*>(List::elem(i));
    empty();
}

listring l_cmd::config_file_path(const listring& arch, const listring& product_id)
{
    listring path(CONFIG_FILE_DIR);
    path += "/";
    path += arch;
    path += "/";
    path += product_id;
    path += CMD_FILE_SUFFIX;
    path += CONFIG_FILE_EXTENSION;
    return path;
}

int l_cmd::remove(unsigned i)
{
    if (i >= entries()) {
        report_subscript_error(labels(), i);
        return -1;
    }
    cmd* gone = static_cast<cmd*>(List::elem(i));
    int result = List::remove(i);
    delete gone;
    return result;
}

int l_cmd::add_templates()
{
    int result = 0;
    for (int kind = 0; kind < CMD_KIND_COUNT; ++kind) {
        std::unique_ptr<cmd> template_cmd = cmd::create(static_cast<cmd_t>(kind), prod_list_, prod_);
        if (add(template_cmd.get()) == 0)
            template_cmd.release();
        else
            result = -1;
    }
    if (result != 0)
        return result;
    cmd* remote = elem(CMD_REMOTE);
    elem(CMD_EXTRACT)->set_remote_cmd(remote);
    elem(CMD_REWIND)->set_remote_cmd(remote);
    elem(CMD_SKIP)->set_remote_cmd(remote);
    elem(CMD_EXTRACT)->set_copy_convert_cmd(elem(CMD_COPY_CONVERT));
    elem(CMD_EXTRACT)->set_uncompress_cmd(elem(CMD_UNCOMPRESS));
    return 0;
}

// A directory must exist; an empty one is only allowed when the user says
// so. A bad command name is still stored, so the dialog can show it.
int l_cmd::apply_entry(const cmd_key_rule& rule, const listring& value, int line)
{
    cmd* target = elem(rule.kind);
    int result = 0;
    switch (rule.target) {
    case cmd_entry_target::dir:
        target->set_dir(value);
        if (value.is_empty()) {
            if (!warning(format_message(DEF_NULL_DIR, config_file_.c_str(), line), true))
                result = -1;
        } else if (!valid_directory(value)) {
            error(format_message(DEF_BAD_CMD_DIR_IN_FILE, config_file_.c_str(), value.c_str(), line),
                  true);
            result = -1;
        }
        break;
    case cmd_entry_target::name:
        target->set_name(value);
        if (!valid_cmd(value)) {
            error(format_message(DEF_BAD_CMD_IN_FILE, config_file_.c_str(), value.c_str(), line), true);
            result = -1;
        }
        break;
    case cmd_entry_target::options:
        target->set_options(value);
        break;
    case cmd_entry_target::input:
        result = target->set_input(value);
        break;
    case cmd_entry_target::output:
        result = target->set_output(value);
        break;
    case cmd_entry_target::input_opt_id:
        result = target->set_input_opt_id(value);
        break;
    case cmd_entry_target::output_opt_id:
        result = target->set_output_opt_id(value);
        break;
    case cmd_entry_target::assoc_file_ext:
        result = target->set_assoc_file_ext(value);
        break;
    case cmd_entry_target::host:
        result = target->set_host(value);
        break;
    case cmd_entry_target::cd_source_default:
        cd_source_default_ = value;
        break;
    case cmd_entry_target::tape_source_default:
        tape_source_default_ = value;
        break;
    case cmd_entry_target::fs_product_dir_default:
        fs_product_dir_default_ = value;
        break;
    case cmd_entry_target::ds_product_dir_default:
        ds_product_dir_default_ = value;
        break;
    }
    return result;
}

// Each entry is "key: value" on one line; a recognised key without a colon
// takes the whole next line as its value, as the product files do. Comment
// and blank lines still count in the line numbers.
int l_cmd::parse_config()
{
    listream file;
    if (!file.open(config_file_.c_str(), std::ios::in)) {
        int open_errno = errno;
        error(format_message(DEF_CANT_OPEN_FILE, config_file_.c_str(), std::strerror(open_errno)), true);
        return -1;
    }
    if (add_templates() != 0)
        return -1;

    case_insensitive_section ignore_case;
    int result = read_config_entries(
        file, config_file_, CMD_FILE_DELIMITERS,
        [this](const listring& key) { return find_rule(key) != nullptr; },
        [this](const listring& key, const listring& value, int line) {
            return apply_entry(*find_rule(key), value, line);
        });
    return result;
}
