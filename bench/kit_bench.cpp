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
#include "toolkit/oi_connection.h"
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

// Installs the tree untimed, then removes it through the removal (with
// backups on, so every file is examined and deleted one by one) until the
// working dialog goes, or until the stop when stop is given. The
// milliseconds the removal took, or -1.
double remove_installed(const std::string& relative_dir, stop_press* stop)
{
    // The records name the target absolutely, as an installation does.
    char* resolved = realpath(relative_dir.c_str(), nullptr);
    if (resolved == nullptr)
        return -1;
    std::string dir(resolved);
    std::free(resolved);
    std::string log;
    if (std::system(("rm -rf '" + dir + "/tree'").c_str()) != 0 || !private_records() || !make_tree(dir, &log) || !write_text("/opt/tarnu/.bnc10.fls", log) ||
        !write_text("/opt/tarnu/.bnc10.dat", "Target:\t" + dir + "/tree;\nOptions:\tall ;\n"))
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
    std::string command = "rm -rf '" + dir + "/tree'";
    if (std::system(command.c_str()) != 0 || !make_tree(dir, nullptr))
        return -1;
    double seconds = timed([&command] { return std::system(command.c_str()) == 0; });
    return seconds <= 0 ? -1 : REMOVAL_FILES / seconds;
}

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
};

// ---- Running -----------------------------------------------------------------

struct outcome {
    std::vector<double> runs;
    bool capped = false;
    bool failed = false;
};

// One run of m in a child, killed after cap seconds: the run's seconds, or
// -1 when it failed, or -2 when it was killed at the cap.
double run_once(const measurement& m, const std::string& dir, double cap)
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
        double seconds = m.run(dir);
        bool sent = write(writing.get(), &seconds, sizeof seconds) == sizeof seconds;
        _exit(sent ? 0 : 1);
    }
    writing.reset();
    pollfd wait_for{reading.get(), POLLIN, 0};
    int ready;
    do
        ready = poll(&wait_for, 1, static_cast<int>(cap * 1000));
    while (ready < 0 && errno == EINTR);
    double seconds = -1;
    if (ready == 0) {
        kill(child, SIGKILL);
        seconds = -2;
    } else if (ready < 0) {
        std::fprintf(stderr, "kit_bench: poll: %s\n", std::strerror(errno));
        kill(child, SIGKILL);
    } else if (read(reading.get(), &seconds, sizeof seconds) != sizeof seconds) {
        std::fprintf(stderr, "kit_bench: %s ended without a result\n", m.name);
        seconds = -1;
    }
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return seconds;
}

// Up to runs runs of m, stopping at a failure or at the first run killed at
// the cap.
outcome measure(const measurement& m, const std::string& dir, int runs, double cap)
{
    outcome result;
    for (int i = 0; i < runs; ++i) {
        double seconds = run_once(m, dir, cap);
        if (seconds == -2) {
            result.capped = true;
            break;
        }
        if (seconds < 0) {
            result.failed = true;
            break;
        }
        result.runs.push_back(seconds);
    }
    return result;
}

// The figure a measurement reports: the median of its runs, the cap when a
// run was killed there (the time is at least that), -1 when it failed.
double figure(const outcome& o, double cap)
{
    if (o.failed)
        return -1;
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

// results.json: "results" maps each name to its figure (null when it
// failed); "details" keeps every run and whether the cap stopped it.
bool write_results(const std::string& path, const std::vector<const measurement*>& done,
                   const std::vector<outcome>& outcomes, int runs, double cap)
{
    std::string results, details;
    for (size_t i = 0; i < done.size(); ++i) {
        const outcome& o = outcomes[i];
        std::string separator = i == 0 ? "\n" : ",\n";
        double value = figure(o, cap);
        results += separator + "    \"" + done[i]->name + "\": " + (o.failed ? "null" : json_number(value));
        std::string list;
        for (double seconds : o.runs)
            list += (list.empty() ? "" : ", ") + json_number(seconds);
        details += separator + "    \"" + done[i]->name + "\": {\"runs\": [" + list + "], \"capped\": " +
                   (o.capped ? "true" : "false") + ", \"failed\": " + (o.failed ? "true" : "false") + "}";
    }
    return write_text(path, "{\n  \"runs\": " + std::to_string(runs) + ",\n  \"cap_seconds\": " +
                                json_number(cap) + ",\n  \"results\": {" + results + "\n  },\n  \"details\": {" +
                                details + "\n  }\n}\n");
}

void print_row(const measurement& m, const outcome& o, double cap)
{
    char value[64];
    if (o.failed)
        std::snprintf(value, sizeof value, "failed");
    else if (o.capped)
        std::snprintf(value, sizeof value, "> %.0f s (run %zu stopped at the cap)", cap, o.runs.size() + 1);
    else
        std::snprintf(value, sizeof value, "%.4f %s (median of %zu)", figure(o, cap), m.unit, o.runs.size());
    std::printf("%-30s %-24s %s\n", m.name, m.title, value);
    std::fflush(stdout);
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

    std::vector<const measurement*> done;
    std::vector<outcome> outcomes;
    int status = 0;
    std::printf("%-30s %-24s %s\n", "measurement", "what", "time");
    for (const measurement& m : measurements) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), m.name) == wanted.end())
            continue;
        std::string dir = out_dir + "/" + m.name;
        if (!make_directory(out_dir) || !make_directory(dir))
            return 1;
        outcome o;
        o.failed = !m.prepare(dir);
        if (!o.failed)
            o = measure(m, dir, runs, cap);
        if (o.failed)
            status = 1;
        print_row(m, o, cap);
        done.push_back(&m);
        outcomes.push_back(o);
    }
    std::string results = out_dir + "/results.json";
    if (!write_results(results, done, outcomes, runs, cap))
        return 1;
    std::printf("figures in %s\n", results.c_str());
    return status;
}
