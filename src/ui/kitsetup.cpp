#include "ui/kitsetup.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <unistd.h>
#include <utility>

#include "lib/descriptor.h"
#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "prod/installed_check.h"
#include "prod/product.h"
#include "toolkit/center_xy.h"
#include "toolkit/koi_button.h"
#include "toolkit/merge_resource_file.h"
#include "toolkit/oi_app_window.h"
#include "toolkit/oi_box.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_focus.h"
#include "help/winhelp.h"
#include "toolkit/oi_help_menu.h"
#include "misc/translate_filename.h"
#include "toolkit/cvt_xpmfile.h"
#include "ui/automation.h"
#include "ui/bindings.h"
#include "ui/log_ui.h"
#include "ui/printer_offer.h"
#include "cmds/l_cmd.h"
#include "ui/main_ui.h"
#include "misc/utilities.h"
#include "ui/dialogs.h"
#include "lib/msgs.h"

KOI_button* CONFIRM_ICON = nullptr;
KOI_button* ERROR_ICON = nullptr;
KOI_button* INFO_ICON = nullptr;
KOI_button* WARN_ICON = nullptr;
const char* const kitsetup_ver = "Release 1.0.8";

namespace {

// Where messages go: standard error until the toolkit is up, then the boxes.
text_mode_reporter terminal_messages;
dialog_reporter message_boxes;

// The options the installer reads itself; everything else is left to the
// toolkit.
struct command_line {
    liboolean directory_given = false;
    liboolean splash = true;
    listring setup_product;
    listring verify_product;
    XpDefaults_t printer_file = XP_USER_DEFAULTS;
};

// Set by kpconfig_main: the run shows the printer dialogs instead of the
// main window, and takes the printer utility's options.
bool printer_utility = false;
const char* const SYSTEM_FILE_OPTION = "-system";

// Everything after the last "/" of path.
listring base_name(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return listring(slash == nullptr ? path : slash + 1);
}

[[noreturn]] void print_usage()
{
    if (printer_utility) {
        std::fputs(catalogue_text(DEF_KPCONFIG_USAGE), stdout);
        std::fflush(stdout);
        shutdown(0);
    }
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
        } else if (printer_utility && argument == SYSTEM_FILE_OPTION) {
            options.printer_file = XP_SYSTEM_DEFAULTS;
        } else if (argument == SETUP_OPTION && !printer_utility) {
            if (i + 1 >= argc)
                print_usage();
            options.setup_product = argv[++i];
        } else if (argument == VERIFY_OPTION && !printer_utility) {
            if (i + 1 >= argc)
                print_usage();
            options.verify_product = argv[++i];
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

// Ends the program with status after text when a required variable is
// missing (given is false).
void require_environment(liboolean given, const kit_message& text, int status)
{
    if (!given) {
        error(catalogue_text(text), true);
        shutdown(status);
    }
}

// Checks the installed product product_id against its records in text
// mode and ends the program with the check's status: 0 when everything
// matches, 1 with differences, 2 when there are no readable records. The
// product's description file must be there, named by the identifier
// itself, for the product to be made at all.
[[noreturn]] void run_verify(const listring& product_id)
{
    listring description = product::config_file_name(product_id, EMPTY_STRING, PRODUCT_FILE_EXTENSION);
    if (std::strchr(product_id.c_str(), '/') != nullptr || !valid_file(description, F_OK)) {
        error(format_message(DEF_NO_RECORD_OF_INSTALL, product_id.c_str()), true);
        shutdown(installed_check::NO_RECORDS);
    }
    int status = installed_check::NO_RECORDS;
    {
        product checked(nullptr, product_id);
        if (std::strcmp(checked.id().c_str(), product_id.c_str()) != 0)
            error(format_message(DEF_NO_RECORD_OF_INSTALL, product_id.c_str()), true);
        else
            status = installed_check(checked).run(stdout);
    }
    shutdown(status);
}

// ---- Signals ------------------------------------------------------------------

// The interrupting signal noted by its handler, 0 while none came.
volatile sig_atomic_t noted_signal = 0;
// Set once the event loop watches the self-pipe.
volatile sig_atomic_t loop_watches_signals = 0;
// The self-pipe: the handler writes a byte, the event loop watches the read
// end and runs the orderly shutdown there, outside signal context.
descriptor signal_read_end;
descriptor signal_write_end;
// What quick_shutdown writes, made before any crash can happen, since the
// catalogue cannot be read in signal context.
char fatal_text[MESSAGE_BUFFER_SIZE];
size_t fatal_text_length = 0;

// The handler of SIGINT and SIGTERM: notes the signal and wakes the loop.
// Before the loop watches, start-up holds nothing to save and may be stuck
// in a call that never returns (an X server that does not answer), so the
// program ends here, with the status shutdown would give.
void note_signal(int signal_number)
{
    if (!loop_watches_signals)
        _exit(signal_number);
    int saved_errno = errno;
    noted_signal = signal_number;
    if (signal_write_end.valid() && write(signal_write_end.get(), "", 1) < 0) {
        // A full pipe already holds a wake-up.
    }
    errno = saved_errno;
}

// The event loop's side of the self-pipe. The watch goes first, so that a
// second signal cannot start a second shutdown while the first one asks
// where the log should go.
long signal_pipe_ready(OI_d_tech*, void*, long)
{
    char drained[64];
    while (read(signal_read_end.get(), drained, sizeof drained) > 0) {
    }
    OI_io_dispatch_remove(signal_read_end.get(), OI_READABLE);
    if (noted_signal != 0)
        shutdown(noted_signal);
    return 0;
}

// Makes the self-pipe, both ends closed on exec and non-blocking so that the
// handler never waits. False after a message.
bool open_signal_pipe()
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == -1) {
        int pipe_errno = errno;
        error(format_message(DEF_NO_PIPE, std::strerror(pipe_errno)), true);
        return false;
    }
    signal_read_end.reset(ends[0]);
    signal_write_end.reset(ends[1]);
    return true;
}

// Puts the error prefix and the internal-error text in fatal_text.
void prepare_fatal_text()
{
    int length = std::snprintf(fatal_text, sizeof fatal_text, "%s%s\n",
                               catalogue_text(DEF_ERROR_PREFIX), catalogue_text(DEF_INTERNAL_ERROR));
    fatal_text_length = length < 0 ? 0 : std::min(static_cast<size_t>(length), sizeof fatal_text - 1);
}

// Installs handler for signal_number; flags as for sigaction.
void install_handler(int signal_number, void (*handler)(int), int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    // Cannot fail: the signals and the handlers are valid.
    sigaction(signal_number, &action, nullptr);
}

OI_d_tech** load_resource_files(const listring& font_file);

// Large screens (more than 800 by 600) get the larger fonts.
bool screen_is_large()
{
    int width = 0;
    int height = 0;
    OI_uib_conn->screen_root()->size(&width, &height);
    return width >= 801 && height >= 601;
}


// The log of a run opens with what was started, when and where.
void log_startup()
{
    listring now;
    current_time(now);
    the_interface->log()->header(format_text("%s: %s, %s, %s", ERROR_CATALOGUE.c_str(), kitsetup_ver,
                                           now.c_str(), INSTALL_DIR.c_str()));
}

// How long the splash stays up at least, so that it can be seen at all.
const unsigned long SPLASH_MS = 1500;

// The splash goes once the main window is up and it has been seen for a
// moment; the object is found again by number in case it went before.
void take_splash_down_later(const OI_d_tech* splash)
{
    auto* id = reinterpret_cast<void*>(splash->id());
    OI_add_timeout(SPLASH_MS, OI_callback(
        [](OI_d_tech*, void* argument, long) -> long {
            if (OI_d_tech* box = OI_d_tech::by_id(reinterpret_cast<unsigned long>(argument)))
                box->delete_all();
            return 0;
        },
        id));
}

// A resource of the application itself, as its X options set them
// ("-title" is "kitsetup.title").
bool application_resource(const char* name, const char* cls, std::string& value)
{
    return OI_uib_conn->get_resource({OI_uib_conn->app_name(), name}, {OI_uib_conn->app_class(), cls}, &value);
}

// What an X program's options say of its application window, for the main
// window: -geometry sizes and places it (without one it is centred),
// -title names it.
void place_main_window(OI_d_tech* main_window)
{
    std::string value;
    if (application_resource("title", "Title", value))
        main_window->set_window_title(value);
    if (application_resource("geometry", "Geometry", value)) {
        if (main_window->set_geometry(value))
            return;
        warning(format_message(DEF_BAD_GEOMETRY, value.c_str()), true);
    }
    center_xy(main_window);
}

// Shows the main window and runs the event loop until the program ends.
// The other top-level objects of the main file wait hidden under the root.
[[noreturn]] void run_main_window(OI_d_tech** objects, OI_d_tech* splash)
{
    OI_d_tech* main_window = nullptr;
    for (OI_d_tech** object = objects; object != nullptr && *object != nullptr; ++object) {
        (*object)->set_associated_object(OI_uib_conn->root(), OI_DEFAULT_LOC, OI_DEFAULT_LOC,
                                         ACTIVE_NOT_DISPLAYED);
        if ((*object)->name() == MAIN_WINDOW.c_str())
            main_window = *object;
    }
    std::free(objects);
    if (main_window != nullptr) {
        std::string icon = main_window->resource("xpm", "Xpm", "$ICONS_DIR/install");
        if (OI_app_window* app = dynamic_cast<OI_app_window*>(main_window))
            app->icon(OI_image_for_file(icon));
    }
    the_interface = new main_ui;
    if (main_window != nullptr) {
        main_window->set_delete_window_action(
            OI_callback(the_interface, &main_ui::shutdown_app, nullptr));
        place_main_window(main_window);
        main_window->set_state(ACTIVE);
        std::string iconic;
        // -iconic: the window starts as an icon.
        if (application_resource("iconic", "Iconic", iconic) && (iconic == "on" || iconic == "true"))
            main_window->iconify();
        main_window->set_focus();
    }
    log_startup();
    if (splash != nullptr)
        take_splash_down_later(splash);
    OI_begin_interaction();
    OI_fini();
    main_ui* interface = the_interface;
    the_interface = nullptr;
    delete interface;
    shutdown(0);
}

// Runs one product's user set-up instead of the main window and ends the
// program with the script's result. The main window is only there, hidden,
// for the dialogs the script may raise to belong to.
[[noreturn]] void run_user_setup(OI_d_tech** objects, const listring& product_id)
{
    OI_d_tech* main_window = nullptr;
    for (OI_d_tech** object = objects; object != nullptr && *object != nullptr; ++object) {
        if ((*object)->name() != MAIN_WINDOW.c_str())
            continue;
        main_window = *object;
        main_window->set_associated_object(OI_uib_conn->root(), OI_DEFAULT_LOC, OI_DEFAULT_LOC,
                                           ACTIVE_NOT_DISPLAYED);
        if (OI_app_window* app = dynamic_cast<OI_app_window*>(main_window))
            if (OI_d_tech* help = app->help_menu())
                help->delete_all();
    }
    std::free(objects);
    int status = 0;
    {
        auto user_product = std::make_unique<product>(nullptr, product_id);
        status = user_product->setup_user();
        if (main_window != nullptr)
            main_window->delete_all();
    }
    shutdown(status);
}

// Records an installation the end of the run interrupts and saves a
// non-empty log of the run.
void keep_what_the_run_did()
{
    l_cmd::record_interrupted_installation();
    log_ui* log = the_interface == nullptr ? nullptr : the_interface->log();
    if (log != nullptr && !log->is_empty()) {
        listring dir = write_access(INSTALL_DIR) ? INSTALL_DIR : TMP_DIR;
        log->write_log(join_directory(dir, LOG_FILE));
    }
}

// The display went away: the same is kept as at shutdown, with messages on
// standard error since no box can show; the toolkit then ends the program.
void keep_what_the_run_did_without_display()
{
    set_reporter(&terminal_messages);
    keep_what_the_run_did();
    WinHelp_quit_now();
}

}  // namespace

int kitsetup_main(int argc, char** argv)
{
    set_reporter(&terminal_messages);
    std::set_new_handler(out_of_memory);
    // kpconfig speaks from the installer's own catalogue.
    ERROR_CATALOGUE = printer_utility ? APP_NAME : base_name(argc > 0 ? argv[0] : APP_NAME.c_str());
    OI_reg_derived_classes();
    listring::case_sensitive_off();

    command_line options = read_command_line(argc, argv);

    // The check runs in text mode, over a remote shell or in a script, where
    // status 0 would read as "everything matches".
    liboolean text_mode = !options.verify_product.is_empty();
    require_environment(!architecture().is_empty(), DEF_ARCH_NOT_DEFINED,
                        text_mode ? installed_check::NO_RECORDS : 0);
    if (!text_mode)
        require_environment(unix_getenv(DISPLAY_VAR) != nullptr, DEF_DISPLAY_NOT_DEFINED, 0);
    if (!options.directory_given) {
        if (setup_directories(listring(CWD)) != 0)
            shutdown(-1);
        open_installer_catalogue();
    }
    // The catalogue is open, so the crash text is in its language.
    handle_signals();
    if (text_mode)
        run_verify(options.verify_product);

    if (OI_init(&argc, argv, APP_NAME, nullptr) == nullptr)
        shutdown(0);
    if (signal_read_end.valid()) {
        OI_io_dispatch_insert(signal_read_end.get(), OI_READABLE, OI_callback(signal_pipe_ready, nullptr));
        loop_watches_signals = 1;
    }
    OI_set_display_lost_action(keep_what_the_run_did_without_display);
    install_automation();
    listring font_file = screen_is_large() ? FONTS_RES_FILE : SMALL_FONTS_RES_FILE;
    setup_environment();
    register_bindings();
    l_cmd::set_printer_offer(offer_printer_configuration);
    create_message_icons();
    OI_uib_conn->set_model(OI_MODEL_MOTIF);
    set_reporter(&message_boxes);
    setup_hyperhelp();

    OI_d_tech** main_objects = load_resource_files(font_file);
    if (printer_utility) {
        std::free(main_objects);
        shutdown(run_printer_configuration(options.printer_file) == 0 ? 0 : 1);
    }
    OI_d_tech* splash = nullptr;
    if (options.splash) {
        KOI_button* image = create_koi_button(WELCOME_DIALOG.c_str(), "", 2, 2, 30);
        splash = image == nullptr ? nullptr
                                  : display_splash(image, catalogue_text(DEF_INSTALL_WELCOME_MSG),
                                                   DEFAULT_SPLASH_ICON);
    }
    if (!options.setup_product.is_empty())
        run_user_setup(main_objects, options.setup_product);
    run_main_window(main_objects, splash);
}

int kpconfig_main(int argc, char** argv)
{
    printer_utility = true;
    return kitsetup_main(argc, argv);
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
    BIN_DIR += architecture();
    return 0;
}

void setup_environment()
{
    const std::pair<const char*, const listring*> exported[] = {
        {"HHPATH", &BIN_DIR},
        {"HOHPATH", &HELP_DIR},
        {"KITSETUP_DIR", &INSTALL_DIR},
        {"ICONS_DIR", &ICONS_DIR},
    };
    for (const auto& [name, value] : exported) {
        if (unix_setenv(name, *value) != 0) {
            error(format_message(DEF_NO_MEMORY), true);
            return;
        }
    }
}

namespace {

// The directory layout and the toolkit are up: the font file for the
// screen's size must exist, the common dialogs must give objects, the main
// file must merge; the language copies are optional. Returns the top-level
// objects of the main file (malloc'ed, null-terminated) or null.
OI_d_tech** load_resource_files(const listring& font_file)
{
    listring font_path = join_directory(CONFIG_FILE_DIR, font_file);
    if (!valid_file(font_path, F_OK)) {
        error(format_message(DEF_BAD_RESOURCE_FILE, font_path.c_str()), true);
        shutdown(-1);
    }
    std::free(load_cf(nullptr, font_path.c_str()));

    listring dialogs_path = join_directory(CONFIG_FILE_DIR, CMNDLG_RES_FILE);
    OI_d_tech** dialogs = load_cf(nullptr, dialogs_path.c_str());
    if (dialogs == nullptr) {
        error(format_message(DEF_BAD_RESOURCE_FILE, dialogs_path.c_str()), true);
        shutdown(-1);
    }
    std::free(dialogs);

    listring main_path = join_directory(CONFIG_FILE_DIR, MAIN_RES_FILE);
    OI_resource_fault fault;
    if (OI_uib_conn->add_resources(OI_translate_filename(main_path).c_str(), 0, &fault) == 0) {
        error(bad_resource_file_text(main_path, fault), true);
        OI_fini();
        shutdown(0);
    }
    OI_d_tech** main_objects = OI_make_top_level();

    // A language with no copy of its own reports the "C" copy it lacks too.
    for (const listring* name : {&MAIN_RES_FILE, &CMNDLG_RES_FILE}) {
        listring path = language_file(CONFIG_FILE_DIR, *name);
        if (path.is_empty()) {
            listring fallback = join_directory(join_directory(CONFIG_FILE_DIR, DEF_LANG), *name);
            error(format_message(DEF_BAD_RESOURCE_FILE, fallback.c_str()), true);
            continue;
        }
        std::free(load_cf(nullptr, path.c_str()));
    }
    return main_objects;
}

}  // namespace

OI_d_tech** load_cf(OI_d_tech* parent, const char* path)
{
    OI_d_tech** objects = nullptr;
    OI_resource_fault fault;
    if (merge_resource_file(parent, path, &objects, &fault) == 0) {
        error(bad_resource_file_text(path, fault), true);
        shutdown(-1);
    }
    return objects;
}

OI_d_tech* display_splash(KOI_button* image, const listring& title, const listring& icon_file)
{
    image->set_bdr_width(0);
    listring file(image->resource("xpm", "Xpm", icon_file.c_str()).c_str());
    image->pixmap(file.c_str());
    int width = 0;
    int height = 0;
    image->image_size(&width, &height);
    if (width <= 0 || height <= 0) {
        image->delete_all();
        return nullptr;
    }
    OI_box* box = new OI_box(title.c_str());
    box->set_size(width, height);
    box->disallow_resize();
    box->set_associated_object(OI_uib_conn->root(), OI_DEFAULT_LOC, OI_DEFAULT_LOC,
                               ACTIVE_NOT_DISPLAYED);
    image->set_associated_object(box, 0, 0, ACTIVE);
    center_xy(box);
    box->set_state(ACTIVE);
    box->set_focus();
    OI_flush();
    return box;
}

void create_message_icons()
{
    CONFIRM_ICON = create_koi_button(PIC.c_str(), CONFIRM_ICON_FILE.c_str(), 2, 2, 30);
    ERROR_ICON = create_koi_button(PIC.c_str(), ERROR_ICON_FILE.c_str(), 2, 2, 30);
    INFO_ICON = create_koi_button(PIC.c_str(), INFO_ICON_FILE.c_str(), 2, 2, 30);
    WARN_ICON = create_koi_button(PIC.c_str(), WARN_ICON_FILE.c_str(), 2, 2, 30);
}

int setup_hyperhelp()
{
    if (architecture().is_empty() && !warning(catalogue_text(DEF_ARCH_NOT_DEFINED), true))
        return -1;
    return 0;
}

// The crash handlers reset themselves, so that a crash inside one ends the
// program with the default action instead of looping.
void handle_signals()
{
    prepare_fatal_text();
    if (!signal_read_end.valid())
        open_signal_pipe();
    install_handler(SIGINT, note_signal, SA_RESTART);
    install_handler(SIGTERM, note_signal, SA_RESTART);
    for (int signal_number : {SIGBUS, SIGSEGV, SIGABRT})
        install_handler(signal_number, quick_shutdown, SA_RESETHAND);
}

void shutdown(int status)
{
    keep_what_the_run_did();
    if (the_interface != nullptr) {
        if (OI_uib_conn != nullptr) {
            const char* window = unix_getenv(WINDOWID_VAR);
            long window_id = window == nullptr || *window == '\0' ? 0 : string_to_integer(window);
            OI_hand_back_focus(static_cast<unsigned long>(window_id));
        }
        main_ui* interface = the_interface;
        the_interface = nullptr;
        delete interface;
        OI_end_interaction();
    }
    // The viewer goes whether or not the main window came up; one this
    // process did not start stays.
    WinHelp(nullptr, "", HELP_QUIT, 0);
    std::exit(status);
}

// Runs in signal context after a crash: nothing is saved, the memory may be
// damaged, so only the text made in advance, one write and _exit.
void quick_shutdown(int)
{
    if (write(STDERR_FILENO, fatal_text, fatal_text_length) < 0) {
        // Nowhere left to report to.
    }
    WinHelp_quit_now();
    _exit(255);
}
