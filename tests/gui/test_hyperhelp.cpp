// The help viewer hyperhelp as installers meet it: its command line, the
// pages it shows for good and bad help files, links, search and Back, and
// the window protocol, spoken from here with Xlib as an installer does.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "help/help_file.h"
#include "help/hh_protocol.h"
#include "kitsetup_session.h"
#include "toolkit/oi_connection.h"

// Last: Xlib's macros (None) would break the headers above.
#include <X11/Xlib.h>

namespace {

const std::string HYPERHELP = KITSETUP_DEMO_DIR "/bin/" KITSETUP_KARCH "/hyperhelp";
const std::string CANNOT_SHOW = "Cannot show this help file";

const char SAMPLE[] =
    ".topic 5 Sample Help\n"
    "Start at [[15]] or read about [[20|choosing]]; [[77|a lost topic]] is gone.\n"
    "\n"
    "- **Install** a product\n"
    "    kitsetup -dir /cdrom\n"
    ".topic 15 Actions\n"
    "The four actions. Back to [[5|the contents]].\n"
    ".topic 20 Choosing a product\n"
    "Pick one from the list of products.\n";

std::string page(const std::string& file, int context, const std::string& title)
{
    return OI_list({file, std::to_string(context), title});
}

// The viewer started with args, its automation name in its own variable.
// Ended in order when the test is done with it, so that its command file
// goes with it.
class test_viewer {
public:
    explicit test_viewer(const std::vector<std::string>& args, const std::string& screen = "")
        : session_(HYPERHELP, args, test_environment(), screen, "HYPERHELP_AUTOMATION")
    {
        wait_until("the viewer to answer", [&] { return session_.automation("id").rfind("ERROR: ", 0) != 0; });
    }
    ~test_viewer()
    {
        if (session_.send_signal(SIGTERM))
            session_.wait_exit();
    }
    kitsetup_session* operator->() { return &session_; }
    kitsetup_session& session() { return session_; }

private:
    kitsetup_session session_;
};

// The test's own X connection, playing the installer's part towards the
// viewer, whose window it finds by its mark as clients do.
class installer_side {
public:
    explicit installer_side(kitsetup_session& viewer)
        : display_(XOpenDisplay(viewer.display().c_str())), previous_(XSetErrorHandler(ignore_error)),
          identifier_(viewer.automation("id")), window_(find_below(root(), HH_SERVER_MARK + identifier_, 0))
    {
        EXPECT_NE(window_, 0u) << "no window marked " << HH_SERVER_MARK << identifier_;
    }
    ~installer_side()
    {
        if (display_ != nullptr)
            XCloseDisplay(display_);
        XSetErrorHandler(previous_);
    }

    bool found() const { return window_ != 0; }
    const std::string& identifier() const { return identifier_; }

    // Writes line into the viewer's command file, then sends its window the
    // client message naming the viewer (or named). The viewer takes it
    // before any automation call made after this returns.
    void request(const std::string& line, const std::string& named = "")
    {
        std::string path = HH_COMMAND_FILE_PREFIX + identifier_;
        int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
        std::string text = line + "\n";
        EXPECT_TRUE(fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()))
            << path << ": " << std::strerror(errno);
        if (fd >= 0)
            close(fd);
        send(named.empty() ? identifier_ : named);
    }

    void send(const std::string& identifier)
    {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = XInternAtom(display_, HH_ATOM_NAME, False);
        event.xclient.format = 8;
        std::strncpy(event.xclient.data.b, identifier.c_str(), sizeof event.xclient.data.b - 1);
        XSendEvent(display_, window_, True, 0, &event);
        // Synced, so the viewer has the message before any later send.
        XSync(display_, False);
    }

private:
    Window root() const { return display_ == nullptr ? 0 : DefaultRootWindow(display_); }

    // The window marked mark: the root's children, grandchildren and
    // great-grandchildren.
    Window find_below(Window parent, const std::string& mark, int depth)
    {
        Window found = 0, root_window = 0, parent_window = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (depth >= 3 || parent == 0 ||
            !XQueryTree(display_, parent, &root_window, &parent_window, &children, &count))
            return 0;
        Atom atom = XInternAtom(display_, HH_ATOM_NAME, False);
        for (unsigned i = count; found == 0 && i-- > 0;) {
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display_, children[i], atom, 0, 1000000, False, AnyPropertyType, &type,
                                   &format, &items, &after, &data) == Success && data != nullptr) {
                if (std::string(reinterpret_cast<char*>(data), items) == mark)
                    found = children[i];
                XFree(data);
            }
            if (found == 0)
                found = find_below(children[i], mark, depth + 1);
        }
        if (children != nullptr)
            XFree(children);
        return found;
    }

    // Windows of other clients may go while the tree is walked.
    static int ignore_error(Display*, XErrorEvent*) { return 0; }

    Display* display_;
    XErrorHandler previous_;
    std::string identifier_;
    Window window_;
};

}  // namespace

TEST(Hyperhelp, CommandLineErrorsPrintTheUsageAndEndWithStatusTwo)
{
    program_result help = run_program(HYPERHELP, {"hyperhelp", "-help"}, test_environment());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: hyperhelp [FILE] [-c CONTEXT] [-s MODE]", 0), 0u) << help.out;
    const std::vector<std::vector<std::string>> wrong = {
        {"a.hlp", "-c", "0"}, {"a.hlp", "-c", "5x"}, {"a.hlp", "-c"}, {"-c", "5"},
        {"a.hlp", "b.hlp"}, {"a.hlp", "-s", "x"}, {"-x"}};
    for (std::vector<std::string> args : wrong) {
        args.insert(args.begin(), "hyperhelp");
        program_result result = run_program(HYPERHELP, args, test_environment().set("DISPLAY", ":999"));
        EXPECT_EQ(result.status, 2) << OI_list(args);
        EXPECT_NE(result.err.find(help.out), std::string::npos) << OI_list(args) << ": " << result.err;
    }
}

// Links, search and Back within one file, as a reader uses them.
TEST(Hyperhelp, ShowsTheTopicAskedForAndFollowsLinksSearchAndBack)
{
    temp_dir dir;
    std::string file = dir / "sample help.hlp";
    write_file(file, SAMPLE);
    test_viewer viewer({file, "-c", "15", "-s", "0"});
    EXPECT_EQ(viewer->automation("page"), page(file, 15, "Actions"));
    EXPECT_EQ(viewer->automation("text"), "The four actions. Back to the contents.");
    EXPECT_EQ(viewer->automation("requests"), OI_list({OI_list({"args", file + " -c 15 -s 0"})}));
    EXPECT_EQ(viewer->automation("follow 5"), "");
    EXPECT_EQ(viewer->automation("text"),
              "Start at Actions or read about choosing; a lost topic is gone.\n"
              "\xe2\x80\xa2\tInstall a product\nkitsetup -dir /cdrom");
    EXPECT_EQ(viewer->automation("links"), "15 20 77");
    EXPECT_EQ(viewer->automation("follow 77"), "");
    EXPECT_EQ(viewer->automation("page"), page(file, 5, "Sample Help"));
    EXPECT_EQ(viewer->automation("note"), "Topic 77 is not in this help file.");
    EXPECT_EQ(viewer->automation("follow 20"), "");
    EXPECT_EQ(viewer->automation("follow 20"), "ERROR: no link to topic 20 on this page");
    EXPECT_EQ(viewer->automation("search PRODUCT"), "");
    EXPECT_EQ(viewer->automation("page"), page(file, 0, "Search results for \"PRODUCT\""));
    EXPECT_EQ(viewer->automation("links"), "5 20");
    EXPECT_EQ(viewer->automation("search nowhere"), "");
    EXPECT_EQ(viewer->automation("text"), "No topic contains \"nowhere\".");
    for (const std::string& earlier : {page(file, 0, "Search results for \"PRODUCT\""),
                                       page(file, 20, "Choosing a product"), page(file, 5, "Sample Help"),
                                       page(file, 5, "Sample Help"), page(file, 15, "Actions")}) {
        EXPECT_EQ(viewer->automation("back"), "");
        EXPECT_EQ(viewer->automation("page"), earlier);
    }
    EXPECT_EQ(viewer->automation("back"), "ERROR: there is no page to go back to");
    EXPECT_EQ(viewer->automation("topics"), "5 15 20");
}

// Every kind of bad input ends in a page that says why, and the viewer
// goes on serving.
TEST(Hyperhelp, BadHelpFilesShowWhyTheyCannotBeShown)
{
    temp_dir dir;
    std::vector<std::string> files = {dir / "missing.hlp", dir / "empty.hlp", dir / "binary.hlp",
                                      dir / "untitled.hlp", dir.path()};
    write_file(files[1], "");
    write_file(files[2], std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10));
    write_file(files[3], ".topic 5 Contents\ntext\n.topic 6\n");
    test_viewer viewer({files[0]});
    installer_side installer(viewer.session());
    ASSERT_TRUE(installer.found());
    for (size_t i = 0; i < files.size(); ++i) {
        if (i > 0)
            installer.request("-i " + files[i]);
        help_file reader;
        std::string reason;
        EXPECT_FALSE(reader.read(files[i], &reason));
        EXPECT_EQ(viewer->automation("page"), page(files[i], 0, CANNOT_SHOW));
        std::string text = viewer->automation("text");
        EXPECT_NE(text.find(files[i]), std::string::npos) << text;
        EXPECT_NE(text.find(reason), std::string::npos) << text << " lacks " << reason;
    }
    test_viewer empty({});
    EXPECT_EQ(empty->automation("page"), page("", 0, "No help file"));
    EXPECT_EQ(empty->automation("contents"), "ERROR: no help file is shown");
}

// The installer's way in: the window found by its mark, the command file
// and the client message; what does not come that way is ignored; SIGTERM
// ends the viewer in order.
TEST(Hyperhelp, ServesInstallersThroughTheCommandFileAndEndsInOrder)
{
    temp_dir dir;
    std::string file = dir / "sample help.hlp";
    write_file(file, SAMPLE);
    test_viewer viewer({file, "-s 0"});
    EXPECT_EQ(viewer->automation("page"), page(file, 5, "Sample Help"));
    std::string identifier = viewer->automation("id");
    EXPECT_TRUE(std::regex_match(identifier, std::regex("[0-9]+x[0-9a-f]{8}")) && identifier.size() <= 19u)
        << identifier;
    std::string command_file = HH_COMMAND_FILE_PREFIX + identifier;
    struct stat status;
    ASSERT_EQ(lstat(command_file.c_str(), &status), 0) << command_file;
    EXPECT_TRUE(S_ISREG(status.st_mode) && (status.st_mode & 07777) == 0600 && status.st_uid == geteuid());

    installer_side installer(viewer.session());
    ASSERT_TRUE(installer.found());
    installer.request("-c 20 " + file);
    EXPECT_EQ(viewer->automation("page"), page(file, 20, "Choosing a product"));
    installer.request("-c 77 " + file);
    EXPECT_EQ(viewer->automation("page"), page(file, 5, "Sample Help"));
    EXPECT_EQ(viewer->automation("note"), "Topic 77 is not in this help file.");

    // A message naming another viewer, then the command file swapped for a
    // link: neither is taken; the next proper request is.
    std::string other = identifier.substr(0, identifier.size() - 1) + (identifier.back() == '0' ? "1" : "0");
    installer.request("-c 15 " + file, other);
    std::string linked = dir / "linked";
    write_file(linked, "-c 15 " + file + "\n");
    ASSERT_EQ(unlink(command_file.c_str()), 0);
    ASSERT_EQ(symlink(linked.c_str(), command_file.c_str()), 0);
    installer.send(identifier);
    EXPECT_EQ(viewer->automation("page"), page(file, 5, "Sample Help"));
    EXPECT_NE(viewer->standard_error().find(std::strerror(ELOOP)), std::string::npos) << viewer->standard_error();
    ASSERT_EQ(unlink(command_file.c_str()), 0);
    int fd = open(command_file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    close(fd);
    installer.request("-i " + file);
    EXPECT_EQ(viewer->automation("requests"),
              OI_list({OI_list({"args", file + " -s 0"}), OI_list({"message", "-c 20 " + file}),
                        OI_list({"message", "-c 77 " + file}), OI_list({"message", "-i " + file})}));
    EXPECT_EQ(viewer->automation("note"), "");

    ASSERT_TRUE(viewer->send_signal(SIGTERM));
    EXPECT_EQ(viewer->wait_exit(), 0);
    EXPECT_NE(access(command_file.c_str(), F_OK), 0) << command_file << " outlived the viewer";
}

// Every topic of the shipped help files shows, and the contents page is left
// as a screenshot at 800x600.
TEST(Hyperhelp, ShowsEveryShippedTopicTidily)
{
    std::string hh = KITSETUP_DEMO_DIR "/hh", first = hh + "/kitsetup.hlp";
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(hh))
        if (entry.path().extension() == ".hlp")
            files.push_back(entry.path().string());
    test_viewer viewer({first}, "800x600x24");
    help_file reader;
    std::string reason;
    ASSERT_TRUE(reader.read(first, &reason)) << reason;
    EXPECT_EQ(viewer->automation("page"), page(first, reader.contents()->context, reader.contents()->title));
    EXPECT_TRUE(viewer->screenshot("hyperhelp_contents"));
    installer_side installer(viewer.session());
    ASSERT_TRUE(installer.found());
    for (const std::string& file : files) {
        installer.request("-i " + file);
        ASSERT_TRUE(reader.read(file, &reason)) << file << ": " << reason;
        for (const help_topic& topic : reader.topics()) {
            EXPECT_EQ(viewer->automation("show " + std::to_string(topic.context)), "");
            EXPECT_EQ(viewer->automation("page"), page(file, topic.context, topic.title));
        }
    }
}
