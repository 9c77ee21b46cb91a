#include "opts/subset.h"

#include <utility>

#include "cmds/l_cmd.h"
#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "prod/product.h"
#include "toi/toi_init.h"

subset::subset(t_subset* parent, subset* owner) : t_subset(parent, owner, listring()) {}

// The dependency names are the list's own copies.
subset::~subset()
{
    dependencies_.delete_all();
}

int subset::add_dependency(const listring& name)
{
    return dependencies_.add(name);
}

void subset::set_suboptions(std::unique_ptr<t_subset> options)
{
    suboptions_ = std::move(options);
}

void subset::choose(liboolean on)
{
    selected_ = on;
    default_ = on;
}

namespace {

// Appends a copy of template, whose line is built first: 0, or -1 when the
// line cannot be built (its message shown) or the list cannot grow.
int append_built(l_cmd& list, cmd* template_cmd, liboolean standalone)
{
    if (template_cmd->build_cmd_line(standalone) != 0)
        return -1;
    std::unique_ptr<cmd> ready = template_cmd->copy();
    if (list.add(ready.get()) != 0)
        return -1;
    ready.release();
    return 0;
}

}  // namespace

std::unique_ptr<l_cmd> subset::extract_cmds(liboolean flag)
{
    product* owner = current_prod();
    auto commands = std::make_unique<l_cmd>(all_products(), owner, owner->id());
    parent()->current_opt(this);
    l_cmd& sequence = *owner->install_opts()->install_cmds();
    liboolean tape = owner->media() == MEDIA_TAPE;
    if (volume_ > sequence.tape_volume()) {
        sequence.set_tape_position(0);
        sequence.set_tape_volume(sequence.tape_volume() + 1);
    }
    while (tape && position_ > sequence.tape_position() + 1) {
        if (append_built(*commands, cmd_templates(CMD_SKIP), true) != 0)
            return nullptr;
        sequence.set_tape_position(sequence.tape_position() + 1);
    }
    if (tape && position_ != sequence.tape_position() + 1)
        information(catalogue_text(DEF_MUST_REWIND), true);
    if (append_built(*commands, cmd_templates(CMD_EXTRACT), flag) != 0)
        return nullptr;
    sequence.set_tape_position(position_);
    const l_subset* members = suboptions_ == nullptr ? nullptr : suboptions_->entries();
    for (unsigned i = 0; members != nullptr && i < members->entries(); ++i) {
        subset* member = members->elem(i);
        if (member->is_archive() || !member->is_selected())
            continue;
        cmd* remove = cmd_templates(CMD_DELETE);
        remove->set_input(shell_word(member->name()));
        if (append_built(*commands, remove, true) != 0)
            return nullptr;
    }
    return commands;
}

namespace {

// Runs script in owner's interpreter, "CURR_OPTION" set to option when
// one is given: the script's result, or -1 when the file is missing.
int run_subset_script(product& owner, const listring& script, const listring* option)
{
    if (!valid_file(script, F_OK)) {
        error(format_message(DEF_SCRIPT_DOES_NOT_EXIST, script.c_str()), true);
        return -1;
    }
    if (option != nullptr)
        set_variable(owner.interpreter(), CURR_OPTION_VAR_STRING, *option);
    return evaluate_file(owner.interpreter(), script);
}

}  // namespace

int subset::execute_install()
{
    if (!install_) {
        error(format_message(DEF_SUBSET_NO_INSTALL, description_.c_str()), true);
        return -1;
    }
    product* owner = current_prod();
    if (owner->create_dist_server())
        return 0;
    return run_subset_script(*owner, product::subset_install_script(name_), &description_);
}

int subset::execute_deinstall()
{
    if (!deinstall_) {
        error(format_message(DEF_SUBSET_NO_DEINSTALL, description_.c_str()), true);
        return -1;
    }
    return run_subset_script(*current_prod(), product::subset_deinstall_script(name_), nullptr);
}
