// The command templates and the command configuration file: the fields each
// kind has, copying a template, the owning list and every rule of the file.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "cmds/cmd.h"
#include "cmds/l_cmd.h"
#include "message_recorder.h"
#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "ui/kitsetup.h"
#include "run_program.h"

namespace {

// A product's command file for the demo's linux architecture.
const char* const GOOD_LINUX_FILE =
    "# Commands of kps30 on linux\n"
    "Extract Command Directory: /bin\n"
    "Extract Command Name: tar\n"
    "Extract Command Options: xvf -\n"
    "Extract Command Input:  /dev/nst0 \n"
    "Extract Command Output: /opt/kps\n"
    "Rewind Command Directory: /bin\n"
    "Rewind Command Name: mt\n"
    "Rewind Command Options: rewind\n"
    "Rewind Command Device Option: -f\n"
    "Skip Command Directory: /bin\n"
    "Skip Command Name: mt\n"
    "Skip Command Options: fsf 1\n"
    "Skip Command Device Option: -f\n"
    "Uncompress Command Directory: /usr/bin\n"
    "Uncompress Command Name: uncompress\n"
    "Uncompress Command Options: -c\n"
    "Compressed File Extension: .Z\n"
    "\n"
    "Expand Command Directory: /bin\n"
    "Expand Command Name: tar\n"
    "Expand Command Options: xf\n"
    "Delete Command Directory: /bin\n"
    "Delete Command Name: rm\n"
    "Delete Command Options: -rf\n"
    "Copy-Convert Command Directory: /bin\n"
    "Copy-Convert Command Name: dd\n"
    "Copy-Convert Command Options: bs=20b\n"
    "Copy-Convert Command Input Option: if=\n"
    "Copy-Convert Command Output Option: of=\n"
    "Remote Shell Command Directory: /usr/bin\n"
    "Remote Shell Command Name: rsh\n"
    "Remote Shell Command Host:  tapehost \n"
    "CDROM Source Default: /media/cdrom\n"
    "Tape Source Default: /dev/nst0\n"
    "Fileserver Product Directory Default: /net/kits/kps30\n"
    "Distribution Server Product Directory Default: /export/kits/kps30\n";

// A template list read from text written to a fresh file.
struct parsed_file {
    temp_dir dir;
    l_cmd list{nullptr, nullptr, "kps30"};
    int result = 0;

    explicit parsed_file(const std::string& text, bool write = true)
    {
        std::string path = dir / "kps30cmd.cfg";
        if (write)
            write_file(path, text);
        list.set_config_file(path.c_str());
        result = list.parse_config();
    }
    std::string path() const { return dir / "kps30cmd.cfg"; }
};

// Lets a test give a command a built line, as the kinds will.
class built_cmd : public cmd {
public:
    using cmd::cmd;
    using cmd::operator=;
    void build(const char* line) { set_cmd_line(line); }
};

// Counts its deletions, to see that the list owns its commands.
class counted_cmd : public cmd {
public:
    counted_cmd(int* deleted) : cmd(CMD_DELETE, nullptr, nullptr), deleted_(deleted) {}
    ~counted_cmd() override { ++*deleted_; }

private:
    int* deleted_;
};

// Built-in message texts without the warning about the installer's
// catalogue, and the demo's architecture.
class CommandConfig : public testing::Test {
protected:
    void SetUp() override
    {
        saved_catalogue_ = msg_file;
        if (msg_file == nullptr)
            msg_file = CATALOGUE_FAILED;
        setenv("KARCH", KITSETUP_KARCH, 1);
    }
    void TearDown() override
    {
        msg_file = saved_catalogue_;
        setenv("KARCH", KITSETUP_KARCH, 1);
    }

private:
    nl_catd saved_catalogue_ = nullptr;
};

using Command = CommandConfig;
using CommandConfigDeathTest = CommandConfig;

}  // namespace

TEST_F(CommandConfig, GoodLinuxFileFillsEveryTemplateInKindOrder)
{
    message_recorder recorder;
    parsed_file file(GOOD_LINUX_FILE);
    ASSERT_EQ(file.result, 0);
    EXPECT_TRUE(recorder.texts().empty()) << recorder.texts().front();
    ASSERT_EQ(file.list.entries(), 8u);
    const char* names[] = {"tar", "mt", "mt", "uncompress", "tar", "rm", "dd", "rsh"};
    for (int kind = 0; kind < CMD_KIND_COUNT; ++kind) {
        EXPECT_EQ(file.list.elem(kind)->kind(), kind);
        EXPECT_STREQ(file.list.elem(kind)->name(), names[kind]) << "kind " << kind;
    }
    l_cmd& list = file.list;
    EXPECT_STREQ(list.elem(CMD_UNCOMPRESS)->dir(), "/usr/bin");
    EXPECT_STREQ(list.elem(CMD_EXTRACT)->options(), "xvf -");
    EXPECT_STREQ(list.elem(CMD_EXTRACT)->input(), "/dev/nst0");
    EXPECT_STREQ(list.elem(CMD_EXTRACT)->output(), "/opt/kps");
    EXPECT_STREQ(list.elem(CMD_SKIP)->options(), "fsf 1");
    EXPECT_STREQ(list.elem(CMD_REWIND)->input_opt_id(), "-f");
    EXPECT_STREQ(list.elem(CMD_COPY_CONVERT)->input_opt_id(), "if=");
    EXPECT_STREQ(list.elem(CMD_COPY_CONVERT)->output_opt_id(), "of=");
    EXPECT_STREQ(list.elem(CMD_UNCOMPRESS)->assoc_file_ext(), ".Z");
    EXPECT_STREQ(list.elem(CMD_REMOTE)->host(), "tapehost");
    EXPECT_STREQ(list.cd_source_default(), "/media/cdrom");
    EXPECT_STREQ(list.tape_source_default(), "/dev/nst0");
    EXPECT_STREQ(list.fs_product_dir_default(), "/net/kits/kps30");
    EXPECT_STREQ(list.ds_product_dir_default(), "/export/kits/kps30");

    cmd* remote = list.elem(CMD_REMOTE);
    EXPECT_EQ(list.elem(CMD_EXTRACT)->remote_cmd(), remote);
    EXPECT_EQ(list.elem(CMD_REWIND)->remote_cmd(), remote);
    EXPECT_EQ(list.elem(CMD_SKIP)->remote_cmd(), remote);
    EXPECT_EQ(list.elem(CMD_EXTRACT)->copy_convert_cmd(), list.elem(CMD_COPY_CONVERT));
    EXPECT_EQ(list.elem(CMD_EXTRACT)->uncompress_cmd(), list.elem(CMD_UNCOMPRESS));
    EXPECT_EQ(list.elem(CMD_DELETE)->remote_cmd(), nullptr);
    EXPECT_TRUE(recorder.texts().empty());
}

TEST_F(CommandConfig, KeysIgnoreCaseAndTheCaseSettingIsRestored)
{
    message_recorder recorder;
    case_sensitive_section exact;
    parsed_file file("extract command name: cpio\n"
                     "EXTRACT COMMAND DIRECTORY: /bin\n"
                     "distribution server product directory default: /export/kits\n");
    EXPECT_EQ(file.result, 0);
    EXPECT_TRUE(recorder.texts().empty());
    EXPECT_STREQ(file.list.elem(CMD_EXTRACT)->name(), "cpio");
    EXPECT_STREQ(file.list.elem(CMD_EXTRACT)->dir(), "/bin");
    EXPECT_STREQ(file.list.ds_product_dir_default(), "/export/kits");
    EXPECT_TRUE(listring::is_case_sensitive());
}

TEST_F(CommandConfig, DirectoryWithoutValueAsksAndContinuingKeepsTheResult)
{
    {
        message_recorder recorder;
        recorder.answer_next(true);
        parsed_file file("Rewind Command Name: mt\nRewind Command Directory:\n");
        EXPECT_EQ(file.result, 0);
        ASSERT_EQ(recorder.messages().size(), 1u);
        EXPECT_EQ(recorder.messages()[0].kind, message_kind::warning);
        EXPECT_EQ(recorder.texts()[0],
                  "Error parsing " + file.path() + ", no directory was specified on line 2.");
        EXPECT_STREQ(file.list.elem(CMD_REWIND)->dir(), "");
    }
    {
        message_recorder recorder;
        recorder.answer_next(false);
        parsed_file file("Rewind Command Directory:   \nRewind Command Name: bogus\n");
        EXPECT_EQ(file.result, -1);
        // Declining still reads the rest of the file.
        EXPECT_EQ(recorder.texts().size(), 2u);
    }
}

TEST_F(CommandConfig, MissingDirectoryAndUnknownCommandAreReportedWithTheirLines)
{
    message_recorder recorder;
    parsed_file file("# comment: with a colon\n"
                     "\n"
                     "Extract Command Directory: /no/such/dir\n"
                     "Extract Command Name: gtar\n"
                     "Delete Command Name: rm\n");
    EXPECT_EQ(file.result, -1);
    std::vector<std::string> expected = {
        "Error parsing " + file.path() + ", directory \"/no/such/dir\" specified on line 3 does not exist.",
        "Error parsing " + file.path() +
            ", command \"gtar\" specified on line 4 is not recognised as a valid command."};
    EXPECT_EQ(recorder.texts(), expected);
    EXPECT_STREQ(file.list.elem(CMD_EXTRACT)->dir(), "/no/such/dir");
    EXPECT_STREQ(file.list.elem(CMD_EXTRACT)->name(), "gtar");
    EXPECT_STREQ(file.list.elem(CMD_DELETE)->name(), "rm");
}

TEST_F(CommandConfig, EveryBadLineIsReportedAndTheRestStillRead)
{
    message_recorder recorder;
    parsed_file file("Extract Command Colour: red: green\n"
                     "Tape Source Default: /dev/nst0\n"
                     "just some words\n"
                     "Delete Command Name: rm\n");
    EXPECT_EQ(file.result, -1);
    std::vector<std::string> expected = {
        "Unable to parse line 1 in file \"" + file.path() + "\".",
        "Unable to parse line 3 in file \"" + file.path() + "\"."};
    EXPECT_EQ(recorder.texts(), expected);
    EXPECT_STREQ(file.list.tape_source_default(), "/dev/nst0");
    EXPECT_STREQ(file.list.elem(CMD_DELETE)->name(), "rm");
}

TEST_F(CommandConfig, KnownKeyWithoutColonTakesTheNextLine)
{
    message_recorder recorder;
    parsed_file file("Delete Command Options\n-rf\nDelete Command Name: cp\n");
    EXPECT_EQ(file.result, 0);
    EXPECT_STREQ(file.list.elem(CMD_DELETE)->options(), "-rf");
    EXPECT_STREQ(file.list.elem(CMD_DELETE)->name(), "cp");
}

TEST_F(CommandConfig, MissingFileGivesOneErrorAndAnEmptyList)
{
    message_recorder recorder;
    parsed_file file("", false);
    EXPECT_EQ(file.result, -1);
    EXPECT_EQ(file.list.entries(), 0u);
    std::vector<std::string> expected = {"Unable to open file " + file.path() +
                                         ". No such file or directory"};
    EXPECT_EQ(recorder.texts(), expected);
}

TEST_F(CommandConfig, OddFilesAreReadWithoutCrashing)
{
    message_recorder recorder;
    parsed_file empty_file("");
    EXPECT_EQ(empty_file.result, 0);
    EXPECT_EQ(empty_file.list.entries(), 8u);

    parsed_file crlf("Extract Command Name: tar\r\n\r\nExtract Command Directory: /bin\r\n");
    EXPECT_EQ(crlf.result, 0);
    EXPECT_STREQ(crlf.list.elem(CMD_EXTRACT)->name(), "tar");
    EXPECT_STREQ(crlf.list.elem(CMD_EXTRACT)->dir(), "/bin");

    parsed_file no_newline("Remote Shell Command Host: far");
    EXPECT_EQ(no_newline.result, 0);
    EXPECT_STREQ(no_newline.list.elem(CMD_REMOTE)->host(), "far");
    EXPECT_TRUE(recorder.texts().empty());

    parsed_file long_line(std::string(10000, 'k') + ": v\nDelete Command Name: rm\n");
    EXPECT_EQ(long_line.result, -1);
    ASSERT_EQ(recorder.texts().size(), 1u);
    EXPECT_EQ(recorder.texts()[0], "Unable to parse line 1 in file \"" + long_line.path() + "\".");
    EXPECT_STREQ(long_line.list.elem(CMD_DELETE)->name(), "rm");

    recorder.clear();
    std::string binary;
    for (int i = 0; i < 2048; ++i)
        binary += static_cast<char>((i * 37) % 256);
    parsed_file binary_file(binary);
    EXPECT_EQ(binary_file.result, -1);
    EXPECT_FALSE(recorder.texts().empty());
    EXPECT_EQ(binary_file.list.entries(), 8u);
}

TEST_F(CommandConfig, PathIsBuiltFromTheArchitectureAndProductId)
{
    EXPECT_EQ(std::string(l_cmd::config_file_path("linux", "kps30")),
              std::string(CONFIG_FILE_DIR) + "/linux/kps30cmd.cfg");
    l_cmd list(nullptr, nullptr, "abc12");
    EXPECT_EQ(std::string(list.config_file()),
              std::string(CONFIG_FILE_DIR) + "/" KITSETUP_KARCH "/abc12cmd.cfg");
    EXPECT_EQ(list.tape_volume(), 1);
    EXPECT_EQ(list.tape_position(), 0);
}

TEST_F(CommandConfigDeathTest, MissingArchitectureEndsTheProgramUnlessTheUserGoesOn)
{
    EXPECT_EXIT(
        {
            unsetenv("KARCH");
            message_recorder recorder;
            recorder.answer_next(false);
            l_cmd list(nullptr, nullptr, "kps30");
        },
        testing::ExitedWithCode(255), "");
    unsetenv("KARCH");
    message_recorder recorder;
    l_cmd list(nullptr, nullptr, "kps30");
    EXPECT_EQ(recorder.texts(), std::vector<std::string>{"The KARCH environment variable must be set."});
}

TEST_F(Command, KindsWithoutAFieldRefuseItAndNameTheCommand)
{
    message_recorder recorder;
    cmd rewind(CMD_REWIND, nullptr, nullptr);
    rewind.set_name("  mt ");
    EXPECT_EQ(rewind.set_output("/tmp"), -1);
    EXPECT_STREQ(rewind.output(), "");
    cmd remote(CMD_REMOTE, nullptr, nullptr);
    remote.set_name("rsh");
    EXPECT_EQ(remote.set_input("/dev/nst0"), -1);
    EXPECT_EQ(remote.set_assoc_file_ext(".Z"), -1);
    std::vector<std::string> expected = {
        "Cannot set the output field of a \"mt\" command, no such field.",
        "Cannot set the output field of a \"mt\" command, no such field.",
        "Cannot set the input field of a \"rsh\" command, no such field.",
        "Cannot set the associated file extension field of a \"rsh\" command, no such field."};
    EXPECT_EQ(recorder.texts(), expected);

    recorder.clear();
    EXPECT_EQ(rewind.set_input_opt_id("-f "), 0);
    EXPECT_STREQ(rewind.input_opt_id(), "-f ");  // kind fields keep their blanks
    EXPECT_EQ(remote.set_host("  far  host "), 0);
    EXPECT_STREQ(remote.host(), "far host");
    cmd extract(CMD_EXTRACT, nullptr, nullptr);
    EXPECT_EQ(extract.set_output(" /opt/kps "), 0);
    EXPECT_STREQ(extract.output(), "/opt/kps");
    EXPECT_EQ(extract.set_host("h"), -1);
    EXPECT_EQ(extract.set_input_opt_id("-f"), -1);
    cmd dd(CMD_COPY_CONVERT, nullptr, nullptr);
    EXPECT_EQ(dd.set_output_opt_id("of="), 0);
    EXPECT_EQ(recorder.texts().size(), 2u);
}

TEST_F(Command, AssignmentCarriesTheLineButNotTheOwners)
{
    message_recorder recorder;
    int product_stand_in = 0;
    auto* owner = reinterpret_cast<product*>(&product_stand_in);
    built_cmd source(CMD_EXTRACT, nullptr, owner);
    cmd helper(CMD_REMOTE, nullptr, nullptr);
    source.set_name("tar");
    source.set_options("xvf  -");
    source.set_input("/dev/nst0");
    source.set_remote_cmd(&helper);
    source.set_error_reported(1);
    source.build("tar xvf - /dev/nst0");

    built_cmd copy(CMD_EXTRACT, nullptr, nullptr);
    copy = source;
    EXPECT_STREQ(copy.get_cmd(), "tar xvf - /dev/nst0");
    EXPECT_STREQ(copy.options(), "xvf  -");
    EXPECT_STREQ(copy.input(), "/dev/nst0");
    EXPECT_EQ(copy.remote_cmd(), &helper);
    EXPECT_EQ(copy.prod(), nullptr);
    EXPECT_EQ(copy.error_reported(), 0);
    EXPECT_TRUE(recorder.texts().empty());
}

TEST_F(CommandConfig, RemovingACommandDeletesItAndChecksTheIndex)
{
    message_recorder recorder;
    parsed_file file(GOOD_LINUX_FILE);
    l_cmd& list = file.list;
    EXPECT_EQ(list.tail(), 0);
    EXPECT_EQ(list.entries(), 7u);
    EXPECT_EQ(list.elem(0)->kind(), CMD_REWIND);
    EXPECT_EQ(list.remove(7), -1);
    EXPECT_EQ(recorder.texts(), std::vector<std::string>{"Command error, subscript 7 is out of bounds."});
    EXPECT_EQ(list.entries(), 7u);

    int deleted = 0;
    {
        l_cmd sequence(nullptr, nullptr, "kps30");
        sequence.add(new counted_cmd(&deleted));
        sequence.add(new counted_cmd(&deleted));
        sequence.add(new counted_cmd(&deleted));
        EXPECT_EQ(sequence.remove(1), 0);
        EXPECT_EQ(deleted, 1);
        EXPECT_EQ(sequence.tail(), 0);
        EXPECT_EQ(deleted, 2);
    }
    EXPECT_EQ(deleted, 3);
}

TEST_F(CommandConfigDeathTest, ElemPastTheEndEndsTheProgram)
{
    l_cmd list(nullptr, nullptr, "kps30");
    EXPECT_EXIT(list.elem(0), testing::ExitedWithCode(255), "Command error, subscript 0 is out of bounds");
}
