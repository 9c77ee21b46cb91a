// l_cmd: an ordered list of commands that owns them (removing one deletes
// it). A product's list holds its eight templates in cmd_t order, read from
// the command configuration file, and the four media defaults; an install
// sequence is a second list of copies that runs from its head.
#ifndef KITSETUP_CMDS_L_CMD_H
#define KITSETUP_CMDS_L_CMD_H

#include <memory>
#include <string>

#include "cmds/cmd.h"
#include "lib/descriptor.h"
#include "lib/typed_list.h"
#include "toolkit/oiu_callback_multiple.h"

struct cmd_key_rule;
struct proc_desc_t;

class l_cmd : public OIU_callback_multiple, public typed_list<cmd> {
public:
    // Opens the catalogue if needed and reads KARCH: when it is empty the
    // user is warned and, unless going on, the program ends with -1. The
    // configuration file is {cfg}/{arch}/{product_id}cmd.cfg.
    l_cmd(l_product* list, product* owner, const listring& product_id);
    ~l_cmd() override;

    // The command configuration file of product_id for architecture arch.
    static listring config_file_path(const listring& arch, const listring& product_id);

    // Removes entry i and deletes its command: the list's result, or -1
    // after the subscript error when i is out of range.
    int remove(unsigned i) override;
    // Drops the finished command at the head of a running sequence.
    int tail() override { return remove(0); }

    // Fills the list with the eight templates and reads config_file into
    // them, reporting every bad line. 0, or -1 when anything failed; when
    // the file cannot be opened the list stays empty.
    int parse_config();

    const listring& config_file() const { return config_file_; }
    void set_config_file(const listring& path) { config_file_ = path; }
    product* prod() const { return prod_; }
    l_product* prod_list() const { return prod_list_; }

    const listring& cd_source_default() const { return cd_source_default_; }
    const listring& tape_source_default() const { return tape_source_default_; }
    const listring& fs_product_dir_default() const { return fs_product_dir_default_; }
    const listring& ds_product_dir_default() const { return ds_product_dir_default_; }

    // Where a running sequence stands on the tape.
    int tape_volume() const { return tape_volume_; }
    int tape_position() const { return tape_position_; }
    void set_tape_volume(int volume) { tape_volume_ = volume; }
    void set_tape_position(int position) { tape_position_ = position; }

    // ---- Running an install sequence ------------------------------------
    // The sequence runs one command line at a time through /bin/sh as a
    // child of the product; everything else happens in the event loop's
    // callbacks: output lines become the status, the log, the gauge and the
    // file-set log; a failure, a stop or the last command's end leads to
    // cleanup. No call waits for a child.

    // With start true begins the sequence, else starts its next command: 0
    // when one was started, cleanup's result when none is left, -1 after a
    // message (a rewind still running, a child that cannot be started).
    int execute_in_seq(liboolean start);
    // The callbacks of the running command's standard output and error
    // (proc its proc_desc_t, value the descriptor). 1, or what
    // execute_in_seq gives when the output's end started the next command.
    long read_cmd_output(OI_d_tech* origin, void* proc, long value);
    long read_cmd_error(OI_d_tech* origin, void* proc, long value);
    // Adds bytes' share of the space the installation needs to the
    // running percentage (which stops at 100) and returns the gauge value.
    int get_gauge_setting(int bytes);
    // Ends the sequence: on success records the installation and reports
    // it; after a failure or a stop records what was installed and offers
    // its removal. 1, -1 after a message, or the installation scripts'
    // result (-1 or 1) when they end it.
    int cleanup();
    // The transfer dialog's stop, once its stopped flag is set: kills the
    // running command, empties the sequence and runs cleanup. A dialog that
    // only kills the children and sets its flag gets the same end when the
    // killed command's output ends, without a failure message.
    int stop();
    // The program is ending in the middle of an installation (a signal, the
    // display gone): the running command is killed and what was extracted
    // is recorded, as after a stop, without asking anything.
    static void record_interrupted_installation();

    // Offers the printer configuration after an installation; set by the
    // dialogs above this layer. Without one nothing is offered.
    using printer_offer = void (*)(product& installed);
    static void set_printer_offer(printer_offer offer) { printer_offer_ = offer; }

    // State of a running sequence.
    const listring& last_file() const { return last_file_; }
    liboolean first_cmd() const { return first_cmd_; }
    liboolean halted() const { return halted_; }
    // A command of the sequence is running.
    liboolean running() const { return running_ != nullptr; }
    liboolean finished() const { return finished_; }
    liboolean cleaning_up() const { return cleaning_up_; }
    float percent() const { return percent_; }

protected:
    listring element_name(const cmd& element) const override { return element.name(); }

private:
    // One output line of the running command (parser names its form): 0,
    // or 1 when the sequence was ended while it was handled.
    int process_line(const listring& line, const listring& parser);
    // The form of the running command's output lines: kcp's for disk
    // media, else the command's own.
    listring output_parser() const;
    // Cancels the timers that wait for the running command's end and its
    // next output.
    void stop_timers();
    // Handles the output lines a failing command left in its pipe.
    void take_waiting_output(proc_desc_t* proc);
    // Records last_file in the file-set log (asking whether to go on when
    // it cannot be examined and ask is true): 0, or 1 when the sequence
    // was ended instead.
    int record_last_file(liboolean ask);
    // Advances the gauge by bytes and stores the percentage in the product.
    void advance_gauge(long bytes);
    // The end of a command's output, once its child is gone.
    long wait_for_end(OI_d_tech* origin, void* proc, long value);
    // Watches the running command's standard output again after a pause.
    long resume_output(OI_d_tech* origin, void* proc, long value);
    void finish_command(proc_desc_t* proc, int wait_result, int wait_status);
    // Reads the running command's standard error: 1 when more may come, 0
    // at its end or when nothing waits, -1 when the command failed and the
    // sequence was ended.
    int take_errors(proc_desc_t* proc);
    // Ends the running command after a failure: kills it, empties the
    // sequence and marks it failed.
    void abandon();
    // Deletes every command of the sequence.
    void empty_sequence();
    // halted also stops listening to the running command, so its pipes
    // wait (and the event loop does not spin) while a question is up.
    void set_halted(liboolean value);
    void watch(proc_desc_t* proc, liboolean on);
    // Opens the file-set log for a new installation: 0, or -1 after
    // DEF_CANT_OPEN_FILE and DEF_MUST_RECORD.
    int open_fileset_log();
    // Writes out and closes the file-set log: 0, or -1 after a message.
    int close_fileset_log();
    // Writes the buffered records: 0, or -1 after a message.
    int flush_fileset_log();
    // Closes the file-set log after a failure or a stop and writes the data
    // file when files were extracted, or removes both records when none
    // were: 1 when an installation is left to offer the removal of, 0 when
    // none is, -1 when the data file could not be written (after a message).
    int record_partial_installation();
    void popdown_transfer();
    // The transfer dialog's stop was pressed: what its killed command
    // reports is no failure of its own.
    liboolean stopping() const;
    // Starts the background rewind after a tape installation.
    void rewind_tape();

    // Appends one template of each kind in cmd_t order and wires the
    // sub-commands. -1 when an append failed (the others still go in).
    int add_templates();
    // Stores value where rule says, reporting what is wrong with it on
    // line. 0 or -1.
    int apply_entry(const cmd_key_rule& rule, const listring& value, int line);

    product* prod_;
    l_product* prod_list_;
    listring config_file_;
    listring last_file_;
    // The size of last_file_ was not in its line (cpio): it counts when
    // the file is recorded.
    liboolean last_size_unknown_ = false;
    descriptor fileset_log_;
    std::string fileset_records_;
    proc_desc_t* running_ = nullptr;
    std::string pending_output_;
    std::string pending_errors_;
    // The running command's standard output rests after a read.
    liboolean output_paused_ = false;
    // The next wait for the running command's end: short at first, since
    // a command whose output has ended is about to end itself.
    unsigned long end_poll_ms_ = 1;
    liboolean command_failed_ = false;
    liboolean sequence_failed_ = false;
    // Whether the sequence writes the file-set log and, after a stop, the
    // data file: not for a distribution server of an installed product.
    liboolean keeps_records_ = true;
    std::unique_ptr<cmd> rewind_;
    static printer_offer printer_offer_;
    // The sequence whose commands run now; one installation runs at a time.
    static l_cmd* running_sequence_;
    int tape_volume_ = 1;
    int tape_position_ = 0;
    listring cd_source_default_;
    listring tape_source_default_;
    listring fs_product_dir_default_;
    listring ds_product_dir_default_;
    liboolean first_cmd_ = false;
    liboolean halted_ = false;
    liboolean finished_ = false;
    liboolean cleaning_up_ = false;
    float percent_ = 0.0f;
    // The space the running installation needs, in KB, looked up once per
    // sequence (the choice cannot change while it runs); -1 until then.
    double required_kb_ = -1;
};

#endif
