#include "prod/l_prim_opt.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "lib/listream.h"
#include "misc/config_entries.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "prod/product.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

namespace {

const list_labels prim_opt_labels = {" primary option", "Install option"};

// The existing subset named name in subsets; empty names and names of no
// subset are passed over silently.
subset* named_subset(const l_subset* subsets, const listring& name)
{
    return name.is_empty() || subsets == nullptr ? nullptr : subsets->find(name);
}

// Selects the subsets that option names, then the mandatory ones.
void select_named_subsets(const prim_opt& option, const l_subset& subsets)
{
    const l_listring& names = option.subset_options();
    for (unsigned i = 0; i < names.entries(); ++i) {
        const listring& name = *names.elem(i);
        if (case_insensitive_section ignore_case; name == ALL_STRING) {
            for (unsigned j = 0; j < subsets.entries(); ++j)
                subsets.elem(j)->choose(true);
            break;
        }
        if (subset* option_subset = named_subset(&subsets, name))
            option_subset->choose(true);
    }
    for (unsigned j = 0; j < subsets.entries(); ++j)
        if (subsets.elem(j)->is_mandatory())
            subsets.elem(j)->choose(true);
}

}  // namespace

l_prim_opt::l_prim_opt(l_product* list, product* owner, const listring& option_file,
                       nl_catd product_catalogue)
    : typed_list<prim_opt>(prim_opt_labels),
      prod_list_(list),
      prod_(owner),
      option_file_(option_file),
      catalogue_(product_catalogue)
{
}

l_prim_opt::~l_prim_opt()
{
    for (unsigned i = 0; i < entries(); ++i)
        delete static_cast<prim_opt*>(List::elem(i));
    empty();
}

// Lines that are neither empty nor comments are joined into one record; an
// empty line, a comment line or the end of the file ends it.
int l_prim_opt::parse_config()
{
    errno = 0;
    listream file(option_file_.c_str());
    if (!file.is_open()) {
        // Only a missing file means the product has no primary options; one
        // that is there but cannot be read is an error.
        int open_errno = errno;
        if (open_errno == ENOENT)
            return 1;
        error(format_message(DEF_CANT_OPEN_FILE, option_file_.c_str(), std::strerror(open_errno)),
              true);
        return -1;
    }
    case_insensitive_section ignore_case;
    listring record;
    listring line;
    int option_number = 0;
    for (;;) {
        file.getline(&line);
        liboolean at_end = !file.good();
        line.clean();
        liboolean ends_record = line.is_empty() || line[0u] == '#';
        if (!ends_record)
            record += line;
        if (refuse_nul_line(file, option_file_) != 0)
            return -1;
        if ((ends_record || at_end) && !record.is_empty()) {
            if (parse_record(record, ++option_number) != 0)
                return -1;
            record.empty();
        }
        if (at_end)
            return 0;
    }
}

prim_opt* l_prim_opt::elem(const listring& name) const
{
    prim_opt* found = find_by_key(name, [](const prim_opt& option) { return option.name(); });
    if (found == nullptr)
        error(format_message(DEF_SUBSET_DOES_NOT_EXIST, name.c_str()), true);
    return found;
}

int l_prim_opt::parse_record(const listring& record, int option_number)
{
    std::unique_ptr<prim_opt> option(new prim_opt);
    if (add(option.get()) != 0)
        return -1;
    option.release();
    return for_each_parameter(record, catalogue_, [this, option_number](const listring& keyword,
                                                                      const listring& value) {
        return apply_parameter(keyword, value, option_number) != 0 ? -1 : 0;
    });
}

int l_prim_opt::apply_parameter(const listring& keyword, const listring& value,
                                int option_number)
{
    if (keyword == INST_OPT_NAME_STRING)
        return set_name(value, option_number);
    if (keyword == INST_OPT_DESC_STRING)
        return set_desc(value, option_number);
    if (keyword == INST_OPT_BITMAP_STRING)
        return set_bitmap(value, option_number);
    if (keyword == INST_OPT_OPTIONS_STRING || keyword == INST_OPT_HIDE_STRING)
        return set_list(value, keyword, option_number);
    if (keyword == INST_OPT_FIXED_STRING)
        return set_flag(value, keyword, option_number);
    error(format_message(DEF_BAD_KEYWORD, option_file_.c_str(), keyword.c_str(), option_number),
          true);
    return -1;
}

int l_prim_opt::set_name(const listring& value, int option_number)
{
    elem(static_cast<unsigned>(option_number - 1))->name(value);
    return 0;
}

int l_prim_opt::set_desc(const listring& value, int option_number)
{
    elem(static_cast<unsigned>(option_number - 1))->description(value);
    return 0;
}

int l_prim_opt::set_bitmap(const listring& value, int option_number)
{
    elem(static_cast<unsigned>(option_number - 1))->bitmap(value);
    return 0;
}

// Empty pieces are kept: applying the option ignores empty names, and the
// names are not checked against the subsets.
int l_prim_opt::set_list(const listring& value, const listring& keyword, int option_number)
{
    prim_opt* option = elem(static_cast<unsigned>(option_number - 1));
    liboolean hidden = keyword == INST_OPT_HIDE_STRING;
    return split_name_list(value, [option, hidden](const listring& name) {
        return hidden ? option->add_hidden_option(name) : option->add_subset_option(name);
    });
}

int l_prim_opt::set_flag(const listring& value, const listring& keyword, int option_number)
{
    if (!valid_flag(value)) {
        error(format_message(DEF_BAD_FLAG, option_file_.c_str(), keyword.c_str()), true);
        return -1;
    }
    if (string_to_boolean(value))
        elem(static_cast<unsigned>(option_number - 1))->set_fixed(true);
    return 0;
}

void l_prim_opt::apply(prim_opt* picked)
{
    if (picked == nullptr)
        return;
    for (unsigned i = 0; i < entries(); ++i)
        elem(i)->set_selected(elem(i) == picked);
    const l_subset* subsets = prod_->install_opts()->entries();
    if (subsets == nullptr)
        return;
    liboolean keep_choice = prod_->was_installed();
    if (!keep_choice)
        for (unsigned j = 0; j < subsets->entries(); ++j)
            subsets->elem(j)->choose(false);
    for (unsigned i = 0; i < entries(); ++i) {
        prim_opt* option = elem(i);
        if (option != picked) {
            const l_listring& hidden = option->hidden_options();
            for (unsigned j = 0; j < hidden.entries(); ++j)
                if (subset* shown = named_subset(subsets, *hidden.elem(j)))
                    shown->set_hidden(false);
        } else if (!keep_choice) {
            select_named_subsets(*option, *subsets);
        }
    }
    const l_listring& hidden = picked->hidden_options();
    for (unsigned j = 0; j < hidden.entries(); ++j) {
        subset* hide = named_subset(subsets, *hidden.elem(j));
        if (hide == nullptr || hide->is_mandatory())
            continue;
        hide->set_hidden(true);
        if (!keep_choice)
            hide->set_selected(false);
    }
}
