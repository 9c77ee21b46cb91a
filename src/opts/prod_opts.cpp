#include "opts/prod_opts.h"

#include <sys/stat.h>

#include "cmds/l_cmd.h"
#include "lib/l_listring.h"
#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "opts/l_subset.h"
#include "opts/subset.h"
#include "prod/l_product.h"
#include "prod/product.h"
#include "prod/progress_views.h"

prod_opts::prod_opts(l_product* list, product* owner)
    : t_subset(nullptr, nullptr, owner->id()),
      prod_(owner),
      prod_list_(list),
      install_cmds_(std::make_unique<l_cmd>(list, owner, owner->id()))
{
}

prod_opts::~prod_opts() = default;

l_cmd* prod_opts::cmd_templates()
{
    return prod_->cmd_templates();
}

cmd* prod_opts::cmd_templates(cmd_t kind)
{
    return prod_->cmd_templates(kind);
}

namespace {

// The directory below a target that holds the product's copy of the
// installer.
const char* const INSTALLER_SUBDIR = "install";

// True when a and b name the same directory: the same file when both
// exist (however they are spelt), else the same text.
liboolean same_directory(const listring& a, const listring& b)
{
    struct stat first {}, second {};
    if (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return a == b;
}

liboolean names(const l_listring& list, const listring& name)
{
    case_sensitive_section exact;
    for (unsigned i = 0; i < list.entries(); ++i)
        if (*list.elem(i) == name)
            return true;
    return false;
}

listring with_suffix(const listring& id, const listring& suffix)
{
    listring name(id);
    name += suffix;
    return name;
}

void empty_commands(l_cmd& commands)
{
    while (commands.entries() > 0)
        commands.remove(0);
}

}  // namespace

liboolean prod_opts::stopped() const
{
    return prod_->transfer() != nullptr && prod_->transfer()->stopped();
}

int prod_opts::find_shared_common(const listring& common_dir)
{
    common_shared_ = false;
    liboolean others = false;
    for (unsigned i = 0; prod_list_ != nullptr && i < prod_list_->entries(); ++i) {
        product* other = prod_list_->elem(i);
        if (other == prod_ || other->id() == prod_->id() || !other->was_installed())
            continue;
        if (other->parse_data_file() != 0)
            return -1;
        others = true;
        if (join_directory(other->target(), COMMON_DIR1) == common_dir)
            common_shared_ = true;
    }
    common_link_ = others && is_link(TARNU_COMMON);
    return 0;
}

int prod_opts::start_tape()
{
    cmd* extract = cmd_templates(CMD_EXTRACT);
    if (cmd::remote()) {
        // The device on another host cannot be examined from here.
        if (!warning(format_message(DEF_NO_REMOTE_TAPE_CHECK, extract->input().c_str()), true))
            return -1;
    } else if (!is_nonrewind(extract->input())) {
        return -1;
    }
    cmd* rewind = cmd_templates(CMD_REWIND);
    if (rewind->build_cmd_line(true) != 0)
        return -1;
    std::unique_ptr<cmd> first = rewind->copy();
    if (install_cmds_->add(first.get()) != 0)
        return -1;
    first.release();
    return 0;
}

int prod_opts::extract(subset* option, l_listring& handled)
{
    if (handled.add(option->name()) != 0)
        return -1;
    std::unique_ptr<l_cmd> built = option->extract_cmds(false);
    if (built == nullptr)
        return -1;
    // The list deletes what it removes, so each command moves as a copy.
    while (built->entries() > 0) {
        std::unique_ptr<cmd> next = built->elem(0)->copy();
        if (install_cmds_->add(next.get()) != 0)
            return -1;
        next.release();
        built->remove(0);
    }
    return 0;
}

int prod_opts::extract_dependencies(subset* option, l_listring& handled)
{
    listring common_name = with_suffix(prod_->id(), CMN_ARCHIVE_SUFFIX);
    const l_listring& dependencies = option->dependencies();
    for (unsigned i = 0; i < dependencies.entries(); ++i) {
        const listring& name = *dependencies.elem(i);
        if (names(handled, name))
            continue;
        subset* dependency = elem(name);
        if (dependency == nullptr)
            return -1;
        if (name == common_name) {
            const char* product_name = prod_->short_description().c_str();
            liboolean wanted = true;
            if (common_shared_)
                wanted = confirm(format_message(DEF_CMN_DIR_EXISTS, product_name), true);
            else if (common_link_)
                wanted = confirm(format_message(DEF_CMN_LINK_EXISTS, product_name), true);
            if (!wanted)
                continue;
        }
        if (extract(dependency, handled) != 0)
            return -1;
    }
    return 0;
}

// Creating a distribution server copies every subset; from a CD or a
// distribution server the installer's own subset comes along (unless the
// target's installer is this very one); otherwise the selected subsets go,
// each after its dependencies, the installer's and the common subset only
// as dependencies. Each subset is copied once.
int prod_opts::extract_subsets()
{
    const listring& target = prod_->target();
    listring install_name = with_suffix(prod_->id(), INST_ARCHIVE_SUFFIX);
    listring common_name = with_suffix(prod_->id(), CMN_ARCHIVE_SUFFIX);
    liboolean whole_media = prod_->create_dist_server();
    liboolean disc = prod_->media() == MEDIA_CD || prod_->media() == MEDIA_DISTRIBUTION;
    liboolean own_installer = same_directory(join_directory(target, INSTALLER_SUBDIR), INSTALL_DIR);
    unsigned count = entries() == nullptr ? 0 : entries()->entries();
    l_listring handled;
    int status = 0;
    case_sensitive_section exact;
    for (unsigned i = 0; status == 0 && i < count; ++i) {
        subset* option = elem(i);
        // A subset that an earlier one brought along as its dependency is
        // in place already; on tape a second copy would lie behind the head.
        if (names(handled, option->name()))
            continue;
        liboolean installer = option->name() == install_name;
        if (whole_media || (disc && installer)) {
            if (!installer || !own_installer)
                status = extract(option, handled);
            continue;
        }
        if (!option->is_selected() || installer || option->name() == common_name)
            continue;
        status = extract_dependencies(option, handled);
        if (status == 0)
            status = extract(option, handled);
    }
    handled.delete_all();
    return status;
}

int prod_opts::install()
{
    l_cmd& sequence = *install_cmds_;
    empty_commands(sequence);
    sequence.set_tape_volume(1);
    sequence.set_tape_position(0);
    if (find_shared_common(join_directory(prod_->target(), COMMON_DIR1)) != 0)
        return -1;
    liboolean any = entries() != nullptr && entries()->entries() > 0;
    // Whatever ends it here leaves no command behind: none may run later.
    // A sequence that cannot start has said why.
    if ((prod_->media() == MEDIA_TAPE && any && start_tape() != 0) || stopped() || extract_subsets() != 0 ||
        stopped() || sequence.execute_in_seq(true) == -1) {
        empty_commands(sequence);
        return -1;
    }
    return 0;
}
