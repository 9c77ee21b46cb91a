#include "cmds/ext_cmd.h"

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "opts/l_subset.h"
#include "opts/prod_opts.h"
#include "opts/subset.h"
#include "prod/product.h"

namespace {

// prefix + value as one shell word ("-M/path/map", "-T/opt/kps").
listring flag_word(const listring& prefix, const listring& value)
{
    listring word(prefix);
    word += value;
    return shell_word(word);
}

}  // namespace

// The source is checked only where it is read: a remote tape is the tape
// host's, so it cannot be looked at here.
int ext_cmd::build_cmd_line(liboolean standalone)
{
    set_cmd_line(listring());
    product* owner = prod();
    media_t media = owner == nullptr ? MEDIA_TAPE : owner->media();
    if (local()) {
        liboolean there = media == MEDIA_TAPE ? valid_file(input(), F_OK) : valid_directory(input());
        if (!there) {
            error(format_message(DEF_BAD_CMD_INPUT_FILE, name().c_str(), input().c_str()), true);
            return -1;
        }
    }
    if (!valid_directory(output())) {
        error(format_message(DEF_BAD_CMD_OUTPUT_DIR, name().c_str(), output().c_str()), true);
        return -1;
    }
    prod_opts* settings = owner == nullptr ? nullptr : owner->install_opts();
    const subset* option = settings == nullptr ? nullptr : settings->current_opt();
    if (media != MEDIA_TAPE)
        return build_copy_line(option);
    return build_tape_line(option, standalone);
}

int ext_cmd::build_copy_line(const subset* option)
{
    if (architecture().is_empty() && !warning(catalogue_text(DEF_ARCH_NOT_DEFINED), true))
        end_program(-1);
    listring line(shell_word(join_directory(BIN_DIR, KCP_UTILITY)));
    line += " ";
    if (prod()->media() == MEDIA_DISTRIBUTION) {
        line += KCP_IGNORE_FLAG;
        line += " ";
    }
    line += flag_word(KCP_MAP_ARG, join_directory(MAP_DIR, option == nullptr ? listring() : option->name()));
    line += " ";
    line += flag_word(KCP_SOURCE_ARG, input());
    line += " ";
    line += flag_word(KCP_TARGET_ARG, output());
    line += " ";
    line += STDERR_REDIRECT;
    set_cmd_line(line);
    return 0;
}

// The remote shell prefixes only the copy-convert stage: the raw copy runs
// where the drive is, the rest here.
int ext_cmd::build_tape_line(const subset* option, liboolean standalone)
{
    if (check_program() != 0)
        return -1;
    listring line(CHDIR_CMD);
    line += " ";
    line += shell_word(output());
    line += "; ";
    if (remote()) {
        if (stage_line(remote_cmd(), DEF_BAD_REMOTE_CMD, line) != 0)
            return -1;
    }
    if (stage_line(copy_convert_cmd(), DEF_BAD_DD_CMD, line) != 0)
        return -1;
    line += " | ";
    if (option != nullptr && option->is_compressed() && !standalone) {
        if (stage_line(uncompress_cmd(), DEF_BAD_UNCOMPRESS_CMD, line) != 0)
            return -1;
        line += " | ";
    }
    line += program_path();
    line += " ";
    line += options();
    line += name() == TAR_CMD ? " - " : "  ";
    const l_subset* members = option == nullptr || !option->has_suboptions()
                                  ? nullptr
                                  : option->suboptions()->entries();
    for (unsigned i = 0; members != nullptr && i < members->entries(); ++i) {
        if (!members->elem(i)->is_selected())
            continue;
        line += shell_word(members->elem(i)->name());
        line += " ";
    }
    line += STDERR_REDIRECT;
    set_cmd_line(line);
    return 0;
}
