#include "cmds/l_cmd.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "lib/listream.h"
#include "misc/config_entries.h"
#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "misc/utilities.h"
#include "lib/msgs.h"
#include "lib/reporter.h"
#include "opts/prod_opts.h"
#include "prod/product.h"
#include "prod/progress_views.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_types.h"

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

// A sequence still running is no longer listened to; its child stays with
// the product, which ends it.
l_cmd::~l_cmd()
{
    if (running_sequence_ == this)
        running_sequence_ = nullptr;
    stop_timers();
    if (running_ != nullptr && lists_child(prod_, running_))
        watch(running_, false);
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
        [](const listring& key) { return find_rule(key) != nullptr; },
        [this](const listring& key, const listring& value, int line) {
            return apply_entry(*find_rule(key), value, line);
        });
    return result;
}

// ---- Running an install sequence --------------------------------------------

l_cmd* l_cmd::running_sequence_ = nullptr;
l_cmd::printer_offer l_cmd::printer_offer_ = nullptr;

namespace {

// Records are written out in blocks of about this size.
const size_t FILESET_BLOCK = 65536;
// After a read of output the pipe rests this long: a command that lists
// each file as it lands would otherwise wake the installer once a file,
// and the wake-up costs more than the line. The pipe holds far more than
// a pause brings, and the end of the command's standard error ends the
// pause at once, so the next command does not wait for it.
const unsigned long OUTPUT_PAUSE_MS = 25;

}  // namespace

liboolean l_cmd::stopping() const
{
    return prod_->transfer() != nullptr && prod_->transfer()->stopped();
}

void l_cmd::popdown_transfer()
{
    if (prod_->transfer() != nullptr)
        prod_->transfer()->popdown();
}

void l_cmd::watch(proc_desc_t* proc, liboolean on)
{
    if (proc == nullptr)
        return;
    if (proc->out != nullptr) {
        if (on)
            OI_io_dispatch_insert(fileno(proc->out), OI_READABLE,
                                  OI_callback(this, &l_cmd::read_cmd_output, proc));
        else
            OI_io_dispatch_remove(fileno(proc->out), OI_READABLE);
    }
    if (proc->err != nullptr) {
        if (on)
            OI_io_dispatch_insert(fileno(proc->err), OI_READABLE,
                                  OI_callback(this, &l_cmd::read_cmd_error, proc));
        else
            OI_io_dispatch_remove(fileno(proc->err), OI_READABLE);
    }
}

void l_cmd::set_halted(liboolean value)
{
    halted_ = value;
    if (lists_child(prod_, running_))
        watch(running_, !value);
}

void l_cmd::empty_sequence()
{
    while (entries() > 0)
        remove(0);
}

void l_cmd::abandon()
{
    if (lists_child(prod_, running_))
        unix_kill(running_->pid);
    child_succeeded_g = 0;
    sequence_failed_ = true;
    empty_sequence();
}

int l_cmd::execute_in_seq(liboolean start)
{
    if (start) {
        percent_ = prod_->percentage_installed();
        required_kb_ = -1;
        if (rewinding_g) {
            error(catalogue_text(DEF_STILL_REWINDING), true);
            popdown_transfer();
            return -1;
        }
        last_file_.empty();
        first_cmd_ = true;
        sequence_failed_ = false;
        // A distribution server made on a machine where the product is
        // installed must leave that installation's records as they are.
        keeps_records_ = !(prod_->create_dist_server() && prod_->was_installed());
        prod_->delete_all_child_procs();
        // The records directory must take the file-set log before anything
        // is extracted: files no record names could never be removed.
        if (keeps_records_ && open_fileset_log() != 0) {
            popdown_transfer();
            return -1;
        }
        running_sequence_ = this;
    } else {
        first_cmd_ = false;
    }
    if (entries() == 0)
        return cleanup();
    const listring& line = elem(0)->get_cmd();
    log_text(prod_, line, false);
    proc_desc_t* proc = unix_proc_open(line);
    if (proc == nullptr) {
        error(format_message(DEF_UNABLE_TO_CREATE_PROCESS, line.c_str()), true);
        return -1;
    }
    if (prod_->add_child_proc(proc) != 0) {
        unix_kill(proc->pid);
        std::fclose(proc->out);
        std::fclose(proc->err);
        delete proc;
        return -1;
    }
    running_ = proc;
    halted_ = finished_ = cleaning_up_ = false;
    command_failed_ = false;
    pending_output_.clear();
    pending_errors_.clear();
    output_paused_ = false;
    end_poll_ms_ = 1;
    watch(proc, true);
    return 0;
}

long l_cmd::read_cmd_output(OI_d_tech*, void* argument, long value)
{
    auto* proc = static_cast<proc_desc_t*>(argument);
    int fd = static_cast<int>(value);
    if (cleaning_up_ || proc != running_) {
        OI_io_dispatch_remove(fd, OI_READABLE);
        return 1;
    }
    if (halted_)
        return 1;
    listring parser = output_parser();
    std::vector<std::string> lines;
    int got = read_output_lines(fd, pending_output_, lines);
    for (const std::string& line : lines)
        if (process_line(listring(line.c_str()), parser) != 0)
            return 1;
    // Once the command's standard error has ended, so has the command:
    // what is left is read without a pause.
    if (got > 0 && proc == running_ && !halted_ && !cleaning_up_ && proc->err != nullptr) {
        OI_io_dispatch_remove(fd, OI_READABLE);
        OI_add_timeout(OUTPUT_PAUSE_MS, OI_callback(this, &l_cmd::resume_output, proc));
        output_paused_ = true;
    }
    if (got != 0)
        return 1;
    // A last line without its newline still names a file.
    std::string last_line;
    last_line.swap(pending_output_);
    if (!last_line.empty() && process_line(listring(last_line.c_str()), parser) != 0)
        return 1;
    OI_io_dispatch_remove(fd, OI_READABLE);
    wait_for_end(nullptr, proc, 0);
    return 1;
}

listring l_cmd::output_parser() const
{
    return prod_->media() == MEDIA_CD || prod_->media() == MEDIA_DISTRIBUTION ? KCP_UTILITY : elem(0)->name();
}

// The command wrote its file lines before the error that fails it, but
// they may still wait in the pipe: each names a file now on disk.
void l_cmd::take_waiting_output(proc_desc_t* proc)
{
    if (proc->out == nullptr || entries() == 0)
        return;
    listring parser = output_parser();
    std::vector<std::string> lines;
    while (read_output_lines(fileno(proc->out), pending_output_, lines) > 0) {
    }
    for (const std::string& line : lines)
        if (process_line(listring(line.c_str()), parser) != 0)
            return;
}

// A line that names a file moves the status on; the file before it is
// complete by then and is recorded.
int l_cmd::process_line(const listring& line, const listring& parser)
{
    listring file;
    int size = -1;
    extract_file_info(line, file, &size, parser);
    transfer_view* transfer = prod_->transfer();
    if (!file.is_empty()) {
        if (transfer != nullptr)
            transfer->status(format_message(DEF_EXTRACTING, file.c_str()));
        prod_->set_files_installed(true);
    }
    log_text(prod_, line, false);
    if (size >= 0)
        advance_gauge(size);
    if (!last_file_.is_empty() && record_last_file(true) != 0)
        return 1;
    last_file_ = file;
    last_size_unknown_ = size < 0;
    return 0;
}

void l_cmd::advance_gauge(long bytes)
{
    int value = get_gauge_setting(static_cast<int>(bytes));
    if (prod_->transfer() != nullptr)
        prod_->transfer()->gauge(value);
    prod_->percentage_installed(percent_);
}

int l_cmd::get_gauge_setting(int bytes)
{
    if (required_kb_ < 0) {
        prod_opts* settings = prod_->install_opts();
        required_kb_ = settings == nullptr ? 0.0 : static_cast<double>(settings->space_reqd(false));
    }
    double required = required_kb_;
    // Nothing to measure against: the gauge stays where it is.
    if (required > 0.0)
        percent_ += static_cast<float>(bytes * 100.0 / (required * 1024.0));
    int result = percent_ != 0.0f ? static_cast<int>(percent_ + 0.5f) : 0;
    if (percent_ >= 100.0f)
        percent_ = 100.0f;
    return result;
}

// The record is written even when the user goes on past a file that
// cannot be examined, so the log still lists everything extracted.
int l_cmd::record_last_file(liboolean ask)
{
    listring path(prod_->cmd_templates(CMD_EXTRACT)->output());
    path += "/";
    path += last_file_;
    // One look gives the time stamp, mode and size; when it fails, each is
    // read again on its own, which says why.
    struct stat info;
    long stamp = -1;
    unsigned long mode = 0;
    int mode_status = -1;
    long size = -1;
    if (examine(path, &info) == 0) {
        stamp = static_cast<long>(info.st_mtime);
        mode = info.st_mode;
        mode_status = 0;
        size = static_cast<long>(info.st_size);
    } else {
        stamp = gmtimestamp(path);
        mode_status = unix_mode(path, &mode);
    }
    if ((stamp == -1 || mode_status != 0) && ask && !cleaning_up_) {
        set_halted(true);
        if (!confirm(format_message(DEF_RECORDING_FAILURE, path.c_str()), true)) {
            abandon();
            cleanup();
            return 1;
        }
        set_halted(false);
    }
    if (last_size_unknown_ && size >= 0)
        advance_gauge(size);
    if (!keeps_records_) {
        last_file_.empty();
        return 0;
    }
    if (!fileset_log_.valid() && open_fileset_log() != 0) {
        popdown_transfer();
        abandon();
        if (!cleaning_up_)
            cleanup();
        return 1;
    }
    // Written without formatting: this runs for every file.
    char stamp_text[24];
    char mode_text[24];
    char* stamp_end = std::to_chars(stamp_text, stamp_text + sizeof stamp_text, stamp).ptr;
    char* mode_end = std::to_chars(mode_text, mode_text + sizeof mode_text, mode).ptr;
    fileset_records_ += last_file_.c_str();
    fileset_records_ += ' ';
    fileset_records_.append(stamp_text, stamp_end);
    fileset_records_ += ' ';
    fileset_records_.append(mode_text, mode_end);
    fileset_records_ += '\n';
    last_file_.empty();
    if (fileset_records_.size() >= FILESET_BLOCK && flush_fileset_log() != 0) {
        abandon();
        if (!cleaning_up_)
            cleanup();
        return 1;
    }
    return 0;
}

int l_cmd::open_fileset_log()
{
    fileset_records_.clear();
    fileset_log_ = open_for_writing(prod_->fileset_path(), 0644);
    if (fileset_log_.valid())
        return 0;
    int open_errno = errno;
    if (!halted_)
        error(format_message(DEF_CANT_OPEN_FILE, prod_->fileset_path().c_str(), std::strerror(open_errno)),
              true);
    set_halted(true);
    const char* records = unix_getenv(TARNU_VAR);
    listring where(records == nullptr || *records == '\0' ? TARNU_DIR.c_str() : records);
    information(format_message(DEF_MUST_RECORD, where.c_str()), true);
    return -1;
}

int l_cmd::flush_fileset_log()
{
    if (!fileset_log_.valid() || fileset_records_.empty())
        return 0;
    if (!fileset_log_.write_all(fileset_records_.data(), fileset_records_.size())) {
        int write_errno = errno;
        error(format_message(DEF_CANT_WRITE_FILE, prod_->fileset_path().c_str(), std::strerror(write_errno)),
              true);
        return -1;
    }
    fileset_records_.clear();
    return 0;
}

int l_cmd::close_fileset_log()
{
    if (!fileset_log_.valid())
        return 0;
    int status = flush_fileset_log();
    if (!fileset_log_.close() && status == 0) {
        int close_errno = errno;
        error(format_message(DEF_CANT_WRITE_FILE, prod_->fileset_path().c_str(), std::strerror(close_errno)),
              true);
        status = -1;
    }
    return status;
}

// A halted sequence is watched again when it goes on; one that moved on
// to another command or ended needs nothing.
void l_cmd::stop_timers()
{
    if (running_ == nullptr)
        return;
    OI_delete_timeout(OI_callback(this, &l_cmd::wait_for_end, running_));
    OI_delete_timeout(OI_callback(this, &l_cmd::resume_output, running_));
    output_paused_ = false;
}

long l_cmd::resume_output(OI_d_tech*, void* argument, long)
{
    auto* proc = static_cast<proc_desc_t*>(argument);
    output_paused_ = false;
    if (proc != running_ || halted_ || cleaning_up_ || !lists_child(prod_, proc) || proc->out == nullptr)
        return 1;
    OI_io_dispatch_insert(fileno(proc->out), OI_READABLE, OI_callback(this, &l_cmd::read_cmd_output, proc));
    return 1;
}

long l_cmd::wait_for_end(OI_d_tech*, void* argument, long)
{
    auto* proc = static_cast<proc_desc_t*>(argument);
    if (proc != running_ || !lists_child(prod_, proc))
        return 1;
    int status = 0;
    int ended = watched_child_ended(proc->pid, &status);
    if (ended == 0) {
        OI_add_timeout(end_poll_ms_, OI_callback(this, &l_cmd::wait_for_end, proc));
        end_poll_ms_ = std::min(end_poll_ms_ * 2, END_POLL_MS);
    } else {
        finish_command(proc, ended, status);
    }
    return 1;
}

// The errors still in the pipe are read first: a command that wrote only
// errors and then ended is a failure even when its exit status says not.
void l_cmd::finish_command(proc_desc_t* proc, int wait_result, int wait_status)
{
    int errors;
    while ((errors = take_errors(proc)) == 1) {
    }
    if (errors < 0)
        return;
    liboolean succeeded = ended_cleanly(wait_result, wait_status) && !command_failed_;
    // A stopped installation's command was killed on purpose: that is not
    // reported as its failure.
    if (stopping()) {
        succeeded = false;
        halted_ = true;
    }
    running_ = nullptr;
    prod_->delete_child_proc(proc);
    if (!succeeded) {
        child_succeeded_g = 0;
        sequence_failed_ = true;
    }
    if (entries() > 0) {
        if (tail() != 0)
            end_program(-1);
        if (!succeeded) {
            if (!halted_) {
                halted_ = true;
                error(catalogue_text(DEF_CMD_EXECUTION_FAILED), true);
            }
            empty_sequence();
        } else if (entries() > 0 && (prod_->media() != MEDIA_TAPE || !first_cmd_)) {
            if (prod_->transfer() != nullptr)
                prod_->transfer()->status(catalogue_text(DEF_EXTRACT_NEXT_OPTION));
        }
    }
    if (!cleaning_up_)
        execute_in_seq(false);
}

long l_cmd::read_cmd_error(OI_d_tech*, void* argument, long value)
{
    auto* proc = static_cast<proc_desc_t*>(argument);
    if (cleaning_up_ || proc != running_) {
        OI_io_dispatch_remove(static_cast<int>(value), OI_READABLE);
        return 1;
    }
    if (!halted_)
        take_errors(proc);
    return 1;
}

// A read whose complete lines are all errors fails the command; one benign
// line (a block or record count, a link report) among them does not. A
// line that is only blank counts as an error line.
int l_cmd::take_errors(proc_desc_t* proc)
{
    if (proc->err == nullptr)
        return 0;
    std::vector<std::string> lines;
    int got = read_output_lines(fileno(proc->err), pending_errors_, lines);
    liboolean benign = false;
    for (const std::string& text : lines) {
        listring line(text.c_str());
        line.clean();
        if (line.is_empty())
            continue;
        if (valid_stderr(line))
            benign = true;
        else
            log_text(prod_, line, true);
    }
    if (got == 0) {
        OI_io_dispatch_remove(fileno(proc->err), OI_READABLE);
        std::fclose(proc->err);
        proc->err = nullptr;
        // The command has ended: its last lines are read now, not after
        // the pause.
        if (output_paused_) {
            OI_delete_timeout(OI_callback(this, &l_cmd::resume_output, proc));
            resume_output(nullptr, proc, 0);
        }
        return 0;
    }
    if (lines.empty() || benign || stopping())
        return got > 0 ? 1 : 0;
    take_waiting_output(proc);
    command_failed_ = true;
    abandon();
    if (!halted_) {
        set_halted(true);
        error(catalogue_text(DEF_CMD_EXECUTION_FAILED), true);
    }
    if (!cleaning_up_)
        cleanup();
    return -1;
}

int l_cmd::stop()
{
    abandon();
    if (cleaning_up_)
        return 1;
    return cleanup();
}

int l_cmd::cleanup()
{
    cleaning_up_ = true;
    if (running_sequence_ == this)
        running_sequence_ = nullptr;
    stop_timers();
    running_ = nullptr;
    prod_->delete_all_child_procs();
    if (finished_)
        return 1;
    if (!last_file_.is_empty() && record_last_file(false) != 0)
        return -1;
    transfer_view* transfer = prod_->transfer();
    liboolean stopped = transfer != nullptr && transfer->stopped();
    if (!stopped && !sequence_failed_) {
        if (close_fileset_log() != 0) {
            popdown_transfer();
            return -1;
        }
        if (prod_->create_dist_server()) {
            if (keeps_records_ && valid_file(prod_->fileset_path(), F_OK))
                unix_unlink(prod_->fileset_path());
        } else if (prod_->write_data_file() != 0) {
            popdown_transfer();
            return -1;
        }
        popdown_transfer();
        int scripts = prod_->execute_all_install_scripts();
        if (scripts == -1 || scripts == 1)
            return scripts;
        if (printer_offer_ != nullptr && !prod_->create_dist_server() &&
            prod_->media() != MEDIA_FILESERVER)
            printer_offer_(*prod_);
        information(format_message(DEF_INSTALL_COMPLETE, prod_->description().c_str()), true);
        if (prod_->media() == MEDIA_TAPE)
            rewind_tape();
        return 1;
    }
    finished_ = true;
    popdown_transfer();
    listring question =
        format_message(DEF_CONFIRM_DEINSTALL, prod_->description().c_str(), prod_->target().c_str());
    int recorded = record_partial_installation();
    if (recorded < 0)
        return -1;
    if (recorded == 1 && confirm(question, true))
        prod_->setup_deinstall(false);
    return 1;
}

int l_cmd::record_partial_installation()
{
    close_fileset_log();
    if (!prod_->files_installed()) {
        if (!prod_->create_dist_server())
            prod_->remove_installed_data_files();
        return 0;
    }
    if (!keeps_records_)
        return 0;
    return prod_->write_data_file() == 0 ? 1 : -1;
}

void l_cmd::record_interrupted_installation()
{
    l_cmd* sequence = running_sequence_;
    if (sequence == nullptr)
        return;
    running_sequence_ = nullptr;
    sequence->abandon();
    sequence->cleaning_up_ = sequence->finished_ = true;
    sequence->stop_timers();
    sequence->running_ = nullptr;
    sequence->prod_->delete_all_child_procs();
    if (!sequence->last_file_.is_empty())
        sequence->record_last_file(false);
    sequence->record_partial_installation();
}

// The installer does not wait for the rewind; a new installation does.
void l_cmd::rewind_tape()
{
    rewind_ = prod_->cmd_templates(CMD_REWIND)->copy();
    if (rewind_->build_cmd_line(true) != 0)
        error(catalogue_text(DEF_CANT_REWIND), true);
    rewinding_g = true;
    if (rewind_->execute(true) != 0)
        rewinding_g = false;
}
