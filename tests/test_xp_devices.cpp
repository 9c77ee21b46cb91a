// The printer library's devices, ports and settings: read, held, written back,
// and the system file or the user's copy found.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "run_program.h"
#include "utilities_test_support.h"
#include "xp/xp.h"
#include "xp_test_support.h"

using namespace std::string_literals;
using xp_test::environment_guard;
using xp_test::report_recorder;

namespace {

const char* const TWO_PRINTERS =
    "[windows]\ndevice=M2,PostScript,FILE:\n\n[devices]\nFirst=M1 PCL5,lp0\nSecond=M2 PostScript,FILE:\n\n"
    "[ports]\nlp0=lp -o x=y\nlp1\nlp2=\nFILE:=\n\n[other-devices]\nLaser Writer=Apple LaserWriter PostScript , lp0 , x\n"
    "[M1,PCL5,lp0]\nScale = 0.50\nCopies=2\nOrientation=landscape\nPageSize=A4\nPaperTray=Lower\nDPI=600\n";

// The devices of a read as "alias|model|driver|port|command|file|display".
std::vector<std::string> described(XpDevice_t* const* devices, int count)
{
    std::vector<std::string> result;
    for (int i = 0; i < count; ++i) {
        const XpDevice_t& d = *devices[i];
        result.push_back(d.alias + "|" + d.model + "|" + d.driver + "|" + (d.port ? d.port->port : "-") + "|" +
                         (d.port && d.port->command ? *d.port->command : "-") + "|" + std::to_string(d.file) +
                         "|" + d.display);
    }
    return result;
}

// A settings record as "scale copies orientation dpi size tray file command".
std::string settings(const Xpinfo_t& info)
{
    return std::to_string(info.scale).substr(0, 4) + " " + std::to_string(info.copies) + " " +
           std::to_string(info.orientation) + " " + std::to_string(info.dpi) + " " + info.page_size + " " +
           info.paper_tray + " " + info.filename + " " + info.command;
}

class xp_devices : public ::testing::Test {
protected:
    std::string profile(const std::string& contents)
    {
        write_file(file_, contents);
        return file_;
    }
    // Reads the devices (other-devices when other) into devices_.
    int read(bool other = false)
    {
        XpFreeDeviceArray(devices_, count_);
        count_ = XpGetDevices(&devices_, other, &default_, file_.c_str());
        return count_;
    }
    ~xp_devices() override { XpFreeDeviceArray(devices_, count_); }

    temp_dir dir_;
    std::string file_ = dir_ / "Xpdefaults";
    report_recorder reports_;
    XpDevice_t** devices_ = nullptr;
    int count_ = 0;
    int default_ = -2;
};

}  // namespace

TEST_F(xp_devices, devices_and_printer_types_come_with_their_ports_settings_and_the_default)
{
    profile(TWO_PRINTERS);
    ASSERT_EQ(read(), 2);
    EXPECT_EQ(described(devices_, count_),
              (std::vector<std::string>{"First|M1|PCL5|lp0|lp -o x=y|0|First on lp0",
                                        "Second|M2|PostScript|FILE:|-|1|Second on FILE:"}));
    EXPECT_EQ(default_, 1);
    ASSERT_TRUE(devices_[0]->info && devices_[1]->info);
    EXPECT_EQ(settings(*devices_[0]->info), "0.50 2 2 600 A4 Lower  lp -o x=y");
    EXPECT_EQ(settings(*devices_[1]->info), "0.00 0 0 0    ") << "a printer without a settings section";
    EXPECT_EQ(devices_[0]->info->type, 0);
    EXPECT_EQ(XpGetXpinfoDid(&*devices_[0]->info), 1);
    EXPECT_TRUE(reports_.reports().empty());

    XpPort_t** ports = nullptr;
    int port_count = XpGetPorts(&ports, file_.c_str());
    ASSERT_EQ(port_count, 1) << "ports without a command are left out";
    const char* command = nullptr;
    EXPECT_EQ(XpGetPrinterCommand("LP0", ports, port_count, &command), 1);
    EXPECT_STREQ(command, "lp -o x=y") << "a command holding = is kept whole";
    EXPECT_EQ(XpGetPrinterCommand("lp1", ports, port_count, &command), 0);
    XpFreePortArray(ports, port_count);

    // Printer types need no default and carry no settings; a model may hold blanks.
    ASSERT_EQ(read(true), 1);
    EXPECT_EQ(described(devices_, count_),
              std::vector<std::string>{"Laser Writer|Apple LaserWriter|PostScript|lp0|lp -o x=y|0|Laser Writer on lp0"});
    EXPECT_FALSE(devices_[0]->info);
    EXPECT_EQ(default_, -1);
    EXPECT_TRUE(reports_.reports().empty());
}

TEST_F(xp_devices, a_default_that_matches_no_device_falls_back_to_the_first)
{
    for (const char* windows : {"[windows]\ndevice=M9,PCL5,lp0\n", "[windows]\ndevice=M1,PCL5\n", ""}) {
        std::string path = profile(std::string(windows) + "[devices]\nFirst=M1 PCL5,lp0\nNext=M1 PCL5,lp0\n");
        reports_.clear();
        EXPECT_EQ(read(), 2) << windows;
        EXPECT_EQ(default_, 0);
        EXPECT_EQ(reports_.texts(), std::vector<std::string>{"wNoDefault: XpGetDevices:: Default printer not "
                                                             "specified or incorrect in:\n\t" +
                                                             path + "\n\tUsing first device as default"});
    }
}

// An entry that lacks a part, or a NUL on any line of the file (which no
// writer could give back), fails the whole read and names the line.
TEST_F(xp_devices, a_bad_line_or_no_device_fails_the_whole_read)
{
    const std::string windows = "[windows]\ndevice=M1,PCL5,lp0\n";
    struct bad_case { std::string devices; int line; } cases[] = {
        {"[devices]\nFirst=M1 PCL5,lp0\nBad=M1 PCL5\n", 5}, {"[devices]\nBad=M1 PCL5,\n", 4},
        {"[devices]\nBad=M1,lp0\n", 4}, {"[devices]\nM1 PCL5,lp0\n", 4}, {"[devices]\n", 0},
        {"[devices]\nFirst=M1 PCL5,lp0\nA=A\0M PCL5,lp0\n"s, 5}, {"[devices]\nFirst=M1 PCL5,lp0\n[other]\nx=\0\n"s, 6},
    };
    for (const bad_case& c : cases) {
        std::string path = profile(windows + c.devices);
        reports_.clear();
        EXPECT_TRUE(read() == -1 && devices_ == nullptr && default_ == -1) << "no devices, no default: " << c.devices;
        std::string bad = "eBadLine: XpGetDevices:: Incorrect line " + std::to_string(c.line) + " in the Xpdefaults";
        EXPECT_EQ(reports_.texts(), std::vector<std::string>(c.line ? 1 : 0, bad + " file:\n\t" + path)) << c.devices;
    }
    reports_.clear();
    profile("[other-devices]\n");
    EXPECT_EQ(read(true), 0);
    unlink(file_.c_str());
    EXPECT_EQ(read(), -1);
    EXPECT_EQ(reports_.texts(),
              (std::vector<std::string>{"eBadXpdefaults: XpGetDevices:: Incorrect Xpdefaults file:\n\t" + file_,
                                        "eOpenFile: XpGetDevices:: Can not open file " + file_}));
}

// A value that would not read back as it is (a CR read inside a model name, a NUL, a line end,
// a comma in a port) is refused before anything is written, even after values that could be.
TEST_F(xp_devices, a_refused_value_leaves_the_file_as_it_was)
{
    const std::string before = "[windows]\ndevice=M1,PCL5,lp0\n\n[devices]\nFirst=M1 PCL5,lp0\nSecond=A\rB PCL5,lp1\n";
    profile(before);
    ASSERT_EQ(read(), 2);
    ASSERT_EQ(devices_[1]->model, "A\rB") << "a CR inside a line is read";
    auto refused = [&](const char* what, auto write) {
        profile(before);
        reports_.clear();
        EXPECT_EQ(write(), 0) << what;
        EXPECT_EQ(read_file(file_), before) << what;
        EXPECT_EQ(reports_.reports().size(), 1u) << what;
    };
    refused("saving a model with a CR", [&] { return XpSaveDeviceInformation(devices_, count_, 0, file_.c_str()); });
    refused("devices after a good one", [&] { return XpWriteDeviceInformation(devices_, count_, file_.c_str()); });
    devices_[1]->model = "A\0M"s;
    refused("a model with a NUL", [&] { return XpWriteDeviceSection(devices_, count_, file_.c_str()); });
    devices_[1]->model = "M2";
    devices_[1]->port->port = "lp1,lp2";
    refused("a port with a comma", [&] { return XpSaveDeviceInformation(devices_, count_, -1, file_.c_str()); });
    XpSetXpinfoPageSize(&*devices_[0]->info, "A4\n[devices]");
    refused("a page size with a line end", [&] { return XpWriteDefaultDevice(devices_[0], file_.c_str()); });
    const Xpinfo_t* info = &*devices_[0]->info;
    refused("settings", [&] { return XpWriteDefaultsForOneDevice("M1", "PCL5", "lp0", info, file_.c_str()); });
}

TEST_F(xp_devices, arrays_hold_deep_copies_and_close_gaps)
{
    XpDevice_t templ;
    templ.port = XpPort_t{"lp0", std::string("lp")};
    for (const char* alias : {"A", "B", "C"}) {
        templ.alias = alias;
        EXPECT_EQ(XpAppendDeviceArrayElem(&devices_, &count_, &templ), 0);
    }
    templ.port->command = "changed";
    EXPECT_EQ(*devices_[0]->port->command, "lp") << "the array keeps its own copy";
    EXPECT_EQ(XpDelDeviceArrayElem(&devices_, &count_, 1), 0);
    EXPECT_EQ(XpDelDeviceArrayElem(&devices_, &count_, 2), -1);
    ASSERT_EQ(count_, 2);
    EXPECT_EQ(devices_[0]->alias + devices_[1]->alias, "AC");
    EXPECT_EQ(reports_.texts(), std::vector<std::string>{"eIllegalArg: XpDelDeviceArrayElem:: Illegal argument"});

    devices_[1]->port->port = "FILE:";
    XpResetDisplayString(devices_[1]);
    EXPECT_EQ(devices_[1]->display + std::to_string(devices_[1]->file), "C on FILE:1");
    devices_[1]->port.reset();
    XpResetDisplayString(devices_[1]);
    EXPECT_EQ(devices_[1]->display, "C on FILE:") << "no port prints to a file";
}

TEST_F(xp_devices, settings_are_written_with_the_defaults_for_unset_fields)
{
    Xpinfo_t info;
    XpSetXpinfoScale(&info, 0.00005);
    XpSetXpinfoCopies(&info, 0);
    XpSetXpinfoOrientation(&info, XP_LANDSCAPE);
    XpSetXpinfoPaperTray(&info, "Upper");
    XpSetXpinfoFilename(&info, "out.ps");
    Xpinfo_t scaled = info;
    XpSetXpinfoScale(&scaled, 1.5);
    XpSetXpinfoCopies(&scaled, 3);
    XpSetXpinfoDPI(&scaled, 150);
    XpSetXpinfoPageSize(&scaled, "A4");
    XpSetXpinfoOrientation(&scaled, 7);
    struct settings_case { const char* port; const Xpinfo_t* info; const char* section; } cases[] = {
        {"lp0", nullptr, "Scale=1.0\nCopies=1\nOrientation=Portrait\nPageSize=Letter\nDPI=300\n"},
        {"FILE:", nullptr, "Filename=quillet.out\nScale=1.0\nCopies=1\nOrientation=Portrait\nPageSize=Letter\nDPI=300\n"},
        {"lp0", &info, "Scale=1.0\nCopies=1\nOrientation=LandScape\nPageSize=Letter\nDPI=300\nPaperTray=Upper\n"},
        {"FILE:", &scaled, "Filename=out.ps\nScale=1.50\nCopies=3\nOrientation=Portrait\nPageSize=A4\nDPI=150\n"},
    };
    for (const settings_case& c : cases) {
        profile("[other]\nx=1\n");
        EXPECT_EQ(XpWriteDefaultsForOneDevice("M", "PS", c.port, c.info, file_.c_str()), 1);
        EXPECT_EQ(read_file(file_), "[other]\nx=1\n\n[M,PS," + std::string(c.port) + "]\n" + c.section + "\n")
            << c.port << (c.info ? " with settings" : "");
    }
    profile("[M,PS,lp0]\nPaperTray=Old\n");
    XpSetXpinfoPaperTray(&info, "");
    EXPECT_EQ(XpWriteDefaultsForOneDevice("M", "PS", "lp0", &info, file_.c_str()), 1);
    EXPECT_EQ(read_file(file_).find("PaperTray"), std::string::npos) << "a cleared tray is not read back";

    XpSetXpinfoPageSize(&info, std::string(XP_NAME_SIZE + 9, 'n').c_str());
    EXPECT_EQ(std::string(XpGetXpinfoPageSize(&info)), std::string(XP_NAME_SIZE - 1, 'n'));
    XpSetXpinfoCommand(&info, nullptr);
    EXPECT_STREQ(XpGetXpinfoCommand(&info), "");
}

TEST_F(xp_devices, settings_lookups_name_what_is_wrong)
{
    environment_guard environment;
    environment.set("XPPATH", dir_.path());
    profile(std::string(TWO_PRINTERS) + "[Quillet,PCL5]\nScale=2\n");
    char* path = XpGetDefaultsFile(XP_SYSTEM_DEFAULTS);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path, file_);
    std::free(path);

    std::unique_ptr<Xpinfo_t> info = XpAlwaysGetPrinterInfoWithName("m1", "PCL", "lp0");
    ASSERT_TRUE(info);
    EXPECT_EQ(settings(*info), "0.50 2 2 600 A4 Lower  lp -o x=y");
    info = XpAlwaysGetPrinterInfoWithName(nullptr, "PCL5", "lp0");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->type, -1);
    EXPECT_EQ(settings(*info), "2.00 0 0 0   quillet.out lp -o x=y") << "generic settings of the driver";
    EXPECT_TRUE(reports_.reports().empty());

    EXPECT_FALSE(XpAlwaysGetPrinterInfoWithName("M1", "Epson", "lp0"));
    EXPECT_FALSE(XpAlwaysGetPrinterInfoWithName("M1", "PCL4", "lp0"));
    EXPECT_FALSE(XpAlwaysGetPrinterInfoWithName("M1", "PCL5", "lp1"));
    profile("[devices]\n");
    EXPECT_FALSE(XpAlwaysGetPrinterInfoWithName("M1", "PCL5", "lp0"));
    EXPECT_EQ(reports_.texts(), (std::vector<std::string>{
                                    "eUnknownDrv: XpAlwaysGetPrinterInfoWithName:: unknown driver",
                                    "eUnknownPrt: XpAlwaysGetPrinterInfoWithName:: unknown Printer (M1)",
                                    "eUnknownPrt: XpAlwaysGetPrinterInfoWithName:: unknown Printer (M1)",
                                    "eNoInstalledPrt: XpAlwaysGetPrinterInfoWithName:: no printer installed"}));
}

// Each write of one call sees the file as the one before left it: an entry there
// loses only the empty lines before it, a new one goes after the last.
TEST_F(xp_devices, each_write_of_a_call_sees_the_ones_before)
{
    profile("[ports]\nlp0=old\n\n\n[devices]\none=M PS,lp0\n\ntwo=M PS,lp1\n\n[other]\n");
    ASSERT_EQ(read(), 2);
    ASSERT_EQ(XpWriteDeviceSection(devices_ + 1, 1, file_.c_str()), 1);
    EXPECT_EQ(read_file(file_), "[ports]\nlp0=old\nlp1=\n\n[devices]\none=M PS,lp0\ntwo=M PS,lp1\n\n[other]\n");
    for (int i = 0; i < 2; ++i) {
        devices_[i]->alias = i ? "four" : "three";
        devices_[i]->port->port = i ? "lp3" : "lp2";
    }
    ASSERT_EQ(XpWriteDeviceSection(devices_, 2, file_.c_str()), 1);
    EXPECT_EQ(read_file(file_), "[ports]\nlp0=old\nlp1=\nlp2=old\nlp3=\n\n[devices]\none=M PS,lp0\ntwo=M PS,lp1\n"
                                "three=M PS,lp2\nfour=M PS,lp3\n\n[other]\n");
}

// The demo file, changed and saved in one step, equals the same changes written
// piece by piece, and reads back as it was changed.
TEST_F(xp_devices, the_demo_file_survives_a_round_trip)
{
    std::string demo = read_file(KITSETUP_DEMO_DIR "/xp/Xpdefaults");
    profile(demo);
    ASSERT_EQ(read(), 1);
    EXPECT_EQ(described(devices_, count_),
              std::vector<std::string>{"HP LaserJet 4|HP_LaserJet_4|PCL5|lp0|lp -d lp0|0|HP LaserJet 4 on lp0"});
    XpDevice_t** types = nullptr;
    int type_count = XpGetDevices(&types, 1, nullptr, file_.c_str());
    ASSERT_GE(type_count, 3);

    XpDevice_t added = *types[type_count - 1];
    added.port = XpPort_t{"lp3", std::string("lpr -P office")};
    added.info = Xpinfo_t{};
    XpSetXpinfoCopies(&*added.info, 4);
    XpResetDisplayString(&added);
    XpAppendDeviceArrayElem(&devices_, &count_, &added);
    XpFreeDeviceArray(types, type_count);
    XpSetXpinfoPaperTray(&*devices_[0]->info, "Manual");
    XpSetXpinfoOrientation(&*devices_[0]->info, XP_LANDSCAPE);
    std::vector<std::string> before = described(devices_, count_);

    ASSERT_EQ(XpDeleteSection("devices", file_.c_str()), 1);
    ASSERT_EQ(XpWriteDeviceInformation(devices_, count_, file_.c_str()), 1);
    ASSERT_EQ(XpWriteDefaultDevice(devices_[1], file_.c_str()), 1);
    std::string in_steps = read_file(file_);
    profile(demo);
    ASSERT_EQ(XpSaveDeviceInformation(devices_, count_, 1, file_.c_str()), 1);
    EXPECT_EQ(read_file(file_), in_steps);
    EXPECT_TRUE(reports_.reports().empty());
    ASSERT_EQ(read(), 2);
    EXPECT_EQ(described(devices_, count_), before);
    EXPECT_EQ(default_, 1);
    EXPECT_EQ(settings(*devices_[0]->info), "1.00 1 2 300 Letter Manual  lp -d lp0");
    EXPECT_EQ(settings(*devices_[1]->info), "1.00 4 1 300 Letter   lpr -P office")
        << "unset fields come back as the defaults written for them";
    size_t others = demo.find("[other-devices]");
    EXPECT_NE(read_file(file_).find(demo.substr(others, demo.find("[ports]") - others)), std::string::npos)
        << "the printer types are untouched";
}

TEST(xp_defaults_file, the_users_copy_is_made_on_the_first_lookup_and_then_kept)
{
    temp_dir home, system;
    environment_guard environment;
    environment.set("HOME", home.path());
    environment.set("XPPATH", system.path());
    write_file(system / "Xpdefaults", "[windows]\ndevice=M,PS,lp0\n");
    report_recorder reports;

    char* path = XpGetDefaultsFile(XP_USER_DEFAULTS);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path, home / ".Xpdefaults");
    EXPECT_EQ(XpGetDefaultsFileType(), XP_USER_DEFAULTS);
    EXPECT_EQ(read_file(path), "[windows]\ndevice=M,PS,lp0\n");
    write_file(path, "[windows]\ndevice=mine\n");
    std::free(path);
    path = XpGetDefaultsFile(XP_USER_DEFAULTS);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(read_file(path), "[windows]\ndevice=mine\n") << "an existing copy is the user's, never replaced";
    std::free(path);
    EXPECT_TRUE(reports.reports().empty());

    // A user file that may be written but not read is reported, never
    // replaced by a new copy (checked as nobody: root reads everything).
    ASSERT_EQ(chmod(home.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(system.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod((home / ".Xpdefaults").c_str(), 0222), 0);
    int status = utilities_test::run_in_child([&]() {
        std::string refused = "eWriteFile: XpGetDefaultsFile:: Can not write to file " + home / ".Xpdefaults";
        bool failed = XpGetDefaultsFile(XP_USER_DEFAULTS) == nullptr;
        return failed && reports.texts() == std::vector<std::string>{refused} ? 0 : 1;
    }, true);
    EXPECT_CHILD_PASSED(status, "an unreadable user file");
    EXPECT_EQ(read_file(home / ".Xpdefaults"), "[windows]\ndevice=mine\n");

    std::string fallback = "/usr/lib/Xp/Xpdefaults";
    environment.set("XPPATH", home.path());
    environment.set("HOME", (home / "new").c_str());
    if (access(fallback.c_str(), R_OK) != 0) {
        EXPECT_EQ(XpGetDefaultsFile(XP_SYSTEM_DEFAULTS), nullptr);
        EXPECT_EQ(XpGetDefaultsFileType(), XP_SYSTEM_DEFAULTS);
        EXPECT_EQ(XpGetDefaultsFile(XP_USER_DEFAULTS), nullptr);
        EXPECT_EQ(reports.texts(), std::vector<std::string>(2, "eOpenFile: XpGetDefaultsFile:: Can not open file " +
                                                                   fallback));
    }
}
