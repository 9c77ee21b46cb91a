#include "cmds/cmd.h"

#include "misc/unix_cat.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

liboolean cmd::remote_execute_ = false;
liboolean cmd::executing_ = false;

// Which kind carries which optional field, one row per kind in cmd_t order:
// input, output, input option, output option, host, file extension.
static const liboolean FIELDS_OF_KIND[CMD_KIND_COUNT][6] = {
    {true, true, false, false, false, false},   // extract
    {true, false, true, false, false, false},   // rewind
    {true, false, true, false, false, false},   // skip
    {true, false, false, false, false, true},   // uncompress
    {true, true, false, false, false, false},   // expand
    {true, false, false, false, false, false},  // delete
    {true, true, true, true, false, false},     // copy-convert
    {false, false, false, false, true, false},  // remote shell
};

liboolean kind_uses_field(cmd_t kind, cmd_field field)
{
    if (kind < 0 || kind >= CMD_KIND_COUNT)
        return false;
    return FIELDS_OF_KIND[kind][static_cast<int>(field)];
}

cmd::cmd(cmd_t kind, l_product* list, product* owner)
    : kind_(kind), prod_(owner), prod_list_(list)
{
    open_installer_catalogue();
}

cmd& cmd::operator=(const cmd& other)
{
    if (this == &other)
        return *this;
    name_ = other.name_;
    dir_ = other.dir_;
    options_ = other.options_;
    input_ = other.input_;
    output_ = other.output_;
    input_opt_id_ = other.input_opt_id_;
    output_opt_id_ = other.output_opt_id_;
    cmd_line_ = other.cmd_line_;
    host_ = other.host_;
    assoc_file_ext_ = other.assoc_file_ext_;
    remote_cmd_ = other.remote_cmd_;
    copy_convert_cmd_ = other.copy_convert_cmd_;
    uncompress_cmd_ = other.uncompress_cmd_;
    return *this;
}

liboolean cmd::has_field(cmd_field field, const kit_message& message) const
{
    if (kind_uses_field(kind_, field))
        return true;
    error(format_message(message, name_.c_str()), true);
    return false;
}

const listring& cmd::input() const
{
    has_field(cmd_field::input, DEF_NO_INPUT_FIELD);
    return input_;
}

const listring& cmd::output() const
{
    has_field(cmd_field::output, DEF_NO_OUTPUT_FIELD);
    return output_;
}

const listring& cmd::host() const
{
    has_field(cmd_field::host, DEF_NO_HOST_FIELD);
    return host_;
}

const listring& cmd::input_opt_id() const
{
    has_field(cmd_field::input_opt_id, DEF_NO_INPUT_OPT_ID_FIELD);
    return input_opt_id_;
}

const listring& cmd::output_opt_id() const
{
    has_field(cmd_field::output_opt_id, DEF_NO_OUTPUT_OPT_ID_FIELD);
    return output_opt_id_;
}

const listring& cmd::assoc_file_ext() const
{
    has_field(cmd_field::assoc_file_ext, DEF_NO_ASSOC_FILE_EXT_FIELD);
    return assoc_file_ext_;
}

void cmd::set_name(const listring& value)
{
    name_ = value;
    name_.clean();
}

void cmd::set_dir(const listring& value)
{
    dir_ = value;
    dir_.clean();
}

void cmd::set_options(const listring& value)
{
    options_ = value;
}

// An extraction's paths go into a command line word by word, so stray
// blanks are dropped from them.
int cmd::set_input(const listring& value)
{
    if (!has_field(cmd_field::input, DEF_NO_INPUT_FIELD))
        return -1;
    input_ = value;
    if (kind_ == CMD_EXTRACT)
        input_.clean();
    return 0;
}

int cmd::set_output(const listring& value)
{
    if (!has_field(cmd_field::output, DEF_NO_OUTPUT_FIELD))
        return -1;
    output_ = value;
    if (kind_ == CMD_EXTRACT)
        output_.clean();
    return 0;
}

int cmd::set_host(const listring& value)
{
    if (!has_field(cmd_field::host, DEF_NO_HOST_FIELD))
        return -1;
    host_ = value;
    host_.clean();
    return 0;
}

int cmd::set_input_opt_id(const listring& value)
{
    if (!has_field(cmd_field::input_opt_id, DEF_NO_INPUT_OPT_ID_FIELD))
        return -1;
    input_opt_id_ = value;
    return 0;
}

int cmd::set_output_opt_id(const listring& value)
{
    if (!has_field(cmd_field::output_opt_id, DEF_NO_OUTPUT_OPT_ID_FIELD))
        return -1;
    output_opt_id_ = value;
    return 0;
}

int cmd::set_assoc_file_ext(const listring& value)
{
    if (!has_field(cmd_field::assoc_file_ext, DEF_NO_ASSOC_FILE_EXT_FIELD))
        return -1;
    assoc_file_ext_ = value;
    return 0;
}
