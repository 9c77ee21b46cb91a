// l_cmd: an ordered list of commands that owns them (removing one deletes
// it). A product's list holds its eight templates in cmd_t order, read from
// the command configuration file, and the four media defaults; an install
// sequence is a second list of copies that runs from its head.
#ifndef KITSETUP_CMDS_L_CMD_H
#define KITSETUP_CMDS_L_CMD_H

#include <fstream>

#include "cmds/cmd.h"
#include "lib/typed_list.h"
#include "toolkit/oiu_callback_multiple.h"

struct cmd_key_rule;

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

    // State of a running sequence.
    const listring& last_file() const { return last_file_; }
    void set_last_file(const listring& file) { last_file_ = file; }
    std::ofstream& fileset_log() { return fileset_log_; }
    liboolean first_cmd() const { return first_cmd_; }
    void set_first_cmd(liboolean value) { first_cmd_ = value; }
    liboolean halted() const { return halted_; }
    void set_halted(liboolean value) { halted_ = value; }
    liboolean finished() const { return finished_; }
    void set_finished(liboolean value) { finished_ = value; }
    liboolean cleaning_up() const { return cleaning_up_; }
    void set_cleaning_up(liboolean value) { cleaning_up_ = value; }
    float percent() const { return percent_; }
    void set_percent(float value) { percent_ = value; }

protected:
    listring element_name(const cmd& element) const override { return element.name(); }

private:
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
    std::ofstream fileset_log_;
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
};

#endif
