// Every kind's command line compared whole (tape local, standalone and remote, the
// copy utility, typed paths quoted), the checks that stop a line, tape skips.
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "misc/lidefs.h"
#include "opts/l_subset.h"
#include "opts/subset.h"

namespace {

class command_lines : public engine_fixture {
protected:
    // The built line of kind, or "-" when building failed.
    std::string line(cmd_t kind, liboolean standalone)
    {
        cmd* c = kps_.cmd_templates(kind);
        return c->build_cmd_line(standalone) == 0 ? std::string(c->get_cmd().c_str()) : "-";
    }
    void TearDown() override
    {
        cmd::set_local();
        BIN_DIR = saved_bin_;
        MAP_DIR = saved_map_;
    }
    const listring saved_bin_ = BIN_DIR, saved_map_ = MAP_DIR;
};

TEST_F(command_lines, each_medium_and_kind_builds_its_whole_line)
{
    kps_.install_opts()->current_opt(kps_.install_opts()->elem("base"));
    const std::string T = target_, D = tools_, dd = D + "/dd if=" + device_ + " bs=20b";
    EXPECT_EQ(line(CMD_EXTRACT, false), "cd " + T + "; " + dd + " | " + D + "/uncompress -c  | " + D +
                                            "/tar xvf - man html ");
    EXPECT_EQ(line(CMD_EXTRACT, true), "cd " + T + "; " + dd + " | " + D + "/tar xvf - man html ");
    EXPECT_EQ(line(CMD_REWIND, true), D + "/mt -f " + device_ + " rewind");
    kps_.cmd_templates(CMD_EXTRACT)->set_name("cpio");
    EXPECT_EQ(line(CMD_EXTRACT, true), "cd " + T + "; " + dd + " | " + D + "/cpio xvf  man html ");
    kps_.cmd_templates(CMD_EXTRACT)->set_name("tar");
    EXPECT_TRUE(recorder_.texts().empty()) << recorder_.texts()[0];

    // Remote: rsh right before the copy-convert program; the device is not looked for.
    cmd::set_remote();
    for (cmd_t kind : {CMD_EXTRACT, CMD_COPY_CONVERT, CMD_SKIP})
        kps_.cmd_templates(kind)->set_input("/dev/rmt0");
    EXPECT_EQ(line(CMD_EXTRACT, false), "cd " + T + "; " + D + "/rsh tapehost -n " + D +
                                            "/dd if=/dev/rmt0 bs=20b | " + D + "/uncompress -c  | " + D +
                                            "/tar xvf - man html ");
    EXPECT_EQ(line(CMD_SKIP, true), D + "/rsh tapehost -n  " + D + "/mt -f /dev/rmt0 fsf 1");
    kps_.cmd_templates(CMD_COPY_CONVERT)->set_input("");
    EXPECT_EQ(line(CMD_COPY_CONVERT, false), D + "/dd bs=20b");
    cmd::set_local();

    // Disk media: the copy utility with the subset's map; "-i" only for a
    // distribution server. A typed path with blanks or quotes stays one word.
    BIN_DIR = D.c_str();
    MAP_DIR = (dir_ / "map").c_str();
    const std::string source = dir_ / "it's here";
    write_file(source + "/x", "");
    kps_.cmd_templates(CMD_EXTRACT)->set_input(source.c_str());
    const std::string copy = D + "/kcp ", rest = "-M" + dir_ / "map/base" + " '-S" + dir_.path() +
                                                 "/it'\\''s here' -T" + T + " ";
    kps_.set_media(MEDIA_CD);
    EXPECT_EQ(line(CMD_EXTRACT, false), copy + rest);
    kps_.set_media(MEDIA_DISTRIBUTION);
    EXPECT_EQ(line(CMD_EXTRACT, false), copy + "-i " + rest);
    kps_.cmd_templates(CMD_DELETE)->set_input(shell_word((T + "/a b").c_str()));
    EXPECT_EQ(line(CMD_DELETE, true), "/bin/rm -rf '" + T + "/a b'");
    EXPECT_TRUE(recorder_.texts().empty()) << recorder_.texts()[0];
}

// Each check stops the line with its own message; a kind in the wrong place only warns.
TEST_F(command_lines, failed_checks_name_what_is_missing_and_leave_no_line)
{
    const std::string T = target_, D = tools_;
    cmd* extract = kps_.cmd_templates(CMD_EXTRACT);
    extract->set_dir((dir_ / "nosuch").c_str());
    EXPECT_EQ(line(CMD_EXTRACT, false), "-");
    EXPECT_STREQ(extract->get_cmd(), "");
    extract->set_dir(D.c_str());
    extract->set_name("tcio");
    EXPECT_EQ(line(CMD_EXTRACT, false), "-");
    extract->set_name("tar");
    extract->set_output((dir_ / "none").c_str());
    EXPECT_EQ(line(CMD_EXTRACT, false), "-");
    extract->set_output(T.c_str());
    kps_.cmd_templates(CMD_REWIND)->set_input((dir_ / "nst9").c_str());
    EXPECT_EQ(line(CMD_REWIND, false), "-");
    cmd::set_remote();
    extract->set_remote_cmd(nullptr);
    EXPECT_EQ(line(CMD_EXTRACT, true), "-");
    EXPECT_EQ(kps_.cmd_templates(CMD_REMOTE)->execute(true), -1);
    EXPECT_EQ(recorder_.texts(),
              (strings{"Directory \"" + dir_ / "nosuch" + "\" does not exist.",
                       "Cannot find command \"tcio\" in directory \"" + D + "\".",
                       "Command \"tar\" cannot write to directory \"" + dir_ / "none" +
                           "\". Directory does not exist.",
                       "The magnetic tape command cannot accept input from or, pipe output to, another command.",
                       "Command \"mt\" cannot read input file \"" + dir_ / "nst9" + "\". File does not exist.",
                       "The remote command has not yet been initialised.",
                       "The remote shell command cannot be executed as standalone. Another valid command "
                       "must be passed as an argument."}));
}

// On tape the head stands after the file at position 1: base at 2 needs
// no skip, docs at 5 two; early at 1 lies behind the head.
TEST_F(command_lines, tape_extractions_skip_to_their_file_and_warn_when_behind)
{
    prod_opts& options = *kps_.install_opts();
    options.install_cmds()->set_tape_position(1);
    auto lines = [&](const char* name) {
        std::unique_ptr<l_cmd> built = options.elem(name)->extract_cmds(true);
        std::string all;
        for (unsigned i = 0; built != nullptr && i < built->entries(); ++i)
            all += std::string(built->elem(i)->get_cmd().c_str()) + "|";
        return all;
    };
    const std::string skip = tools_ + "/mt -f " + device_ + " fsf 1",
                      extract = "cd " + target_ + "; " + tools_ + "/dd if=" + device_ + " bs=20b | " +
                                tools_ + "/tar xvf - ";
    EXPECT_EQ(lines("base"), extract + "man html |");
    EXPECT_EQ(lines("docs"), skip + "|" + skip + "|" + extract + "|");
    EXPECT_TRUE(recorder_.texts().empty());
    EXPECT_EQ(lines("early"), extract + "|");
    EXPECT_EQ(recorder_.texts(), strings{"Device needs rewinding."});
    EXPECT_EQ(options.install_cmds()->tape_position(), 1);
    EXPECT_EQ(options.current_opt(), options.elem("early"));
}

}  // namespace
