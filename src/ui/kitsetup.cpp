#include "ui/kitsetup.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "misc/utilities.h"
#include "ui/dialogs.h"
#include "ui/msgs.h"

listring ERROR_CATALOGUE;
nl_catd msg_file = nullptr;
int Xstarted = 0;
const char* const kitsetup_ver = "Release 1.0.8";

namespace {

// The options the installer reads itself; everything else is left to the
// toolkit.
struct command_line {
    liboolean directory_given = false;
    liboolean splash = true;
    listring setup_product;
};

// Everything after the last "/" of path.
listring base_name(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return listring(slash == nullptr ? path : slash + 1);
}

[[noreturn]] void print_usage()
{
    std::fputs(catalogue_text(DEF_USAGE_STRING1), stdout);
    std::fputs(catalogue_text(DEF_USAGE_STRING2), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
    shutdown(0);
}

[[noreturn]] void print_version(const char* program)
{
    std::printf("%s: %s.\n", base_name(program).c_str(), kitsetup_ver);
    std::fflush(stdout);
    shutdown(0);
}

// Reads the options left to right; an option missing its value prints the
// usage. Returns what the rest of start-up needs.
command_line read_command_line(int argc, char** argv)
{
    command_line options;
    for (int i = 1; i < argc; ++i) {
        listring argument(argv[i]);
        if (argument == INSTALL_DIR_OPTION) {
            if (i + 1 >= argc)
                print_usage();
            int status = setup_directories(listring(argv[++i]));
            if (status != 0)
                shutdown(status);
            open_installer_catalogue();
            options.directory_given = true;
        } else if (argument == SETUP_OPTION) {
            if (i + 1 >= argc)
                print_usage();
            options.setup_product = argv[++i];
        } else if (argument == NO_SPLASH_OPTION) {
            options.splash = false;
        } else if (argument == HELP_OPTION) {
            print_usage();
        } else if (argument == VERSION_OPTION) {
            print_version(argv[0]);
        }
    }
    return options;
}

// Ends the program with status 0 after error text when the environment
// variable name is unset.
void require_environment(const listring& name, const kit_message& text)
{
    if (std::getenv(name) == nullptr) {
        error(catalogue_text(text), true);
        shutdown(0);
    }
}

// Puts "name=value" into the environment from a buffer that lives for the run.
void export_variable(char (&entry)[MESSAGE_BUFFER_SIZE], const char* name, const listring& value)
{
    std::snprintf(entry, sizeof entry, "%s=%s", name, value.c_str());
    putenv(entry);
}

// Directory dir joined with name, with one "/" between them.
listring join_directory(const listring& dir, const listring& name)
{
    listring path(dir);
    if (path.is_empty() || path[path.length() - 1] != '/')
        path += "/";
    path += name;
    return path;
}

}  // namespace

int kitsetup_main(int argc, char** argv)
{
    ERROR_CATALOGUE = base_name(argc > 0 ? argv[0] : APP_NAME.c_str());
    listring::case_sensitive_off();

    command_line options = read_command_line(argc, argv);

    require_environment(ARCH_VAR, DEF_ARCH_NOT_DEFINED);
    require_environment(DISPLAY_VAR, DEF_DISPLAY_NOT_DEFINED);
    if (!options.directory_given) {
        if (setup_directories(listring(CWD)) != 0)
            shutdown(-1);
        open_installer_catalogue();
    }

    setup_environment();
    handle_signals();
    shutdown(0);
}

int setup_directories(const listring& dir)
{
    if (!valid_directory(dir)) {
        error(format_message(DEF_BAD_DIR, dir.c_str()), true);
        return -1;
    }
    listring path(dir);
    expand_directory(path);

    INSTALL_DIR = path;
    CONFIG_FILE_DIR = join_directory(INSTALL_DIR, DEFAULT_CONFIG_FILE_DIR);
    ICONS_DIR = join_directory(INSTALL_DIR, DEFAULT_ICONS_DIR);
    MESSAGES_DIR = join_directory(INSTALL_DIR, DEFAULT_MESSAGES_DIR);
    HELP_DIR = join_directory(INSTALL_DIR, DEFAULT_HELP_DIR);
    MAP_DIR = join_directory(INSTALL_DIR, DEFAULT_MAP_DIR);
    BIN_DIR = join_directory(INSTALL_DIR, DEFAULT_BIN_DIR);
    BIN_DIR += "/";
    const char* architecture = std::getenv(ARCH_VAR);
    BIN_DIR += architecture == nullptr ? "" : architecture;
    return 0;
}

void setup_environment()
{
    static char hhpath_entry[MESSAGE_BUFFER_SIZE];
    static char hohpath_entry[MESSAGE_BUFFER_SIZE];
    static char kitsetup_dir_entry[MESSAGE_BUFFER_SIZE];
    static char icons_dir_entry[MESSAGE_BUFFER_SIZE];
    export_variable(hhpath_entry, "HHPATH", BIN_DIR);
    export_variable(hohpath_entry, "HOHPATH", HELP_DIR);
    export_variable(kitsetup_dir_entry, "KITSETUP_DIR", INSTALL_DIR);
    export_variable(icons_dir_entry, "ICONS_DIR", ICONS_DIR);
}

void handle_signals()
{
    std::signal(SIGINT, static_cast<void (*)(int)>(shutdown));
    std::signal(SIGBUS, quick_shutdown);
    std::signal(SIGSEGV, quick_shutdown);
    std::signal(SIGABRT, quick_shutdown);
}

void shutdown(int status)
{
    std::exit(status);
}

// Runs in signal context after a crash: nothing is saved, the memory may be
// damaged, so only plain writes and _exit.
void quick_shutdown(int)
{
    const char* prefix = catalogue_text(DEF_ERROR_PREFIX);
    const char* text = catalogue_text(DEF_INTERNAL_ERROR);
    std::fprintf(stderr, "%s%s\n", prefix, text);
    std::fflush(stderr);
    _exit(255);
}
