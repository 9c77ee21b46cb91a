// l_prim_opt: the primary installation options of one product, in the order
// of its option file {cfg}/{id}ins.cfg, which parse_config() reads. The list
// owns its options and deletes them; the product and l_product are only
// referred to.
#ifndef KITSETUP_PROD_L_PRIM_OPT_H
#define KITSETUP_PROD_L_PRIM_OPT_H

#include <nl_types.h>

#include "lib/typed_list.h"
#include "prod/prim_opt.h"

class l_product;
class product;

class l_prim_opt : public typed_list<prim_opt> {
public:
    // Remembers the owners, the option file and the product's catalogue
    // (for "msg_" values); the file is not read here.
    l_prim_opt(l_product* list, product* owner, const listring& option_file,
               nl_catd product_catalogue);
    ~l_prim_opt() override;
    l_prim_opt(const l_prim_opt&) = delete;
    l_prim_opt& operator=(const l_prim_opt&) = delete;

    // Appends one option per record of the option file. 0 when the file was
    // read without error; 1 when there is no such file (no message: the
    // product has no primary options); -1 after the first error, which ends
    // the read, or when the file is there but cannot be opened.
    // Keywords ignore case while the file is read.
    int parse_config();

    using typed_list<prim_opt>::elem;
    // The first option named exactly name, whatever the case setting; null
    // after DEF_SUBSET_DOES_NOT_EXIST when there is none.
    prim_opt* elem(const listring& name) const;

    // Makes picked the selected option and pre-selects the product's
    // top-level subsets from it: its subsets ("all" for every one) and the
    // mandatory ones, its hidden subsets deselected and hidden, the others'
    // hidden subsets shown again. An installed product keeps the subset
    // choice of its last installation: only the marks and hiding change.
    void apply(prim_opt* picked);

    const listring& option_file() const { return option_file_; }
    product* prod() const { return prod_; }
    l_product* prod_list() const { return prod_list_; }

protected:
    listring element_name(const prim_opt& element) const override { return element.name(); }

private:
    // Appends a new option numbered option_number and applies each parameter
    // of record to it: 0, or -1 at the first failing parameter.
    int parse_record(const listring& record, int option_number);
    // Applies one keyword and its value to the current option: 0 or -1.
    int apply_parameter(const listring& keyword, const listring& value, int option_number);

    // Setters of the current (last) option; each returns 0 or -1.
    int set_name(const listring& value, int option_number);
    int set_desc(const listring& value, int option_number);
    int set_bitmap(const listring& value, int option_number);
    // Appends the names of value to the subset or hidden list that keyword
    // names; a value starting with "0" adds none.
    int set_list(const listring& value, const listring& keyword, int option_number);
    // Sets fixed for a true flag; -1 after DEF_BAD_FLAG for no flag.
    int set_flag(const listring& value, const listring& keyword, int option_number);

    l_product* prod_list_;
    product* prod_;
    listring option_file_;
    nl_catd catalogue_;
};

#endif
