// The command templates, their owning list and the command configuration file.
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmds/cmd.h"
#include "cmds/dd_cmd.h"
#include "cmds/del_cmd.h"
#include "cmds/ext_cmd.h"
#include "cmds/mt_cmd.h"
#include "cmds/rem_cmd.h"
#include "cmds/l_cmd.h"
#include "message_recorder.h"
#include "product_sandbox.h"
#include "misc/lidefs.h"
#include "run_program.h"

namespace {

// A product's command file for the demo's linux architecture.
const char* const GOOD_LINUX_FILE =
    "# Commands of kps30 on linux\nExtract Command Directory: /bin\nExtract Command Name: tar\n"
    "Extract Command Options: xvf -\nExtract Command Input:  /dev/nst0 \nExtract Command Output: /opt/kps\n"
    "Rewind Command Directory: /bin\nRewind Command Name: mt\nRewind Command Options: rewind\n"
    "Rewind Command Device Option: -f\nSkip Command Directory: /bin\nSkip Command Name: mt\n"
    "Skip Command Options: fsf 1\nSkip Command Device Option: -f\nUncompress Command Directory: /usr/bin\n"
    "Uncompress Command Name: uncompress\nUncompress Command Options: -c\nCompressed File Extension: .Z\n\n"
    "Expand Command Directory: /bin\nExpand Command Name: tar\nExpand Command Options: xf\n"
    "Delete Command Directory: /bin\nDelete Command Name: rm\nDelete Command Options: -rf\n"
    "Copy-Convert Command Directory: /bin\nCopy-Convert Command Name: dd\n"
    "Copy-Convert Command Options: bs=20b\nCopy-Convert Command Input Option: if=\n"
    "Copy-Convert Command Output Option: of=\nRemote Shell Command Directory: /usr/bin\n"
    "Remote Shell Command Name: rsh\nRemote Shell Command Host:  tapehost \n"
    "CDROM Source Default: /media/cdrom\nTape Source Default: /dev/nst0\n"
    "Fileserver Product Directory Default: /net/kits/kps30\n"
    "Distribution Server Product Directory Default: /export/kits/kps30\n";

// A template list read from text written as the file at path.
struct parsed_file {
    l_cmd list{nullptr, nullptr, "kps30"};
    int result = 0;
    parsed_file(const std::string& path, const std::string& text, bool write = true)
    {
        if (write)
            write_file(path, text);
        list.set_config_file(path.c_str());
        result = list.parse_config();
    }
};

// Counts its deletions, to see that the list owns its commands.
struct counted_cmd : del_cmd {
    counted_cmd(int* deleted) : del_cmd(nullptr, nullptr), deleted_(deleted) {}
    ~counted_cmd() override { ++*deleted_; }
    int* deleted_;
};

class CommandConfig : public testing::Test {
protected:
    temp_dir dir_;
    const std::string path_ = dir_ / "kps30cmd.cfg";
    product_sandbox sandbox_;
    message_recorder recorder_;
};

using CommandConfigDeathTest = CommandConfig;
}  // namespace

TEST_F(CommandConfig, GoodLinuxFileFillsEveryTemplateInKindOrder)
{
    parsed_file file(path_, GOOD_LINUX_FILE);
    ASSERT_EQ(file.result, 0);
    EXPECT_TRUE(recorder_.texts().empty()) << recorder_.texts().front();
    ASSERT_EQ(file.list.entries(), 8u);
    const char* names[] = {"tar", "mt", "mt", "uncompress", "tar", "rm", "dd", "rsh"};
    for (int kind = 0; kind < CMD_KIND_COUNT; ++kind) {
        EXPECT_EQ(file.list.elem(kind)->kind(), kind);
        EXPECT_STREQ(file.list.elem(kind)->name(), names[kind]) << "kind " << kind;
    }
    l_cmd& list = file.list;
    const std::pair<listring, std::string> fields[] = {
        {list.elem(CMD_UNCOMPRESS)->dir(), "/usr/bin"}, {list.elem(CMD_EXTRACT)->options(), "xvf -"},
        {list.elem(CMD_EXTRACT)->input(), "/dev/nst0"}, {list.elem(CMD_EXTRACT)->output(), "/opt/kps"},
        {list.elem(CMD_SKIP)->options(), "fsf 1"}, {list.elem(CMD_REWIND)->input_opt_id(), "-f"},
        {list.elem(CMD_COPY_CONVERT)->input_opt_id(), "if="}, {list.elem(CMD_COPY_CONVERT)->output_opt_id(), "of="},
        {list.elem(CMD_UNCOMPRESS)->assoc_file_ext(), ".Z"}, {list.elem(CMD_REMOTE)->host(), "tapehost"},
        {list.cd_source_default(), "/media/cdrom"}, {list.tape_source_default(), "/dev/nst0"},
        {list.fs_product_dir_default(), "/net/kits/kps30"}, {list.ds_product_dir_default(), "/export/kits/kps30"},
    };
    for (const auto& [got, expected] : fields)
        EXPECT_EQ(std::string(got), expected);
    for (int kind : {CMD_EXTRACT, CMD_REWIND, CMD_SKIP})
        EXPECT_EQ(list.elem(kind)->remote_cmd(), list.elem(CMD_REMOTE)) << "kind " << kind;
    EXPECT_EQ(list.elem(CMD_EXTRACT)->copy_convert_cmd(), list.elem(CMD_COPY_CONVERT));
    EXPECT_EQ(list.elem(CMD_EXTRACT)->uncompress_cmd(), list.elem(CMD_UNCOMPRESS));
    EXPECT_EQ(list.elem(CMD_DELETE)->remote_cmd(), nullptr);
    // Removing checks the index and deletes the command: the list owns them.
    EXPECT_EQ(list.tail(), 0);
    EXPECT_EQ(list.elem(0)->kind(), CMD_REWIND);
    EXPECT_EQ(list.remove(7), -1);
    EXPECT_EQ(recorder_.texts(), strings{"Command error, subscript 7 is out of bounds."});
    EXPECT_EQ(list.entries(), 7u);
    int deleted = 0;
    {
        l_cmd sequence(nullptr, nullptr, "kps30");
        for (int i = 0; i < 3; ++i)
            sequence.add(new counted_cmd(&deleted));
        EXPECT_EQ(sequence.remove(1), 0);
        EXPECT_EQ(sequence.tail(), 0);
        EXPECT_EQ(deleted, 2);
    }
    EXPECT_EQ(deleted, 3);
}

// An empty directory asks whether to go on; either answer reads the rest,
// but declining fails the read.
TEST_F(CommandConfig, DirectoryWithoutValueAsksAndContinuingKeepsTheResult)
{
    for (bool go_on : {true, false}) {
        recorder_.clear();
        recorder_.answer_next(go_on);
        parsed_file file(path_, "Rewind Command Name: mt\nRewind Command Directory:   \n"
                                "Skip Command Name: mt\n");
        EXPECT_EQ(file.result, go_on ? 0 : -1) << "answer " << go_on;
        ASSERT_EQ(recorder_.texts(), strings{"Error parsing " + path_ + ", no directory was specified on line 2."});
        EXPECT_EQ(recorder_.messages()[0].kind, message_kind::warning);
        EXPECT_STREQ(file.list.elem(CMD_SKIP)->name(), "mt") << "answer " << go_on;
    }
}

// Each row: a file, its result and every message in order; a bad line
// never stops the read, so Delete's name is always found.
TEST_F(CommandConfig, BadLinesAreReportedWithTheirNumbersAndTheRestRead)
{
    const std::string bad = "Error parsing " + path_ + ", ";
    auto line = [&](int n) { return "Unable to parse line " + std::to_string(n) + " in file \"" + path_ + "\"."; };
    const struct { const char* name; std::string text; int result; strings texts; } rows[] = {
        {"missing directory and unknown command",
         "# comment: with a colon\n\nExtract Command Directory: /no/such/dir\n"
         "Extract Command Name: gtar\nDelete Command Name: rm\n", -1,
         {bad + "directory \"/no/such/dir\" specified on line 3 does not exist.",
          bad + "command \"gtar\" specified on line 4 is not recognised as a valid command."}},
        {"unknown keys and lines without a key",
         "Extract Command Colour: red: green\nTape Source Default: /dev/nst0\njust some words\n"
         "Delete Command Name: rm\n", -1, {line(1), line(3)}},
        {"long key", std::string(10000, 'k') + ": v\nDelete Command Name: rm\n", -1, {line(1)}},
        {"CR line ends", "Delete Command Name: rm\r\n\r\nExtract Command Directory: /bin\r\n", 0, {}},
    };
    for (const auto& row : rows) {
        recorder_.clear();
        parsed_file file(path_, row.text);
        EXPECT_EQ(file.result, row.result) << row.name;
        EXPECT_EQ(recorder_.texts(), row.texts) << row.name;
        EXPECT_STREQ(file.list.elem(CMD_DELETE)->name(), "rm") << row.name;
    }
}

// Values are kept whole, odd files are read without harm, a missing one is
// reported, and the default path is built from architecture and product.
TEST_F(CommandConfig, ValuesOddFilesAndThePath)
{
    case_sensitive_section exact;
    parsed_file file(path_, "EXTRACT COMMAND DIRECTORY: /no/such/dir\nExtract Command Name: gtar\n"
                            "Delete Command Options\n-rf\nRemote Shell Command Host: far\r\n"
                            "distribution server product directory default: /export/kits");
    EXPECT_TRUE(listring::is_case_sensitive()) << "case setting restored";
    const l_cmd& list = file.list;
    EXPECT_EQ(std::string(list.elem(CMD_EXTRACT)->dir()) + "|" + list.elem(CMD_EXTRACT)->name().c_str() + "|" +
                  list.elem(CMD_DELETE)->options().c_str() + "|" + list.elem(CMD_REMOTE)->host().c_str() + "|" +
                  list.ds_product_dir_default().c_str(),
              "/no/such/dir|gtar|-rf|far|/export/kits")
        << "upper-case key; known key without colon; no CR kept; last line without newline";
    EXPECT_EQ(parsed_file(path_, "").result, 0) << "empty file";
    std::string binary;
    for (int i = 0; i < 2048; ++i)
        binary += static_cast<char>((i * 37) % 256);
    parsed_file binary_file(path_, binary);
    EXPECT_EQ(std::to_string(binary_file.result) + " " + std::to_string(binary_file.list.entries()), "-1 8");
    recorder_.clear();
    parsed_file none(path_ + ".none", "", false);
    EXPECT_EQ(std::to_string(none.result) + " " + std::to_string(none.list.entries()), "-1 0");
    ASSERT_EQ(mkdir((path_ + ".dir").c_str(), 0755), 0);
    EXPECT_EQ(parsed_file(path_ + ".dir", "", false).result, -1) << "a directory ends the read";
    EXPECT_EQ(recorder_.texts(),
              (strings{"Unable to open file " + path_ + ".none. No such file or directory",
                       "Unable to open file " + path_ + ".dir. Is a directory"}));
    EXPECT_EQ(std::string(l_cmd(nullptr, nullptr, "abc12").config_file()),
              std::string(CONFIG_FILE_DIR) + "/" KITSETUP_KARCH "/abc12cmd.cfg");
}

TEST_F(CommandConfigDeathTest, MissingArchitectureEndsTheProgram)
{
    unsetenv("KARCH");
    EXPECT_EXIT({ recorder_.answer_next(false); l_cmd list(nullptr, nullptr, "kps30"); },
                testing::ExitedWithCode(255), "");
    l_cmd list(nullptr, nullptr, "kps30");
    EXPECT_EQ(recorder_.texts(), strings{"The KARCH environment variable must be set."});
}

// A field a kind lacks is refused with the command's name; the fields it
// has are set, trimmed except for option ids.
TEST_F(CommandConfig, KindsWithoutAFieldRefuseItAndNameTheCommand)
{
    mt_cmd rewind(CMD_REWIND, nullptr, nullptr);
    rem_cmd remote(nullptr, nullptr);
    ext_cmd extract(nullptr, nullptr);
    dd_cmd dd(nullptr, nullptr);
    rewind.set_name("  mt ");
    remote.set_name("rsh");
    extract.set_name("tar");
    EXPECT_EQ(rewind.set_output("/tmp"), -1);
    EXPECT_STREQ(rewind.output(), "");
    EXPECT_EQ(remote.set_input("/dev/nst0") + remote.set_assoc_file_ext(".Z") + extract.set_host("h") +
                  extract.set_input_opt_id("-f"), -4);
    auto refused = [](const std::string& field, const std::string& name) {
        return "Cannot set the " + field + " field of a \"" + name + "\" command, no such field.";
    };
    EXPECT_EQ(recorder_.texts(), (strings{refused("output", "mt"), refused("output", "mt"),
                                          refused("input", "rsh"), refused("associated file extension", "rsh"),
                                          refused("host", "tar"), refused("input option id", "tar")}));
    recorder_.clear();
    EXPECT_EQ(rewind.set_input_opt_id("-f ") + remote.set_host("  far  host ") +
                  extract.set_output(" /opt/kps ") + dd.set_output_opt_id("of="), 0);
    EXPECT_EQ(std::string(rewind.input_opt_id()) + "|" + remote.host().c_str() + "|" + extract.output().c_str(),
              "-f |far host|/opt/kps");
    EXPECT_TRUE(recorder_.texts().empty());
}
