// prim_opt: one primary installation option of a product (for example a
// full or a minimal installation): its texts, its icon, the subsets it
// selects and hides, and whether its choice is final. It owns both name lists.
#ifndef KITSETUP_PROD_PRIM_OPT_H
#define KITSETUP_PROD_PRIM_OPT_H

#include "lib/l_listring.h"
#include "lib/listring.h"

class prim_opt {
public:
    prim_opt();
    ~prim_opt();
    prim_opt(const prim_opt&) = delete;
    prim_opt& operator=(const prim_opt&) = delete;

    void name(const listring& value) { name_ = value; }
    void description(const listring& value) { description_ = value; }
    // The icon file name, stored as written.
    void bitmap(const listring& value) { bitmap_ = value; }
    void set_fixed(liboolean value) { fixed_ = value; }
    void set_selected(liboolean value) { selected_ = value; }
    // Append a copy of a subset name: 0, or -1 after the add-error box.
    int add_subset_option(const listring& subset);
    int add_hidden_option(const listring& subset);

    const listring& name() const { return name_; }
    const listring& description() const { return description_; }
    const listring& bitmap() const { return bitmap_; }
    // Subsets the option selects ("all" stands for every one).
    const l_listring& subset_options() const { return subset_options_; }
    // Subsets the option selects away and hides.
    const l_listring& hidden_options() const { return hidden_options_; }
    // True when no sub-option dialog may follow the option's choice.
    liboolean fixed() const { return fixed_; }
    liboolean selected() const { return selected_; }

private:
    listring name_;
    listring description_;
    listring bitmap_;
    l_listring subset_options_;
    l_listring hidden_options_;
    liboolean fixed_ = false;
    liboolean selected_ = false;
};

#endif
