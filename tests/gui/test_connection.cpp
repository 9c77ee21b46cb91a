// The connection: merged resource text, X toolkit options as resources, and
// other X clients kept out until the program lets them in.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "toolkit_fixture.h"

namespace {

class connection : public toolkit_test {
protected:
    // Runs script in a wish of its own on the test's display while this
    // process serves its own events (a send to it must be answered): what
    // the script printed, with a failure when it did not end within wait_limit.
    std::string run_other_client(const std::string& script)
    {
        std::string path = dir_ / "client.tcl";
        write_file(path, "wm withdraw .\n" + script + "\nexit\n");
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe: " << std::strerror(errno);
            return "";
        }
        pid_t child = fork();
        if (child == 0) {
            dup2(out[1], 1);
            execlp("wish", "wish", path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        client_output_.clear();
        client_done_ = false;
        OI_io_dispatch_insert(out[0], OI_READABLE, OI_callback(&connection::read_client, this));
        run_until("the other X client to end", [this] { return client_done_; });
        OI_io_dispatch_remove(out[0], OI_READABLE);
        close(out[0]);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return client_output_;
    }

private:
    static long read_client(OI_d_tech*, void* fixture, long fd)
    {
        auto* self = static_cast<connection*>(fixture);
        char buffer[256];
        ssize_t got = read(static_cast<int>(fd), buffer, sizeof buffer);
        if (got > 0)
            self->client_output_.append(buffer, static_cast<size_t>(got));
        else
            self->client_done_ = true;
        return 0;
    }

    std::string client_output_;
    bool client_done_ = false;
};

}  // namespace

// Merged text goes through the files' reader (test_toolkit_objects.cpp): a
// bad line, here an empty name component, merges nothing of its text.
TEST_F(connection, ABadLineInMergedTextMergesNothing)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(conn_->merge_resources("# a comment\n*dots.colour: red\n*dots..colour: blue\n"), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(":3: "), std::string::npos) << err;
    std::string value;
    EXPECT_FALSE(conn_->get_resource({"kitsetup", "dots", "colour"}, {"Kitsetup", "X", "Colour"}, &value));
}

// Tk reads its arguments as a Tcl list: a name must reach it as one word.
TEST(connection_start, XToolkitOptionsBecomeResourcesAndANameStaysOneWord)
{
    char program[] = "kitsetup", geometry[] = "-geometry", size[] = "600x400", title[] = "-title";
    char title_text[] = "Kit", xrm[] = "-xrm", line[] = "*main_win.background: grey";
    char name_option[] = "-name", name[] = "my {kit setup", other[] = "-nosplash";
    char* argv[] = {program, geometry, size, title, title_text, xrm, line, name_option, name, other, nullptr};
    int argc = 10;
    testing::internal::CaptureStderr();
    OI_connection* conn = OI_init(&argc, argv, "kitsetup", nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    ASSERT_NE(conn, nullptr);
    std::string geometry_value, title_value, background, appname;
    EXPECT_TRUE(conn->get_resource({"kitsetup", "geometry"}, {"Kitsetup", "Geometry"}, &geometry_value));
    EXPECT_TRUE(conn->get_resource({"kitsetup", "title"}, {"Kitsetup", "Title"}, &title_value));
    EXPECT_TRUE(conn->get_resource({"kitsetup", "main_win", "background"},
                                   {"Kitsetup", "AppWindow", "Background"}, &background));
    OI_tk::eval("tk appname", &appname);
    OI_fini();
    EXPECT_EQ(err, "");
    EXPECT_EQ(geometry_value + " " + title_value + " " + background, "600x400 Kit grey");
    EXPECT_EQ(appname.rfind(name, 0), 0u) << appname;
    ASSERT_EQ(argc, 2) << "only the program's own options stay";
    EXPECT_STREQ(argv[1], "-nosplash");
}

// The program runs as root: no X client may run Tcl in it through send
// until it accepts send, and then only under the name it chose.
TEST_F(connection, SendReachesTheProgramOnlyOnceAccepted)
{
    const std::string probe =
        "puts [lsearch -exact [winfo interps] kitsetup]\n"
        "puts [catch {send kitsetup {set ::reached 1}} message]\n"
        "puts $message\n";
    std::string answer = run_other_client(probe);
    EXPECT_EQ(answer.substr(0, 5), "-1\n1\n") << "listed, or send answered: " << answer;
    EXPECT_EQ(tcl("info exists ::reached"), "0");

    EXPECT_EQ(conn_->accept_send("kitsetup_probe"), "kitsetup_probe");
    EXPECT_EQ(run_other_client("puts [catch {send kitsetup_probe {set ::reached 1}} message]\n"), "0\n");
    EXPECT_EQ(tcl("set ::reached"), "1");
}
