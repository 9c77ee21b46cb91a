// kit_bench: times the installer's own readers on large generated inputs for
// bench/run. Each measurement writes its input under the output directory
// once, then runs in a child process of its own at least five times; the
// median counts. A run still going at the cap is killed and ends that
// measurement, so a slow reader costs at most the cap. Prints a table and
// writes every figure to results.json in the output directory.
//
//     kit_bench [--runs N] [--cap SECONDS] [--out DIR] [MEASUREMENT...]
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "lib/descriptor.h"
#include "lib/listream.h"
#include "lib/msgs.h"
#include "misc/lidefs.h"
#include "opts/l_subset.h"
#include "lib/reporter.h"
#include "opts/prod_opts.h"
#include "prod/l_product.h"
#include "prod/product.h"
#include "prod/progress_views.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_connection.h"
#include "ui/bindings.h"
#include "ui/kitsetup.h"
#include "ui/log_ui.h"
#include "xp/xp.h"

namespace {

// ---- Measurements ------------------------------------------------------------

// Writes text to path; false after a message.
bool write_text(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (out.flush())
        return true;
    std::fprintf(stderr, "kit_bench: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

// Seconds work takes, or -1 when it reports failure.
double timed(const std::function<bool()>& work)
{
    auto start = std::chrono::steady_clock::now();
    if (!work())
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const int SUBSET_COUNT = 10000;

// A product whose subset definition file holds SUBSET_COUNT one-line records,
// each depending on the one before, as a large product's tape order has them.
bool prepare_subsets(const std::string& dir)
{
    std::string subsets = "# Generated subsets\n";
    for (int i = 0; i < SUBSET_COUNT; ++i) {
        std::string name = "part" + std::to_string(i);
        subsets += "Name=" + name + "; Desc=Generated part " + std::to_string(i) + "; Vol=1; Pos=" +
                   std::to_string(i + 1) + "; Siz=64; Fls=4";
        subsets += i == 0 ? ".\n" : "; Dep=part" + std::to_string(i - 1) + ".\n";
    }
    return write_text(dir + "/bnc10.prd", "Code: bnc\nVersion: 10\nDescription: Bench product\n"
                                          "Short Description: Bench\n") &&
           write_text(dir + "/bnc10prd.cfg", subsets);
}

// Reads the file through the product's installation option set, as start-up
// does; the product itself (interpreter, description) is made untimed.
double run_subsets(const std::string& dir)
{
    CONFIG_FILE_DIR = dir.c_str();
    msg_file = CATALOGUE_FAILED;
    product owner(nullptr, "bnc10");
    prod_opts options(nullptr, &owner);
    return timed([&options] {
        if (options.parse_config() != 0)
            return false;
        unsigned read = options.entries() != nullptr ? options.entries()->entries() : 0;
        if (read == SUBSET_COUNT)
            return true;
        std::fprintf(stderr, "kit_bench: read %u subsets of %d\n", read, SUBSET_COUNT);
        return false;
    });
}

const size_t LINE_LENGTH = 4u << 20;

bool prepare_line(const std::string& dir)
{
    return write_text(dir + "/line", std::string(LINE_LENGTH, 'x') + "\n");
}

// One line read whole through the line reader the data-file readers use.
double run_line(const std::string& dir)
{
    std::string path = dir + "/line";
    listream file(path.c_str());
    if (!file.is_open()) {
        std::fprintf(stderr, "kit_bench: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
        return -1;
    }
    listring line;
    return timed([&file, &line] {
        file.rest_of_line(&line);
        if (line.length() == LINE_LENGTH)
            return true;
        std::fprintf(stderr, "kit_bench: read a line of %u characters of %zu\n", line.length(),
                     LINE_LENGTH);
        return false;
    });
}

const int PRINTER_COUNT = 10000;

// A defaults file with PRINTER_COUNT printers spread over a few ports, the
// first one the default.
bool prepare_printers(const std::string& dir)
{
    std::string devices;
    for (int i = 0; i < PRINTER_COUNT; ++i)
        devices += "Printer" + std::to_string(i) + "=Model" + std::to_string(i % 50) +
                   (i % 2 == 0 ? " PostScript," : " PCL5,") + "lp" + std::to_string(i % 8) + "\n";
    std::string ports;
    for (int i = 0; i < 8; ++i)
        ports += "lp" + std::to_string(i) + "=lp -d lp" + std::to_string(i) + "\n";
    return write_text(dir + "/Xpdefaults", "[windows]\ndevice=Model0,PostScript,lp0\n\n[devices]\n" +
                                               devices + "\n[ports]\n" + ports);
}

double run_printers(const std::string& dir)
{
    std::string path = dir + "/Xpdefaults";
    XpDevice_t** devices = nullptr;
    int count = 0;
    double seconds = timed([&] {
        int default_index = 0;
        count = XpGetDevices(&devices, 0, &default_index, path.c_str());
        if (count == PRINTER_COUNT)
            return true;
        std::fprintf(stderr, "kit_bench: read %d printers of %d\n", count, PRINTER_COUNT);
        return false;
    });
    XpFreeDeviceArray(devices, count);
    return seconds;
}

// The printers read untimed, then saved back in one step: the save the
// printer dialog makes.
double run_printer_save(const std::string& dir)
{
    std::string path = dir + "/Xpdefaults";
    XpDevice_t** devices = nullptr;
    int default_index = 0;
    int count = XpGetDevices(&devices, 0, &default_index, path.c_str());
    double seconds = timed([&] {
        if (count == PRINTER_COUNT &&
            XpSaveDeviceInformation(devices, count, default_index, path.c_str()) == 1)
            return true;
        std::fprintf(stderr, "kit_bench: could not save %d printers\n", count);
        return false;
    });
    XpFreeDeviceArray(devices, count);
    return seconds;
}

// ---- Removal of an installed product ----------------------------------------

bool make_directory(const std::string& dir);

const int REMOVAL_FILES = 20000;
const int REMOVAL_DIRS = 100;
// When the stop is pressed, counted from the start of the removal.
const long STOP_AFTER_MS = 300;

// The product's files: a description, its (empty) subsets and the delete
// command the removal ends with.
bool prepare_removal(const std::string& dir)
{
    return make_directory(dir + "/config") && make_directory(dir + "/config/" KITSETUP_KARCH) &&
           write_text(dir + "/config/bnc10.prd", "Code: bnc\nVersion: 10\nDescription: Bench product\n") &&
           write_text(dir + "/config/bnc10prd.cfg", "Name=all; Man=Yes.\n") &&
           write_text(dir + "/config/" KITSETUP_KARCH "/bnc10cmd.cfg",
                      "Delete Command Directory: /bin\nDelete Command Name: rm\nDelete Command Options: -rf\n");
}

// REMOVAL_FILES files in REMOVAL_DIRS directories under four top-level
// directories of dir/tree; the file-set log lists them when log is given.
bool make_tree(const std::string& dir, std::string* log)
{
    std::string tree = dir + "/tree";
    if (!make_directory(tree))
        return false;
    const char* tops[] = {"lib", "share", "doc", "data"};
    for (int d = 0; d < REMOVAL_DIRS; ++d) {
        std::string sub = std::string(tops[d % 4]) + "/d" + std::to_string(d);
        if (!make_directory(tree + "/" + tops[d % 4]) || !make_directory(tree + "/" + sub))
            return false;
        for (int f = 0; f < REMOVAL_FILES / REMOVAL_DIRS; ++f) {
            std::string name = sub + "/f" + std::to_string(f);
            descriptor file(open((tree + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
            struct stat info;
            if (!file.valid() || fstat(file.get(), &info) != 0) {
                std::fprintf(stderr, "kit_bench: cannot make %s: %s\n", name.c_str(), std::strerror(errno));
                return false;
            }
            if (log != nullptr)
                *log += name + " " + std::to_string(info.st_mtime) + " 33188\n";
        }
    }
    return true;
}

// Answers yes to every question; only errors are shown, on standard error.
class answering_yes : public reporter {
public:
    liboolean show(message_kind kind, const listring& text, liboolean) override
    {
        if (kind == message_kind::error)
            std::fprintf(stderr, "kit_bench: %s\n", text.c_str());
        return true;
    }
    [[noreturn]] void end(int status) override { _exit(status); }
};

// The working dialog as the removal sees it: up or down, and its stop.
class bench_working : public working_view {
public:
    void popup(const listring&) override { shown = true; }
    void popdown() override { shown = false; }
    void next_icon() override {}
    void set_stop_action(const OI_callback& action) override { stop = action; }
    product* current_prod() const override { return nullptr; }
    void set_current_prod(product*) override {}
    bool shown = false;
    OI_callback stop;
};

double now_ms()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The stop button as the user presses it: a message on a pipe written at
// STOP_AFTER_MS by another process, whose arrival runs the stop action.
struct stop_press {
    int read_end = -1;
    bench_working* working = nullptr;
    double answered_ms = -1;
};

long press_stop(OI_d_tech*, void* argument, long)
{
    auto* press = static_cast<stop_press*>(argument);
    double pressed = 0;
    if (read(press->read_end, &pressed, sizeof pressed) == sizeof pressed) {
        press->answered_ms = now_ms() - pressed;
        press->working->stop.call(nullptr, 0);
    }
    OI_io_dispatch_remove(press->read_end, OI_READABLE);
    return 1;
}

// In this run's own mount namespace, /opt is an empty file system: the
// machine's installed-product records are never touched.
bool private_records()
{
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("bench_opt", "/opt", "tmpfs", 0, "size=16m") != 0 || mkdir("/opt/tarnu", 0755) != 0) {
        std::fprintf(stderr, "kit_bench: no private /opt for the records: %s\n", std::strerror(errno));
        return false;
    }
    return true;
}

// text as one word for sh.
std::string quoted(const std::string& text)
{
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

// Runs command through sh: false after a message.
bool shell(const std::string& command)
{
    int status = std::system(command.c_str());
    if (status == 0)
        return true;
    std::fprintf(stderr, "kit_bench: failed with status %d: %s\n", status, command.c_str());
    return false;
}

// Makes the removal's tree afresh under relative_dir and records it as
// installed there, in a private /opt; dir gets the directory resolved,
// since the records name the target absolutely, as an installation does.
bool record_installed_tree(const std::string& relative_dir, std::string& dir)
{
    char* resolved = realpath(relative_dir.c_str(), nullptr);
    if (resolved == nullptr)
        return false;
    dir = resolved;
    std::free(resolved);
    std::string log;
    return shell("rm -rf " + quoted(dir + "/tree")) && private_records() && make_tree(dir, &log) &&
           write_text("/opt/tarnu/.bnc10.fls", log) &&
           write_text("/opt/tarnu/.bnc10.dat", "Target:\t" + dir + "/tree;\nOptions:\tall ;\n");
}

// Installs the tree untimed, then removes it through the removal (with
// backups on, so every file is examined and deleted one by one) until the
// working dialog goes, or until the stop when stop is given. The
// milliseconds the removal took, or -1.
double remove_installed(const std::string& relative_dir, stop_press* stop)
{
    std::string dir;
    if (!record_installed_tree(relative_dir, dir))
        return -1;
    CONFIG_FILE_DIR = (dir + "/config").c_str();
    msg_file = CATALOGUE_FAILED;
    answering_yes answers;
    set_reporter(&answers);
    bench_working working;
    l_product products(nullptr);
    products.set_views(nullptr, &working, nullptr);
    product owner(&products, "bnc10");
    if (owner.initialise() != 0)
        return -1;
    int ends[2];
    if (stop != nullptr) {
        if (pipe2(ends, O_CLOEXEC) != 0)
            return -1;
        stop->read_end = ends[0];
        stop->working = &working;
        OI_io_dispatch_insert(ends[0], OI_READABLE, OI_callback(press_stop, stop));
    }
    double start = now_ms();
    if (stop != nullptr && fork() == 0) {
        while (now_ms() < start + STOP_AFTER_MS)
            usleep(1000);
        double pressed = now_ms();
        _exit(write(ends[1], &pressed, sizeof pressed) == sizeof pressed ? 0 : 1);
    }
    if (owner.setup_deinstall(true) != 0)
        return -1;
    while (working.shown)
        OI_dispatch_one(true);
    double took = now_ms() - start;
    // The target itself stays; its top-level directories go.
    bool gone = access((dir + "/tree/lib").c_str(), F_OK) != 0 && access((dir + "/tree/data").c_str(), F_OK) != 0;
    if (stop == nullptr && !gone) {
        std::fprintf(stderr, "kit_bench: the removal left files in %s/tree\n", dir.c_str());
        return -1;
    }
    return took;
}

double run_removal(const std::string& dir)
{
    double ms = remove_installed(dir, nullptr);
    return ms <= 0 ? -1 : REMOVAL_FILES / (ms / 1000.0);
}

double run_removal_stop(const std::string& dir)
{
    stop_press stop;
    if (remove_installed(dir, &stop) < 0 || stop.answered_ms < 0) {
        std::fprintf(stderr, "kit_bench: the stop was never answered\n");
        return -1;
    }
    return stop.answered_ms;
}

// The same tree deleted by "rm -rf" alone.
double run_rm_rf(const std::string& dir)
{
    std::string command = "rm -rf " + quoted(dir + "/tree");
    if (std::system(command.c_str()) != 0 || !make_tree(dir, nullptr))
        return -1;
    double seconds = timed([&command] { return std::system(command.c_str()) == 0; });
    return seconds <= 0 ? -1 : REMOVAL_FILES / seconds;
}

// ---- Checking an installed product --------------------------------------------

bool output_of(const std::vector<std::string>& argv, std::string& output);

// The removal's product, with the demo's catalogues so that the program
// speaks from them as installed.
bool prepare_verify(const std::string& dir)
{
    std::string catalogues = dir + "/nls";
    if (!prepare_removal(dir))
        return false;
    if (access(catalogues.c_str(), F_OK) == 0 || symlink(KITSETUP_DEMO_DIR "/nls", catalogues.c_str()) == 0)
        return true;
    std::fprintf(stderr, "kit_bench: cannot link %s: %s\n", catalogues.c_str(), std::strerror(errno));
    return false;
}

// The removal's 20 000-file tree recorded as installed (untimed), then
// checked by the program, kitsetup -verify in text mode, from exec to exit;
// the check must find the tree as recorded.
double run_verify(const std::string& relative_dir)
{
    std::string dir;
    if (!record_installed_tree(relative_dir, dir))
        return -1;
    std::string report;
    double seconds = timed([&] {
        return output_of({KITSETUP_BIN, "-dir", dir, "-verify", "bnc10"}, report);
    });
    std::string clean = std::to_string(REMOVAL_FILES) + " files checked: 0 missing, 0 changed, 0 mode, 0 extra";
    if (seconds > 0 && report.rfind(clean, 0) != 0) {
        std::fprintf(stderr, "kit_bench: the check did not find the tree as recorded: %s", report.c_str());
        return -1;
    }
    return seconds;
}

// ---- The whole program against the tools it runs ------------------------------

// Where bench/make_product.sh left the product, its media and the start-up
// trees (build/bench); each run works in its scratch directory, which
// bench/run removes however the run ends.
std::string bench_root;

std::string scratch_dir() { return bench_root + "/scratch"; }

// Runs argv with its standard output in output: false when it could not run
// or ended with a failure (its standard error says why).
bool output_of(const std::vector<std::string>& argv, std::string& output)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "kit_bench: pipe: %s\n", std::strerror(errno));
        return false;
    }
    descriptor reading(ends[0]), writing(ends[1]);
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0) {
        std::fprintf(stderr, "kit_bench: fork: %s\n", std::strerror(errno));
        return false;
    }
    if (child == 0) {
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        if (dup2(writing.get(), STDOUT_FILENO) >= 0)
            execvp(args[0], args.data());
        std::fprintf(stderr, "kit_bench: cannot run %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    writing.reset();
    char chunk[512];
    ssize_t got;
    while ((got = read(reading.get(), chunk, sizeof chunk)) != 0) {
        if (got > 0)
            output.append(chunk, static_cast<size_t>(got));
        else if (errno != EINTR)
            break;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// An empty scratch directory with the target, the private /opt/tarnu, a home
// and a copy of the demo's printer defaults for the printer offer, all
// written back to disk first, so that the run timed next does not pay for
// the one before. false after a message.
bool fresh_scratch()
{
    std::string scratch = scratch_dir();
    if (!shell("rm -rf " + quoted(scratch)) || !make_directory(scratch) ||
        !make_directory(scratch + "/target") || !make_directory(scratch + "/tarnu") ||
        !make_directory(scratch + "/home") || !make_directory(scratch + "/xp") ||
        !shell("cp " + quoted(bench_root + "/tree/xp/Xpdefaults") + " " + quoted(scratch + "/xp/")))
        return false;
    sync();
    setenv("HOME", (scratch + "/home").c_str(), 1);
    setenv("XPPATH", (scratch + "/xp").c_str(), 1);
    return true;
}

// The emulated tape drive for this process's children, its tape rewound.
bool attach_tape()
{
    std::ifstream drives(bench_root + "/media/tape/drives");
    std::string value;
    if (!std::getline(drives, value) || value.empty()) {
        std::fprintf(stderr, "kit_bench: no tape drives in %s/media/tape\n", bench_root.c_str());
        return false;
    }
    setenv("KITSETUP_TAPE", value.c_str(), 1);
    setenv("LD_PRELOAD", KITSETUP_TAPEEMU, 1);
    std::string position = bench_root + "/media/tape/bwp10/.position";
    if (unlink(position.c_str()) != 0 && errno != ENOENT) {
        std::fprintf(stderr, "kit_bench: cannot rewind: %s: %s\n", position.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

const int PRODUCT_FILES = 20000;

// Whether the target holds every file of the product: false after a message.
bool target_complete()
{
    std::string output;
    std::string target = scratch_dir() + "/target";
    if (!output_of({"sh", "-c", "find " + quoted(target) + " -type f | wc -l"}, output))
        return false;
    if (std::atoi(output.c_str()) == PRODUCT_FILES)
        return true;
    std::fprintf(stderr, "kit_bench: %d files of %d in %s\n", std::atoi(output.c_str()), PRODUCT_FILES,
                 target.c_str());
    return false;
}

// Whether make_product.sh finished: false after a message.
bool product_made(const std::string&)
{
    if (access((bench_root + "/product.stamp").c_str(), F_OK) == 0)
        return true;
    std::fprintf(stderr, "kit_bench: no generated product in %s (bench/make_product.sh makes it)\n",
                 bench_root.c_str());
    return false;
}

// One installation through the installer under the display, driven by
// drive.tcl from the options dialog's OK to the completion message. Adds
// the installer's peak resident size in KB, its own processor seconds and
// how many KB the peak grew during the installation to dir/installer.
double run_install(const std::string& dir, const std::string& medium)
{
    if (!fresh_scratch() || (medium == "tape" && !attach_tape()))
        return -1;
    std::string output;
    std::string scratch = scratch_dir();
    double seconds = -1, cpu = -1, cpu_before = -1;
    long rss_kb = 0, rss_before_kb = 0;
    if (!output_of({"wish", KITSETUP_SOURCE_DIR "/bench/drive.tcl", "install", KITSETUP_BIN,
                    bench_root + "/tree", scratch + "/tarnu", medium, scratch + "/target"},
                   output) ||
        std::sscanf(output.c_str(), "%lf %ld %lf %ld %lf", &seconds, &rss_kb, &cpu, &rss_before_kb, &cpu_before) !=
            5 ||
        !target_complete())
        return -1;
    std::ofstream installer(dir + "/installer", std::ios::app);
    installer << rss_kb << " " << cpu << " " << rss_kb - rss_before_kb << " " << cpu - cpu_before << "\n";
    return seconds;
}

double run_install_tape(const std::string& dir) { return run_install(dir, "tape"); }
double run_install_cd(const std::string& dir) { return run_install(dir, "cd"); }

// The product's tape read as the tools alone would: each tape file by dd,
// through uncompress when its subset is compressed, into tar -xvf (the tar
// the product's commands name), its listing thrown away.
double run_tape_pipeline(const std::string&)
{
    if (!fresh_scratch() || !attach_tape())
        return -1;
    std::ifstream subsets(bench_root + "/tree/config/bwp10prd.cfg");
    std::string device = quoted(bench_root + "/media/tape/nst0");
    std::string tar = quoted(bench_root + "/tree/bin/" KITSETUP_KARCH "/tar");
    std::string script = "cd " + quoted(scratch_dir() + "/target") + " && {";
    std::string line;
    while (std::getline(subsets, line)) {
        if (line.rfind("Name=", 0) != 0)
            continue;
        bool compressed = line.find("Com=Yes") != std::string::npos;
        script += " /bin/dd if=" + device + " bs=20b 2>/dev/null | " +
                  (compressed ? "/usr/bin/uncompress -c | " : "") + tar + " -xvf - &&";
    }
    script += " true; } >/dev/null";
    double seconds = timed([&script] { return shell(script); });
    return target_complete() ? seconds : -1;
}

// The product's CD directory copied by cp -a.
double run_cd_copy(const std::string&)
{
    if (!fresh_scratch())
        return -1;
    std::string command = "cp -a " + quoted(bench_root + "/media/cd/BWP10") + " " +
                          quoted(scratch_dir() + "/target/");
    double seconds = timed([&command] { return shell(command); });
    return target_complete() ? seconds : -1;
}

// Seconds from exec to the main window with the install tree of count
// products.
double run_startup(int count)
{
    if (!fresh_scratch())
        return -1;
    std::string output;
    if (!output_of({"wish", KITSETUP_SOURCE_DIR "/bench/drive.tcl", "startup", KITSETUP_BIN,
                    bench_root + "/startup_" + std::to_string(count), scratch_dir() + "/tarnu"},
                   output))
        return -1;
    return std::atof(output.c_str());
}

double run_startup_2(const std::string&) { return run_startup(2); }
double run_startup_9(const std::string&) { return run_startup(9); }
double run_startup_200(const std::string&) { return run_startup(200); }

// Seconds from exec to the one window of a bare wish.
double run_bare_wish(const std::string&)
{
    std::string output;
    if (!output_of({"wish", KITSETUP_SOURCE_DIR "/bench/drive.tcl", "bare"}, output))
        return -1;
    return std::atof(output.c_str());
}

const int LOG_LINES = 100000;
// Lines a read of a command's output brings at once: a pipe's 4 KB.
const int LOG_LINES_PER_READ = 100;

// The verbose listing of an extraction, as the log receives it.
std::vector<std::string> log_lines()
{
    std::vector<std::string> lines;
    lines.reserve(LOG_LINES);
    for (int i = 0; i < LOG_LINES; ++i)
        lines.push_back("x part" + std::to_string(i / 5000 + 1) + "/d" + std::to_string(i / 100 % 50) +
                        "/f" + std::to_string(i % 1000) + ", " + std::to_string(1024 + i % 3072) + " bytes");
    return lines;
}

// The log dialog of the installer on the display: the lines appended as reads
// of command output bring them, each read followed by the log's once-a-pass
// work (the timer the lines armed, fired), then the log saved. Shown or not,
// as shown says. The event-loop pass itself is not counted: the installer
// makes it for the read anyway.
double run_log(const std::string& dir, bool shown)
{
    char arg0[] = "kitsetup";
    char* argv[] = {arg0, nullptr};
    int argc = 1;
    if (OI_init(&argc, argv, "kitsetup", nullptr) == nullptr)
        return -1;
    setenv("ICONS_DIR", KITSETUP_DEMO_DIR "/icons", 1);
    OI_reg_derived_classes();
    register_bindings();
    std::free(load_cf(nullptr, KITSETUP_DEMO_DIR "/config/fonts.cf"));
    OI_d_tech** dialogs = load_cf(nullptr, KITSETUP_DEMO_DIR "/config/cmndlgs.cf");
    if (dialogs == nullptr)
        return -1;
    std::free(dialogs);
    create_message_icons();
    std::vector<listring> lines;
    for (const std::string& line : log_lines())
        lines.emplace_back(line.c_str());
    // The save names the file it wrote on standard output.
    descriptor quiet(open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (!quiet.valid() || dup2(quiet.get(), STDOUT_FILENO) < 0)
        return -1;
    log_ui log;
    if (shown)
        log.popup();
    while (OI_dispatch_one(false)) {
    }
    std::string path = dir + "/inst.log";
    double seconds = timed([&] {
        for (size_t i = 0; i < lines.size(); ++i) {
            log.text(lines[i], false);
            if (i % LOG_LINES_PER_READ == LOG_LINES_PER_READ - 1) {
                // The pass's timer, which the event loop would fire now.
                OI_delete_timeout(OI_callback(&log, &log_ui::flush_cb, nullptr));
                log.flush_cb(nullptr, nullptr, 0);
            }
        }
        bool saved = log.write_log(path.c_str());
        while (OI_dispatch_one(false)) {
        }
        return saved;
    });
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || info.st_size < LOG_LINES * 20) {
        std::fprintf(stderr, "kit_bench: the log was not saved whole in %s\n", path.c_str());
        return -1;
    }
    return seconds;
}

double run_log_hidden(const std::string& dir) { return run_log(dir, false); }
double run_log_shown(const std::string& dir) { return run_log(dir, true); }

// The same lines written to a file as they come: one write per read.
double run_lines_to_file(const std::string& dir)
{
    std::vector<std::string> lines = log_lines();
    std::string path = dir + "/lines";
    return timed([&] {
        descriptor file(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        std::string chunk;
        bool written = file.valid();
        for (size_t i = 0; written && i < lines.size(); ++i) {
            chunk += lines[i];
            chunk += '\n';
            if (i % LOG_LINES_PER_READ == LOG_LINES_PER_READ - 1 || i + 1 == lines.size()) {
                written = file.write_all(chunk.data(), chunk.size());
                chunk.clear();
            }
        }
        if (written && file.close())
            return true;
        std::fprintf(stderr, "kit_bench: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    });
}

bool nothing_to_prepare(const std::string&) { return true; }

// A comparison: the program's run and the tools' run on the same work,
// alternated, each the median of its runs. Its keys in results.json are
// NAME_seconds, NAME_baseline_seconds and NAME_ratio.
struct comparison {
    const char* name;
    const char* title;
    const char* baseline_title;
    bool (*prepare)(const std::string& dir);
    double (*run)(const std::string& dir);
    double (*baseline)(const std::string& dir);
    // A run may take this long at least, whatever the cap.
    double least_cap;
};

const comparison comparisons[] = {
    {"install_tape", "20 000 files from tape", "dd | uncompress | tar -xvf", product_made, run_install_tape,
     run_tape_pipeline, 600},
    {"install_cd", "20 000 files from CD", "cp -a", product_made, run_install_cd, run_cd_copy, 600},
    {"startup_2", "start-up, 2 products", "bare wish window", product_made, run_startup_2, run_bare_wish, 60},
    {"startup_9", "start-up, 9 products", "bare wish window", product_made, run_startup_9, run_bare_wish, 60},
    {"startup_200", "start-up, 200 products", "bare wish window", product_made, run_startup_200,
     run_bare_wish, 60},
    {"log", "100 000 log lines, saved", "lines written to a file", nothing_to_prepare, run_log_hidden,
     run_lines_to_file, 60},
    {"log_shown", "the same, log shown", "lines written to a file", nothing_to_prepare, run_log_shown,
     run_lines_to_file, 60},
};

// The figures each goal holds to: at most or at least limit.
struct goal {
    const char* key;
    bool at_most;
    double limit;
};

const goal goals[] = {
    {"install_tape_ratio", true, 1.10},    {"install_cd_ratio", true, 1.10},
    {"install_peak_rss_mb", true, 64},     {"removal_files_per_second", false, 2000},
    {"removal_stop_ms", true, 100},        {"startup_9_seconds", true, 0.5},
    {"startup_200_seconds", true, 1.5},    {"log_ratio", true, 2.0},
    {"verify_20000_seconds", true, 2.0},
};

// One measurement: its name in results.json, a line for the table, the
// untimed preparation of its input directory (false after a message), one
// run (its figure, or -1 after a message) and the figure's unit.
struct measurement {
    const char* name;
    const char* title;
    bool (*prepare)(const std::string& dir);
    double (*run)(const std::string& dir);
    const char* unit;
};

const measurement measurements[] = {
    {"subsets_10000_seconds", "10 000 subsets read", prepare_subsets, run_subsets, "s"},
    {"line_4mb_seconds", "one 4 MB line read", prepare_line, run_line, "s"},
    {"printers_10000_seconds", "10 000 printers read", prepare_printers, run_printers, "s"},
    {"printers_save_10000_seconds", "10 000 printers saved", prepare_printers, run_printer_save, "s"},
    {"removal_files_per_second", "20 000 files removed", prepare_removal, run_removal, "files/s"},
    {"rm_rf_files_per_second", "the same by rm -rf", prepare_removal, run_rm_rf, "files/s"},
    {"removal_stop_ms", "stop during the removal", prepare_removal, run_removal_stop, "ms"},
    {"verify_20000_seconds", "20 000 files verified, < 2 s", prepare_verify, run_verify, "s"},
};

// ---- Running -----------------------------------------------------------------

// Set by SIGINT and SIGTERM: the run in progress is killed and the driver
// ends with what it has.
volatile sig_atomic_t interrupted = 0;

void note_interrupt(int) { interrupted = 1; }

struct outcome {
    std::vector<double> runs;
    bool capped = false;
    bool failed = false;
};

// One run in a child of its own process group (so that a kill reaches the
// programs it started), killed after cap seconds: the run's figure, or -1
// when it failed, -2 when it was killed at the cap, -3 when interrupted.
double run_once(const char* name, double (*run)(const std::string&), const std::string& dir, double cap)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "kit_bench: pipe: %s\n", std::strerror(errno));
        return -1;
    }
    descriptor reading(ends[0]), writing(ends[1]);
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0) {
        std::fprintf(stderr, "kit_bench: fork: %s\n", std::strerror(errno));
        return -1;
    }
    if (child == 0) {
        setpgid(0, 0);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        double seconds = run(dir);
        bool sent = write(writing.get(), &seconds, sizeof seconds) == sizeof seconds;
        _exit(sent ? 0 : 1);
    }
    setpgid(child, child);
    writing.reset();
    pollfd wait_for{reading.get(), POLLIN, 0};
    auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(cap);
    int ready;
    do {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(limit - std::chrono::steady_clock::now());
        ready = interrupted ? -1 : poll(&wait_for, 1, static_cast<int>(std::max<long long>(0, left.count())));
    } while (ready < 0 && errno == EINTR && !interrupted);
    double seconds = -1;
    if (interrupted) {
        kill(-child, SIGKILL);
        seconds = -3;
    } else if (ready == 0) {
        kill(-child, SIGKILL);
        seconds = -2;
    } else if (ready < 0) {
        std::fprintf(stderr, "kit_bench: poll: %s\n", std::strerror(errno));
        kill(-child, SIGKILL);
    } else if (read(reading.get(), &seconds, sizeof seconds) != sizeof seconds) {
        std::fprintf(stderr, "kit_bench: %s ended without a result\n", name);
        seconds = -1;
    }
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // What the run started and left behind (a killed driver's installer).
    kill(-child, SIGKILL);
    return seconds;
}

// Adds one run's figure to o: false when the runs must stop there.
bool record(outcome& o, double seconds)
{
    if (seconds == -2)
        o.capped = true;
    else if (seconds < 0)
        o.failed = true;
    else
        o.runs.push_back(seconds);
    return seconds >= 0;
}

// Up to runs runs of m, stopping at a failure or at the first run killed at
// the cap.
outcome measure(const measurement& m, const std::string& dir, int runs, double cap)
{
    outcome result;
    for (int i = 0; i < runs && record(result, run_once(m.name, m.run, dir, cap)); ++i) {
    }
    return result;
}

// The program's and the tools' runs of c alternated, so that both meet the
// same load on a busy machine.
void measure(const comparison& c, const std::string& dir, int runs, double cap, outcome& program,
             outcome& tools)
{
    cap = std::max(cap, c.least_cap);
    for (int i = 0; i < runs; ++i) {
        if (!record(program, run_once(c.name, c.run, dir, cap)) ||
            !record(tools, run_once(c.name, c.baseline, dir, cap)))
            break;
    }
}

// The figure a measurement reports: the median of its runs, the cap when a
// run was killed there (the time is at least that), -1 when it failed.
double figure(const outcome& o, double cap)
{
    if (o.failed || o.runs.empty())
        return o.capped ? cap : -1;
    if (o.capped)
        return cap;
    std::vector<double> sorted = o.runs;
    std::sort(sorted.begin(), sorted.end());
    size_t n = sorted.size();
    return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

std::string json_number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// The figures of the run: "results" maps each name to its figure (null when
// it failed); "details" keeps every run and whether the cap stopped it.
struct results_file {
    std::string results;
    std::string details;
    std::map<std::string, double> known;

    void add(const std::string& name, double value, bool failed)
    {
        results += std::string(results.empty() ? "\n" : ",\n") + "    \"" + name +
                   "\": " + (failed ? "null" : json_number(value));
        if (!failed)
            known[name] = value;
    }
    void add(const std::string& name, const outcome& o, double cap)
    {
        add(name, figure(o, cap), o.failed || (o.runs.empty() && !o.capped));
        std::string list;
        for (double seconds : o.runs)
            list += (list.empty() ? "" : ", ") + json_number(seconds);
        details += std::string(details.empty() ? "\n" : ",\n") + "    \"" + name + "\": {\"runs\": [" + list +
                   "], \"capped\": " + (o.capped ? "true" : "false") +
                   ", \"failed\": " + (o.failed ? "true" : "false") + "}";
    }
    bool write(const std::string& path, int runs, double cap) const
    {
        return write_text(path, "{\n  \"runs\": " + std::to_string(runs) + ",\n  \"cap_seconds\": " +
                                    json_number(cap) + ",\n  \"results\": {" + results + "\n  },\n  \"details\": {" +
                                    details + "\n  }\n}\n");
    }
};

std::string shown(const outcome& o, double cap, const char* unit)
{
    char value[80];
    if (o.failed)
        std::snprintf(value, sizeof value, "failed");
    else if (o.capped)
        std::snprintf(value, sizeof value, "> %.0f s (run %zu stopped at the cap)", cap, o.runs.size() + 1);
    else if (o.runs.empty())
        std::snprintf(value, sizeof value, "not run");
    else
        std::snprintf(value, sizeof value, "%.4f %s", figure(o, cap), unit);
    return value;
}

void print_row(const measurement& m, const outcome& o, double cap)
{
    std::printf("%-28s %-28s %s (median of %zu)\n", m.name, m.title, shown(o, cap, m.unit).c_str(),
                o.runs.size());
    std::fflush(stdout);
}

// The ratio of the medians, -1 when either side has no figure.
double ratio(const outcome& program, const outcome& tools, double cap)
{
    double a = figure(program, cap), b = figure(tools, cap);
    return program.failed || tools.failed || a < 0 || b <= 0 ? -1 : a / b;
}

void print_row(const comparison& c, const outcome& program, const outcome& tools, double cap)
{
    cap = std::max(cap, c.least_cap);
    double r = ratio(program, tools, cap);
    std::printf("%-28s %-28s %s\n", c.name, c.title, shown(program, cap, "s").c_str());
    std::printf("%-28s %-28s %s\n", "", c.baseline_title, shown(tools, cap, "s").c_str());
    if (r >= 0)
        std::printf("%-28s %-28s %.3f (medians of %zu and %zu)\n", "", "ratio", r, program.runs.size(),
                    tools.runs.size());
    std::fflush(stdout);
}

// What the installations of a comparison left in dir/installer: the largest
// peak resident size and the largest growth of it during an installation,
// in MB, and the median of the installer's own processor seconds; -1 for
// each when there is none.
struct installer_figures {
    double rss_mb = -1;
    double growth_mb = -1;
    double cpu_seconds = -1;
    double installing_cpu_seconds = -1;  // of it, after the OK
};

installer_figures read_installer_figures(const std::string& dir)
{
    std::ifstream runs(dir + "/installer");
    long kb, growth_kb;
    double cpu, installing_cpu;
    long largest = -1, largest_growth = -1;
    outcome cpus, installing_cpus;
    while (runs >> kb >> cpu >> growth_kb >> installing_cpu) {
        largest = std::max(largest, kb);
        largest_growth = std::max(largest_growth, growth_kb);
        cpus.runs.push_back(cpu);
        installing_cpus.runs.push_back(installing_cpu);
    }
    installer_figures figures;
    figures.rss_mb = largest < 0 ? -1 : largest / 1024.0;
    figures.growth_mb = largest_growth < 0 ? -1 : largest_growth / 1024.0;
    figures.cpu_seconds = figure(cpus, 0);
    figures.installing_cpu_seconds = figure(installing_cpus, 0);
    return figures;
}

// Prints each goal against its figure; the number missed or not measured
// among those whose figure this run made.
int report_goals(const results_file& file)
{
    int missed = 0;
    std::printf("\ngoals\n");
    for (const goal& g : goals) {
        auto found = file.known.find(g.key);
        const char* verdict;
        if (found == file.known.end())
            verdict = file.results.find(std::string("\"") + g.key + "\"") == std::string::npos ? "not run"
                                                                                               : "MISSED (no figure)";
        else if (g.at_most ? found->second <= g.limit : found->second >= g.limit)
            verdict = "met";
        else
            verdict = "MISSED";
        if (std::strncmp(verdict, "MISSED", 6) == 0)
            ++missed;
        std::printf("  %-28s %s %-8g %-12s %s\n", g.key, g.at_most ? "<=" : ">=", g.limit,
                    found == file.known.end() ? "-" : json_number(found->second).c_str(), verdict);
    }
    if (missed > 0)
        std::printf("%d goal%s missed\n", missed, missed == 1 ? "" : "s");
    else
        std::printf("no goal missed among those measured\n");
    return missed;
}

// Makes dir unless it exists: false after a message.
bool make_directory(const std::string& dir)
{
    if (mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST)
        return true;
    std::fprintf(stderr, "kit_bench: cannot make %s: %s\n", dir.c_str(), std::strerror(errno));
    return false;
}

int usage()
{
    std::fprintf(stderr, "usage: kit_bench [--runs N] [--cap SECONDS] [--out DIR] [MEASUREMENT...]\n");
    return 2;
}

bool wanted_name(const std::vector<std::string>& wanted, const char* name)
{
    return wanted.empty() || std::find(wanted.begin(), wanted.end(), name) != wanted.end();
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    double cap = 60;
    std::string out_dir = ".";
    std::vector<std::string> wanted;
    for (int arg = 1; arg < argc; ++arg) {
        std::string option = argv[arg];
        bool has_value = arg + 1 < argc;
        if (option == "--runs" && has_value)
            runs = std::max(1, std::atoi(argv[++arg]));
        else if (option == "--cap" && has_value)
            cap = std::max(1.0, std::atof(argv[++arg]));
        else if (option == "--out" && has_value)
            out_dir = argv[++arg];
        else if (option[0] == '-')
            return usage();
        else
            wanted.push_back(option);
    }
    // The product reader wants what start-up checks for.
    setenv("LANG", "C", 1);
    setenv("KARCH", KITSETUP_KARCH, 0);
    if (!make_directory(out_dir))
        return 1;
    char* root = realpath(out_dir.c_str(), nullptr);
    if (root == nullptr) {
        std::fprintf(stderr, "kit_bench: %s: %s\n", out_dir.c_str(), std::strerror(errno));
        return 1;
    }
    bench_root = root;
    std::free(root);
    struct sigaction on_interrupt {};
    on_interrupt.sa_handler = note_interrupt;
    sigaction(SIGINT, &on_interrupt, nullptr);
    sigaction(SIGTERM, &on_interrupt, nullptr);

    results_file file;
    int status = 0;
    std::printf("%-28s %-28s %s\n", "measurement", "what", "figure");
    for (const measurement& m : measurements) {
        if (interrupted || !wanted_name(wanted, m.name))
            continue;
        std::string dir = out_dir + "/" + m.name;
        if (!make_directory(dir))
            return 1;
        outcome o;
        o.failed = !m.prepare(dir);
        if (!o.failed)
            o = measure(m, dir, runs, cap);
        if (o.failed && !interrupted)
            status = 1;
        print_row(m, o, cap);
        file.add(m.name, o, cap);
    }
    double peak_rss = -1, rss_growth = -1;
    bool installed = false;
    for (const comparison& c : comparisons) {
        if (interrupted || !wanted_name(wanted, c.name))
            continue;
        std::string dir = bench_root + "/" + c.name;
        if (!make_directory(dir) || !write_text(dir + "/installer", ""))
            return 1;
        outcome program, tools;
        program.failed = !c.prepare(dir);
        if (!program.failed)
            measure(c, dir, runs, cap, program, tools);
        if ((program.failed || tools.failed) && !interrupted)
            status = 1;
        print_row(c, program, tools, cap);
        double c_cap = std::max(cap, c.least_cap);
        file.add(std::string(c.name) + "_seconds", program, c_cap);
        file.add(std::string(c.name) + "_baseline_seconds", tools, c_cap);
        double r = ratio(program, tools, c_cap);
        file.add(std::string(c.name) + "_ratio", r, r < 0);
        if (std::strncmp(c.name, "install_", 8) == 0) {
            installer_figures f = read_installer_figures(dir);
            std::printf("%-28s %-28s %.2f s\n", "", "the installer's own CPU", f.cpu_seconds);
            file.add(std::string(c.name) + "_installer_cpu_seconds", f.cpu_seconds, f.cpu_seconds < 0);
            std::printf("%-28s %-28s %.2f s\n", "", "of it after the OK", f.installing_cpu_seconds);
            file.add(std::string(c.name) + "_installing_cpu_seconds", f.installing_cpu_seconds,
                     f.installing_cpu_seconds < 0);
            peak_rss = std::max(peak_rss, f.rss_mb);
            rss_growth = std::max(rss_growth, f.growth_mb);
            installed = true;
        }
    }
    if (installed) {
        std::printf("%-28s %-28s %.1f MB\n", "install_peak_rss_mb", "installer's peak RSS", peak_rss);
        file.add("install_peak_rss_mb", peak_rss, peak_rss < 0);
        std::printf("%-28s %-28s %.1f MB\n", "install_rss_growth_mb", "of it grown while installing",
                    rss_growth);
        file.add("install_rss_growth_mb", rss_growth, rss_growth < 0);
    }
    std::string results = out_dir + "/results.json";
    if (!file.write(results, runs, cap))
        return 1;
    report_goals(file);
    std::printf("figures in %s\n", results.c_str());
    if (interrupted) {
        std::printf("interrupted: the figures above are what was measured before\n");
        return 130;
    }
    return status;
}
