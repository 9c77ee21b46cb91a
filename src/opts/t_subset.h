// t_subset: one set of subsets in a product's subset tree, read from its
// subset definition file: the product's top level from {cfg}/{id}prd.cfg,
// a subset's nested set from {cfg}/{name}.cfg. The set owns its entries;
// the root of the tree (prod_opts) answers for the product and its lists.
#ifndef KITSETUP_OPTS_T_SUBSET_H
#define KITSETUP_OPTS_T_SUBSET_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "cmds/cmd.h"
#include "lib/listring.h"

class l_cmd;
class l_product;
class l_subset;
class product;
class subset;

class t_subset {
public:
    // A set named name: the product identifier for the top level (no
    // parent), else the owning subset's name. The file is not read here.
    t_subset(t_subset* parent, subset* owner, const listring& name);
    virtual ~t_subset();
    t_subset(const t_subset&) = delete;
    t_subset& operator=(const t_subset&) = delete;

    // The top-level set: this one when it has no parent.
    virtual t_subset* root();
    virtual t_subset* parent() const { return parent_; }
    virtual subset* owner() const { return owner_; }
    // The entries in file order; null until the first subset is added.
    virtual l_subset* entries() const { return entries_.get(); }
    // The product, its list and its command templates, asked of the root.
    // A set whose root cannot answer shows DEF_NO_ROOT_OPTION and ends the
    // program (-1).
    virtual product* current_prod();
    virtual l_product* all_products();
    virtual l_cmd* cmd_templates();
    virtual cmd* cmd_templates(cmd_t kind);

    // Reads the definition file, appending one subset per record and
    // reading nested sets as their "Opt" records ask. 0, or -1 after the
    // message of the first failure, which ends the read.
    int parse_config();

    const listring& file() const { return file_; }
    // The entry at index, through the entries list (fatal when out of range).
    subset* elem(unsigned index);
    // The entry named exactly name; null after DEF_SUBSET_DOES_NOT_EXIST.
    subset* elem(const listring& name);
    subset* current_opt() const { return current_option_; }
    void current_opt(subset* option) { current_option_ = option; }

    // Kilobytes the set needs on the target for the product's media; with
    // own_sizes_only a subset with sub-options counts its own size instead
    // of its selected sub-options' sizes. Summed wide: each size may be as
    // large as an int holds.
    std::int64_t space_reqd(liboolean own_sizes_only);
    // Files in the selected entries of this set, nested sets not included.
    std::int64_t total_files();

    // Parser setters for the subset that record number record_number
    // describes; each returns 0, or -1 after its message.
    int set_name(const listring& value, int record_number);
    int set_desc(const listring& value, int record_number);
    int set_flag(const listring& value, const listring& keyword, int record_number);
    int set_list(const listring& value, int record_number);
    int set_integer(const listring& value, const listring& keyword, int record_number);

    // Takes name for a subset of this tree: false when some subset of the
    // tree, read or still being read, already has it (compared exactly).
    liboolean claim_name(const listring& name);

protected:
    // Creates and reads the nested set of owner; the sub-option dialog
    // that shows the set is built on this same class.
    virtual std::unique_ptr<t_subset> make_nested_set(subset* owner);

private:
    // Applies every parameter of one record: 0, 1 when the record was
    // dropped for not naming its subset first, -1 at the first failure.
    int parse_record(const listring& record, int record_number);
    int apply_parameter(const listring& keyword, const listring& value, int record_number);
    // The subset the current record acts on.
    subset* record_subset();
    // Adds option to the entries, which own it from then on: 0, or -1 after
    // the list's message.
    int append(std::unique_ptr<subset> option);
    // The root that answers for this set; ends the program (-1) after
    // DEF_NO_ROOT_OPTION when there is none.
    t_subset* answering_root();

    t_subset* parent_;
    subset* owner_;
    listring file_;
    std::unique_ptr<l_subset> entries_;
    subset* current_option_ = nullptr;
    // Index of the subset the record being read names.
    unsigned record_entry_ = 0;
    int record_number_ = 0;
    liboolean name_seen_ = false;
    // Every name taken in the tree, kept by the root. A nested set's file
    // is named after its subset, so a repeated name would read a file that
    // is already being read, without end.
    std::unordered_set<std::string> names_;
};

#endif
