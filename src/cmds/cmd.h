// cmd: one command of the installer, a template read from a product's
// command configuration or a ready-to-run copy of one. It knows its kind and
// which fields that kind uses; the product, product list and sub-commands it
// points to are never owned. The kinds add their command-line building.
#ifndef KITSETUP_CMDS_CMD_H
#define KITSETUP_CMDS_CMD_H

#include <memory>
#include <string>
#include <vector>

#include "lib/listring.h"
#include "toolkit/oiu_callback_multiple.h"

class OI_d_tech;
class product;
class l_product;
class kit_message;
struct proc_desc_t;

// True while the background rewind at the end of a tape installation runs;
// a new installation waits for it.
extern liboolean rewinding_g;

// Reads what waits on the non-blocking descriptor fd (the count the pipe
// reports, 512 when it cannot tell) and appends each complete line to lines;
// the bytes after the last newline wait in pending for the next call. A line
// longer than any path keeps only its start. The read's result: bytes read,
// 0 at the end of output, -1 when nothing could be read now.
int read_output_lines(int fd, std::string& pending, std::vector<std::string>& lines);

// True when owner still lists proc among its running children: the
// product may forget its children (a removal starting), and a command's
// pointer to one is then no longer to be used.
liboolean lists_child(const product* owner, const proc_desc_t* proc);

// How often a command whose output has ended is looked at until its child
// is gone, for single commands and sequences alike.
inline constexpr unsigned long END_POLL_MS = 10;

// True when watched_child_ended's result and status say the child exited
// by itself with status 0; a child killed by a signal did not succeed.
liboolean ended_cleanly(int wait_result, int wait_status);

// Appends line to owner's log dialog, as an error line when is_error; no
// dialog, no log.
void log_text(product* owner, const listring& line, liboolean is_error);

// text as one word of a /bin/sh command line: unchanged when it holds only
// characters the shell takes literally, else in single quotes.
listring shell_word(const listring& text);

// The template kinds; the value is also the kind's position in a product's
// template list.
enum cmd_t {
    CMD_EXTRACT = 0,
    CMD_REWIND = 1,
    CMD_SKIP = 2,
    CMD_UNCOMPRESS = 3,
    CMD_EXPAND = 4,
    CMD_DELETE = 5,
    CMD_COPY_CONVERT = 6,
    CMD_REMOTE = 7
};

const int CMD_KIND_COUNT = 8;

// The fields that only some kinds use.
enum class cmd_field { input, output, input_opt_id, output_opt_id, host, assoc_file_ext };

// True when a command of kind has field.
liboolean kind_uses_field(cmd_t kind, cmd_field field);

class cmd : public OIU_callback_multiple {
public:
    // Opens the installer's catalogue if needed; every text empty, no
    // sub-commands. list and owner are kept, not owned.
    cmd(cmd_t kind, l_product* list, product* owner);
    // A command still running is no longer listened to.
    ~cmd() override;
    cmd(const cmd&) = delete;

    // A new command of kind, of the class that builds and runs that kind's
    // line (ext_cmd, mt_cmd, ...), with no texts yet.
    static std::unique_ptr<cmd> create(cmd_t kind, l_product* list, product* owner);
    // A new command of this one's kind and owners, assigned from this one:
    // how a template becomes a ready command of a sequence.
    std::unique_ptr<cmd> copy() const;

    // Copies the texts, the built command line and the sub-command pointers;
    // the kind, error_reported and the owner pointers stay this command's own.
    cmd& operator=(const cmd& other);

    cmd_t kind() const { return kind_; }
    virtual product* prod() const { return prod_; }
    virtual l_product* prod_list() const { return prod_list_; }

    const listring& name() const { return name_; }
    const listring& dir() const { return dir_; }
    const listring& options() const { return options_; }
    const listring& get_cmd() const { return cmd_line_; }

    // The kind fields: a kind without the field shows the "no such field"
    // error naming this command and returns the (empty) field all the same.
    virtual const listring& input() const;
    virtual const listring& output() const;
    virtual const listring& host() const;
    virtual const listring& input_opt_id() const;
    virtual const listring& output_opt_id() const;
    virtual const listring& assoc_file_ext() const;

    // name and dir are stored cleaned; options as given.
    void set_name(const listring& value);
    void set_dir(const listring& value);
    virtual void set_options(const listring& value);

    // Store the value as given (an extraction's input and output and a
    // remote shell's host cleaned); a kind without the field shows the "no
    // such field" error and stores nothing. 0, or -1 after that error.
    virtual int set_input(const listring& value);
    virtual int set_output(const listring& value);
    virtual int set_host(const listring& value);
    virtual int set_input_opt_id(const listring& value);
    virtual int set_output_opt_id(const listring& value);
    virtual int set_assoc_file_ext(const listring& value);

    cmd* remote_cmd() const { return remote_cmd_; }
    cmd* copy_convert_cmd() const { return copy_convert_cmd_; }
    cmd* uncompress_cmd() const { return uncompress_cmd_; }
    void set_remote_cmd(cmd* c) { remote_cmd_ = c; }
    void set_copy_convert_cmd(cmd* c) { copy_convert_cmd_ = c; }
    void set_uncompress_cmd(cmd* c) { uncompress_cmd_ = c; }

    // Builds the kind's shell command line into get_cmd(). standalone is
    // true when the line runs by itself, false when it is a stage of
    // another command's line. 0, or -1 after the message of the check that
    // failed, the line then left empty.
    virtual int build_cmd_line(liboolean standalone) = 0;
    // Builds the line and starts it as a child of the product, whose output
    // and errors the event loop hands to read_cmd_output and
    // read_cmd_error. 0, or -1 after a message.
    virtual int execute(liboolean standalone);
    // The event loop's callbacks for a command started by execute: proc is
    // its proc_desc_t, value the descriptor. Lines are read and dropped
    // (errors go to the log); the end of output, once the child has ended,
    // closes the command and reports a failure once. Both return 1.
    virtual long read_cmd_output(OI_d_tech* origin, void* proc, long value);
    virtual long read_cmd_error(OI_d_tech* origin, void* proc, long value);

    int error_reported() const { return error_reported_; }
    void set_error_reported(int value) { error_reported_ = value; }

    // Remote or local execution holds for every command at once.
    static liboolean remote() { return remote_execute_; }
    static liboolean local() { return !remote_execute_; }
    static void set_remote() { remote_execute_ = true; }
    static void set_local() { remote_execute_ = false; }
    static liboolean executing() { return executing_; }

protected:
    // For the kinds' line building: the finished line, or empty.
    void set_cmd_line(const listring& line) { cmd_line_ = line; }
    static void set_executing(liboolean value) { executing_ = value; }

    // dir + "/" + name, as a word of a command line.
    listring program_path() const;
    // The checks every kind makes first: dir is a directory (DEF_BAD_DIR)
    // and holds name (DEF_BAD_CMD_IN_DIR). 0, or -1 after the message.
    int check_program() const;
    // Appends the line of other, a sub-command built as a stage, to line:
    // 0, -1 after missing when there is no sub-command, or the failed
    // build's result.
    static int stage_line(cmd* other, const kit_message& missing, listring& line);

    // Runs when a command started by execute has ended and its output is
    // read: succeeded is false when it exited non-zero, was killed or wrote
    // errors. Kinds add their completion here.
    virtual void completed(liboolean succeeded);

    // The timer routine that waits for the child once its output ended.
    long wait_for_end(OI_d_tech* origin, void* proc, long value);

private:
    // Reads and logs what waits on the child's standard error: true when
    // anything came (a failure for a single command).
    liboolean take_errors(proc_desc_t* proc);
    // Shows DEF_CMD_EXECUTION_FAILED once per run.
    void report_failure();
    // The end of a started command: reads what errors are left, forgets
    // the child and runs completed.
    void finish(proc_desc_t* proc, int wait_result, int wait_status);

    // True when this kind has field; otherwise shows message with the name.
    liboolean has_field(cmd_field field, const kit_message& message) const;

    cmd_t kind_;
    listring name_;
    listring dir_;
    listring options_;
    listring input_;
    listring output_;
    listring input_opt_id_;
    listring output_opt_id_;
    listring cmd_line_;
    cmd* remote_cmd_ = nullptr;
    cmd* copy_convert_cmd_ = nullptr;
    cmd* uncompress_cmd_ = nullptr;
    listring host_;
    listring assoc_file_ext_;
    int error_reported_ = 0;
    liboolean wrote_errors_ = false;
    // The child started by execute until it has been forgotten.
    proc_desc_t* running_ = nullptr;
    std::string pending_output_;
    std::string pending_errors_;
    product* prod_;
    l_product* prod_list_;

    static liboolean remote_execute_;
    static liboolean executing_;
};

#endif
