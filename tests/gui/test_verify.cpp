// kitsetup -verify: an installed product checked against its records, with
// no display, in a private /opt/tarnu; what it finds goes to standard output,
// what it cannot read to standard error, and nothing on disk changes.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <functional>
#include <map>

#include "installation_fixture.h"

namespace {

class Verify : public installation_dialogs {
protected:
    // kitsetup -verify kps30 in a namespace where /opt/tarnu is tarnu_, with
    // no display; a run that hangs is ended after the tests' wait limit.
    program_result verify(bool with_architecture = true)
    {
        std::string script = "mount -t tmpfs kit_opt /opt && mkdir /opt/tarnu && mount --bind \"$2\" /opt/tarnu && "
                             "exec timeout " + std::to_string(wait_limit.count()) +
                             " \"$1\" -dir \"$3\" -verify \"$4\"";
        return run_program("/usr/bin/unshare",
                           {"unshare", "-m", "sh", "-c", script, "sh", KITSETUP_BIN, tarnu_, install_, "kps30"},
                           session_environment().set("DISPLAY", nullptr).set("KARCH", with_architecture ? KITSETUP_KARCH : nullptr));
    }

    // Inode, times, size and contents of everything under each of dirs.
    static std::map<std::string, std::string> snapshot(const std::vector<std::string>& dirs)
    {
        std::map<std::string, std::string> seen;
        for (const std::string& dir : dirs) {
            for (const auto& entry : fs::recursive_directory_iterator(dir)) {
                struct stat info {};
                lstat(entry.path().c_str(), &info);
                std::ostringstream state;
                state << info.st_ino << " " << info.st_mtim.tv_sec << "." << info.st_mtim.tv_nsec << " "
                      << info.st_ctim.tv_sec << "." << info.st_ctim.tv_nsec << " " << info.st_size << " "
                      << info.st_mode;
                if (S_ISREG(info.st_mode))
                    state << " " << read_file(entry.path());
                seen[entry.path()] = state.str();
            }
        }
        return seen;
    }

};

const std::string no_record = "No record of " + kps30 + " having been installed on this machine can be found.";

}  // namespace

// From the CD: the clean installation matches. An edit, a removal, a chmod
// and a file added (and one under "install", which is skipped) are each
// reported, with status 1; verifying changes nothing on disk, writes no
// log and needs no display.
TEST_F(Verify, ACdInstallationMatchesAndEveryChangeAfterItIsReported)
{
    std::string target = dir_ / "kps";
    fs::create_directories(target);
    start();
    go({"kps30", "Minimal", "cd_btn", "", target, {}});
    expect_complete(kps30);
    finish();
    // The recorded names in log order, "install" left out.
    std::vector<std::string> names;
    std::istringstream log(read_file(tarnu_ + "/.kps30.fls"));
    for (std::string line; std::getline(log, line);)
        if (line.rfind("install/", 0) != 0)
            names.push_back(line.substr(0, line.find(' ')));
    ASSERT_GE(names.size(), 3u);
    std::string entries = std::to_string(names.size());

    program_result clean = verify();
    EXPECT_EQ(clean.status, 0) << clean.err;
    EXPECT_EQ(clean.out, entries + " files checked: 0 missing, 0 changed, 0 mode, 0 extra, 0 not checked\n");
    EXPECT_EQ(clean.err, "");

    std::ofstream(target + "/" + names[0], std::ios::app) << "edited\n";
    fs::remove(target + "/" + names[1]);
    struct stat info {};
    ASSERT_EQ(stat((target + "/" + names[2]).c_str(), &info), 0);
    unsigned long old_mode = info.st_mode & 07777;
    ASSERT_EQ(chmod((target + "/" + names[2]).c_str(), 0600), 0);
    std::string top = names[0].substr(0, names[0].find('/'));
    write_file(target + "/" + top + "/added", "new\n");
    write_file(target + "/install/added", "the installer's own\n");

    std::vector<std::string> watched = {target, tarnu_, install_};
    std::map<std::string, std::string> before = snapshot(watched);
    program_result changed = verify();
    EXPECT_EQ(snapshot(watched), before) << "verifying changed something on disk";
    EXPECT_EQ(changed.status, 1) << changed.err;
    char mode_line[64];
    std::snprintf(mode_line, sizeof mode_line, " %04lo 0600\n", old_mode);
    EXPECT_EQ(changed.out, "changed " + names[0] + "\nmissing " + names[1] + "\nmode " + names[2] + mode_line +
                               "extra " + top + "/added\n" + entries +
                               " files checked: 1 missing, 1 changed, 1 mode, 1 extra, 0 not checked\n");
    EXPECT_EQ(changed.err, "");
}

// Records missing, empty, binary, CRLF, truncated, or naming a path with
// "..", a link out of the target, a directory, a device or a pipe: each is
// reported and the check ends with its status, never hanging. A node
// installation has nothing to check.
TEST_F(Verify, DamagedRecordsAndOddFilesAreReportedNeverFollowedOut)
{
    std::string target = dir_ / "kps", outside = dir_ / "outside";
    write_file(outside + "/secret", "not the product's\n");
    struct stat secret {};
    ASSERT_EQ(stat((outside + "/secret").c_str(), &secret), 0);
    // A record that matches the outside file exactly: only following the
    // link would call it clean.
    std::string secret_record = std::to_string(secret.st_mtime) + " " + std::to_string(secret.st_mode);
    std::string data = "Target:\t" + target + ";\nOptions:\tbase ;\n";
    std::string dat = tarnu_ + "/.kps30.dat", fls = tarnu_ + "/.kps30.fls";
    const std::string log = "/opt/tarnu/.kps30.fls";  // as the program names it

    struct bad_case {
        std::string what;
        std::function<void()> make;
        int status;
        std::string out;  // "" : only the summary is not compared
        std::vector<std::string> errors;
    };
    auto records = [&](const std::string& data_text, const std::string& fls_text) {
        write_file(dat, data_text);
        write_file(fls, fls_text);
    };
    auto file = [&](const std::string& name) {
        write_file(target + "/" + name, "x\n");
        struct stat info {};
        stat((target + "/" + name).c_str(), &info);
        return name + " " + std::to_string(info.st_mtime) + " " + std::to_string(info.st_mode);
    };
    std::vector<bad_case> cases = {
        {"no records", [] {}, 2, "", {no_record}},
        {"empty data file", [&] { records("", "bin/a 1 33188\n"); }, 2, "", {no_record}},
        {"binary data file", [&] { records(std::string("Tar\0get:\x01\xff;\n", 12), "bin/a 1 33188\n"); }, 2, "",
         {no_record}},
        {"no file-set log", [&] { write_file(dat, data); }, 2, "", {"Unable to open file " + log}},
        {"empty file-set log", [&] { records(data, ""); }, 2, "", {log + " lists no files."}},
        {"file-set log a pipe", [&] { write_file(dat, data); mkfifo(fls.c_str(), 0600); }, 2, "",
         {log + " is not a regular file; it is not read."}},
        {"CRLF", [&] { records("Target:\t" + target + ";\r\nOptions:\tbase ;\r\n", file("bin/a") + "\r\n"); }, 0,
         "1 files checked: 0 missing, 0 changed, 0 mode, 0 extra, 0 not checked\n", {}},
        {"truncated and binary lines",
         [&] { records(data, file("bin/a") + "\n" + std::string("bin/\x01\0b 1\n", 10) + file("bin/c").substr(0, 7)); }, 2, "",
         {"Line 2 of " + log + " is not a file name", "Line 3 of " + log + " is not a file name"}},
        {"a path with ..", [&] { records(data, file("bin/a") + "\n../outside/secret " + secret_record + "\n"); },
         2, "", {"Line 2 of " + log + " names ../outside/secret, which lies outside the product's directory"}},
        {"links out of the target",
         [&] {
             fs::create_directories(target + "/bin");
             fs::create_directory_symlink(outside, target + "/lib");
             fs::create_symlink(outside + "/secret", target + "/bin/secret");
             records(data, "lib/secret " + secret_record + "\nbin/secret " + secret_record + "\n");
         },
         1, "2 files checked: 0 missing, 0 changed, 0 mode, 0 extra, 2 not checked\n",
         {"Line 1 of " + log + " names lib/secret, which lies outside",
          target + "/bin/secret is a symbolic link that leads out of " + target + "; it is not followed."}},
        {"a directory, a device and a pipe where files were",
         [&] {
             std::string a = file("bin/a"), d = file("bin/d"), p = file("bin/p");
             for (const char* name : {"/bin/a", "/bin/d", "/bin/p"})
                 fs::remove(target + name);
             fs::create_directories(target + "/bin/a");
             mknod((target + "/bin/d").c_str(), S_IFCHR | 0644, makedev(1, 3));
             mkfifo((target + "/bin/p").c_str(), 0644);
             fs::permissions(target + "/bin", fs::perms(0755));
             records(data, a + "\n" + d + "\n" + p + "\nbin 1 16832\n");
         },
         1, "changed bin/a\nchanged bin/d\nchanged bin/p\nmode bin 0700 0755\n"
            "4 files checked: 0 missing, 3 changed, 1 mode, 0 extra, 0 not checked\n",
         {}},
        {"node installation", [&] { records("Target:\t" + target + ";\nNode Installation:\tYes;\n", ""); }, 0, "",
         {kps30 + " is a node installation: its files stay on the file server, so there is nothing to verify."}},
    };
    for (const bad_case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(target);
        fs::remove(dat);
        fs::remove(fls);
        c.make();
        program_result result = verify();
        EXPECT_EQ(result.status, c.status) << result.out << result.err;
        EXPECT_EQ(c.out.empty() ? c.out : result.out, c.out);
        std::string errors = folded(result.err);
        for (const std::string& expected : c.errors)
            EXPECT_NE(errors.find(expected), std::string::npos) << "no \"" << expected << "\" in:\n" << errors;
        EXPECT_EQ(c.errors.empty() ? result.err : "", "");
    }
    // Without KARCH nothing is checked: a script must not take that for a match.
    program_result no_architecture = verify(false);
    EXPECT_EQ(no_architecture.status, 2) << no_architecture.err;
}
