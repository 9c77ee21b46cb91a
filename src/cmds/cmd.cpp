#include "cmds/cmd.h"

#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "cmds/dd_cmd.h"
#include "cmds/del_cmd.h"
#include "cmds/exp_cmd.h"
#include "cmds/ext_cmd.h"
#include "cmds/mt_cmd.h"
#include "cmds/rem_cmd.h"
#include "cmds/uncomp_cmd.h"
#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/l_proc_desc.h"
#include "misc/unix_cat.h"
#include "misc/utilities.h"
#include "prod/product.h"
#include "prod/progress_views.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_types.h"

liboolean cmd::remote_execute_ = false;
liboolean cmd::executing_ = false;
liboolean rewinding_g = false;

namespace {

// What a pipe is read in when it cannot tell how much waits.
const int DEFAULT_READ_SIZE = 512;
// No output line is a path longer than this; the rest of a longer one is
// dropped instead of held.
const size_t LONGEST_LINE = 65536;

}  // namespace

int read_output_lines(int fd, std::string& pending, std::vector<std::string>& lines)
{
    int count = 0;
    if (unix_chars_in_buffer(fd, &count) != 0 || count <= 0)
        count = DEFAULT_READ_SIZE;
    std::vector<char> chunk(static_cast<size_t>(count) + 1);
    int got = unix_read(fd, chunk.data(), static_cast<unsigned>(count));
    if (got < 0)
        return errno == EAGAIN || errno == EINTR ? -1 : 0;
    // Whole lines are taken at once, not byte by byte.
    const char* next = chunk.data();
    const char* end = next + got;
    while (next < end) {
        const char* newline = static_cast<const char*>(std::memchr(next, '\n', static_cast<size_t>(end - next)));
        const char* stop = newline == nullptr ? end : newline;
        size_t room = LONGEST_LINE > pending.size() ? LONGEST_LINE - pending.size() : 0;
        pending.append(next, std::min(room, static_cast<size_t>(stop - next)));
        if (newline == nullptr)
            break;
        lines.push_back(std::move(pending));
        pending.clear();
        next = newline + 1;
    }
    return got;
}

// Letters, digits and these need no quotes in any position of a word.
listring shell_word(const listring& text)
{
    static const char literal[] = "_-+=.,/:@%^";
    const char* c = text.c_str();
    bool plain = *c != '\0';
    for (; plain && *c != '\0'; ++c)
        plain = std::isalnum(static_cast<unsigned char>(*c)) || std::strchr(literal, *c) != nullptr;
    if (plain)
        return text;
    listring word("'");
    for (c = text.c_str(); *c != '\0'; ++c) {
        if (*c == '\'')
            word += "'\\''";
        else
            word += *c;
    }
    word += "'";
    return word;
}

std::unique_ptr<cmd> cmd::create(cmd_t kind, l_product* list, product* owner)
{
    switch (kind) {
    case CMD_EXTRACT:
        return std::make_unique<ext_cmd>(list, owner);
    case CMD_REWIND:
    case CMD_SKIP:
        return std::make_unique<mt_cmd>(kind, list, owner);
    case CMD_UNCOMPRESS:
        return std::make_unique<uncomp_cmd>(list, owner);
    case CMD_EXPAND:
        return std::make_unique<exp_cmd>(list, owner);
    case CMD_DELETE:
        return std::make_unique<del_cmd>(list, owner);
    case CMD_COPY_CONVERT:
        return std::make_unique<dd_cmd>(list, owner);
    case CMD_REMOTE:
        return std::make_unique<rem_cmd>(list, owner);
    }
    return nullptr;
}

std::unique_ptr<cmd> cmd::copy() const
{
    std::unique_ptr<cmd> made = create(kind_, prod_list_, prod_);
    *made = *this;
    return made;
}

cmd::~cmd()
{
    if (running_ == nullptr)
        return;
    OI_delete_timeout(OI_callback(this, &cmd::wait_for_end, running_));
    if (!lists_child(prod_, running_))
        return;
    for (FILE* stream : {running_->out, running_->err})
        if (stream != nullptr)
            OI_io_dispatch_remove(fileno(stream), OI_READABLE);
}

listring cmd::program_path() const
{
    listring path(dir_);
    path += "/";
    path += name_;
    return shell_word(path);
}

int cmd::check_program() const
{
    if (!valid_directory(dir_)) {
        error(format_message(DEF_BAD_DIR, dir_.c_str()), true);
        return -1;
    }
    listring path(dir_);
    path += "/";
    path += name_;
    if (!valid_file(path, F_OK)) {
        error(format_message(DEF_BAD_CMD_IN_DIR, name_.c_str(), dir_.c_str()), true);
        return -1;
    }
    return 0;
}

int cmd::stage_line(cmd* other, const kit_message& missing, listring& line)
{
    if (other == nullptr) {
        error(catalogue_text(missing), true);
        return -1;
    }
    int result = other->build_cmd_line(false);
    if (result == 0)
        line += other->get_cmd();
    return result;
}

liboolean lists_child(const product* owner, const proc_desc_t* proc)
{
    const l_proc_desc* children = owner == nullptr ? nullptr : owner->child_procs();
    for (unsigned i = 0; proc != nullptr && children != nullptr && i < children->entries(); ++i)
        if (children->elem(i) == proc)
            return true;
    return false;
}

liboolean ended_cleanly(int wait_result, int wait_status)
{
    return wait_result == 1 && WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0;
}

void log_text(product* owner, const listring& line, liboolean is_error)
{
    if (owner != nullptr && owner->log() != nullptr)
        owner->log()->text(line, is_error);
}

int cmd::execute(liboolean standalone)
{
    if (build_cmd_line(standalone) != 0)
        return -1;
    proc_desc_t* proc = unix_proc_open(cmd_line_);
    if (proc == nullptr) {
        error(format_message(DEF_UNABLE_TO_CREATE_PROCESS, cmd_line_.c_str()), true);
        return -1;
    }
    if (prod_ == nullptr || prod_->add_child_proc(proc) != 0) {
        unix_kill(proc->pid);
        std::fclose(proc->out);
        std::fclose(proc->err);
        delete proc;
        return -1;
    }
    running_ = proc;
    error_reported_ = false;
    wrote_errors_ = false;
    pending_output_.clear();
    pending_errors_.clear();
    OI_io_dispatch_insert(fileno(proc->out), OI_READABLE, OI_callback(this, &cmd::read_cmd_output, proc));
    OI_io_dispatch_insert(fileno(proc->err), OI_READABLE, OI_callback(this, &cmd::read_cmd_error, proc));
    executing_ = true;
    return 0;
}

void cmd::report_failure()
{
    if (error_reported_)
        return;
    error_reported_ = true;
    error(catalogue_text(DEF_CMD_EXECUTION_FAILED), true);
}

// The output itself means nothing to a single command; its end, once the
// child is gone too, is the command's end.
long cmd::read_cmd_output(OI_d_tech*, void* argument, long value)
{
    auto* proc = static_cast<proc_desc_t*>(argument);
    std::vector<std::string> lines;
    if (read_output_lines(static_cast<int>(value), pending_output_, lines) != 0)
        return 1;
    pending_output_.clear();
    executing_ = false;
    OI_io_dispatch_remove(static_cast<int>(value), OI_READABLE);
    wait_for_end(nullptr, proc, 0);
    return 1;
}

long cmd::read_cmd_error(OI_d_tech*, void* argument, long)
{
    take_errors(static_cast<proc_desc_t*>(argument));
    return 1;
}

liboolean cmd::take_errors(proc_desc_t* proc)
{
    if (proc->err == nullptr)
        return false;
    std::vector<std::string> lines;
    int got = read_output_lines(fileno(proc->err), pending_errors_, lines);
    for (std::string& text : lines) {
        listring line(text.c_str());
        line.clean();
        if (!line.is_empty())
            log_text(prod_, line, true);
    }
    if (got == 0) {
        OI_io_dispatch_remove(fileno(proc->err), OI_READABLE);
        std::fclose(proc->err);
        proc->err = nullptr;
        return false;
    }
    if (got < 0)
        return false;
    wrote_errors_ = true;
    report_failure();
    return true;
}

long cmd::wait_for_end(OI_d_tech*, void* argument, long)
{
    auto* proc = static_cast<proc_desc_t*>(argument);
    if (proc != running_ || !lists_child(prod_, proc)) {
        running_ = nullptr;
        return 1;
    }
    int status = 0;
    int ended = watched_child_ended(proc->pid, &status);
    if (ended == 0)
        OI_add_timeout(END_POLL_MS, OI_callback(this, &cmd::wait_for_end, proc));
    else
        finish(proc, ended, status);
    return 1;
}

// Errors still in the pipe count: a command that reported a problem and
// then ended is not taken for a success.
void cmd::finish(proc_desc_t* proc, int wait_result, int wait_status)
{
    while (take_errors(proc)) {
    }
    liboolean succeeded = ended_cleanly(wait_result, wait_status) && !wrote_errors_;
    if (!succeeded) {
        child_succeeded_g = 0;
        report_failure();
    }
    running_ = nullptr;
    prod_->delete_child_proc(proc);
    completed(succeeded);
}

void cmd::completed(liboolean) {}

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
    // A kind read from a file arrives as a number: check it as one.
    int index = static_cast<int>(kind);
    if (index < 0 || index >= CMD_KIND_COUNT)
        return false;
    return FIELDS_OF_KIND[index][static_cast<int>(field)];
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
