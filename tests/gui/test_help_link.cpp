// The help client against a stand-in viewer window made here, and the icon
// key actions on a dialog of image buttons.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "help/hh_protocol.h"
#include "help/winhelp.h"
#include "message_recorder.h"
#include "toolkit/oi_lookup.h"
#include "toolkit_fixture.h"
#include "ui/actions.h"

// After the test headers, whose names Xlib's macros would clash with.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// A window on its own connection that carries the viewer's property, as a
// serving viewer's does, and collects the client messages sent to it.
class stand_in_viewer {
public:
    explicit stand_in_viewer(const std::string& id)
        : display_(XOpenDisplay(nullptr)), id_(id), file_(HH_COMMAND_FILE_PREFIX + id)
    {
        Window root = DefaultRootWindow(display_);
        // A child of a child: the search must look below the top level.
        frame_ = XCreateSimpleWindow(display_, root, 0, 0, 10, 10, 0, 0, 0);
        window_ = XCreateSimpleWindow(display_, frame_, 0, 0, 10, 10, 0, 0, 0);
        std::string text = std::string(HH_SERVER_MARK) + id;
        XChangeProperty(display_, window_, XInternAtom(display_, HH_ATOM_NAME, False), XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
        XSync(display_, False);
    }
    ~stand_in_viewer()
    {
        unlink(file_.c_str());
        XDestroyWindow(display_, frame_);
        XCloseDisplay(display_);
    }

    Display* display() const { return display_; }
    const std::string& command_file() const { return file_; }
    // The identifier of the next client message to the window, "" for none.
    std::string message()
    {
        XSync(display_, False);
        XEvent event;
        if (!XCheckTypedWindowEvent(display_, window_, ClientMessage, &event))
            return "";
        if (event.xclient.message_type != XInternAtom(display_, HH_ATOM_NAME, False) ||
            event.xclient.format != 8)
            return "wrong type or format";
        return std::string(event.xclient.data.b, strnlen(event.xclient.data.b, 20));
    }

private:
    Display* display_;
    std::string id_;
    std::string file_;
    Window frame_ = 0;
    Window window_ = 0;
};

std::string unique_id(const char* tag)
{
    return tag + std::to_string(getpid());
}

class help_link : public toolkit_test {};

TEST_F(help_link, RequestsReachARunningViewerThroughItsCommandFile)
{
    stand_in_viewer viewer(unique_id("t"));
    ASSERT_TRUE(WinHelp(viewer.display(), "/help/kitsetup.hlp", HELP_CONTEXT, 15));
    EXPECT_EQ(read_file(viewer.command_file()), "-c 15 /help/kitsetup.hlp\n");
    EXPECT_EQ(viewer.message(), unique_id("t"));

    ASSERT_TRUE(WinHelp(viewer.display(), "/help/hoh file.hlp", HELP_CONTENTS, 0));
    EXPECT_EQ(read_file(viewer.command_file()), "-i /help/hoh file.hlp\n") << "rewritten, not appended";
    EXPECT_EQ(viewer.message(), unique_id("t"));

    // A viewer this process did not start is left alone, its file too.
    WinHelp(viewer.display(), "", HELP_QUIT, 0);
    EXPECT_EQ(read_file(viewer.command_file()), "-i /help/hoh file.hlp\n");
}

TEST_F(help_link, ACommandFileThatIsALinkIsNotFollowed)
{
    stand_in_viewer viewer(unique_id("l"));
    std::string victim = dir_ / "victim";
    write_file(victim, "keep me\n");
    ASSERT_EQ(symlink(victim.c_str(), viewer.command_file().c_str()), 0);
    EXPECT_FALSE(WinHelp(viewer.display(), "/help/kitsetup.hlp", HELP_CONTEXT, 5));
    EXPECT_EQ(read_file(victim), "keep me\n");
    EXPECT_EQ(viewer.message(), "") << "no message without a written request";
}

// A window whose identifier would lead the command file out of /tmp is no
// viewer: a new one is started with the request as its arguments, "-s 0"
// being one argument.
TEST_F(help_link, AViewerIsStartedWhenNoneServesAndBadIdentifiersAreIgnored)
{
    stand_in_viewer impostor("../../etc/x");
    std::string bin = dir_ / "bin", record = dir_ / "arguments";
    mkdir(bin.c_str(), 0755);
    write_file(bin + "/hyperhelp", "#!/bin/sh\nfor a in \"$0\" \"$@\"; do echo \"$a\"; done > '" + record + "'\n");
    chmod((bin + "/hyperhelp").c_str(), 0755);
    setenv("HHPATH", bin.c_str(), 1);
    // The stand-in ends without a window, which ends the wait.
    EXPECT_FALSE(WinHelp(impostor.display(), "/help/kitsetup.hlp", HELP_CONTEXT, 20));
    EXPECT_EQ(read_file(record), bin + "/hyperhelp\n/help/kitsetup.hlp\n-c\n20\n-s 0\n");
    EXPECT_EQ(impostor.message(), "");

    EXPECT_FALSE(WinHelp(impostor.display(), "/help/hoh.hlp", HELP_CONTENTS, 0));
    EXPECT_EQ(read_file(record), bin + "/hyperhelp\n/help/hoh.hlp\n-s 0\n");
    WinHelp(nullptr, "", HELP_QUIT, 0);
}

const char* const icon_dialog =
    "*icons.class: DialogBox\n*icons.row.class: Box\n"
    "*icons.row.first.class: ImageButton\n*icons.row.second.class: ImageButton\n"
    "*icons.row.third.class: ImageButton\n*icons.btn_box.class: ButtonBox\n"
    "*icons.btn_box.ok_btn.class: MenuCell\n*plain.class: Box\n*plain.inner.class: StaticText\n";

// Which icons are highlighted, as a string of 0 and 1 in row order.
std::string highlights(const OI_d_tech* dialog)
{
    std::string marks;
    for (OI_d_tech* icon : icon_list(dialog))
        marks += is_highlighted(icon) ? '1' : '0';
    return marks;
}

TEST_F(help_link, IconKeysGoRoundTheRowAndTabTogglesWithTheButtons)
{
    OI_reg_derived_classes();
    OI_d_tech* dialog = make(icon_dialog);
    ASSERT_NE(dialog, nullptr);
    settle();
    for (OI_d_tech* icon : icon_list(dialog))
        highlight(icon, false);
    OI_d_tech* first = dialog->descendant("first");
    ASSERT_EQ(highlights(dialog), "000");
    next_icon(first, nullptr, 0);
    prev_icon(first, nullptr, 0);
    EXPECT_EQ(highlights(dialog), "000") << "nothing moves without a highlighted icon";

    set_next_tab(first, nullptr, 0);
    EXPECT_EQ(highlights(dialog), "100");
    prev_icon(first, nullptr, 0);
    EXPECT_EQ(highlights(dialog), "001") << "before the first comes the last";
    next_icon(first, nullptr, 0);
    EXPECT_EQ(highlights(dialog), "100") << "after the last comes the first";
    next_icon(dialog, nullptr, 0);
    EXPECT_EQ(highlights(dialog), "010") << "a key on the dialog itself";
    set_prev_tab(first, nullptr, 0);
    EXPECT_EQ(highlights(dialog), "000") << "the second tab goes to the buttons";

    message_recorder recorder;
    OI_d_tech* outside = dialog->ancestor_derived_from<OI_d_tech>();
    OI_d_tech* plain = OI_find(outside, "inner", OI_lookup_policy::silent());
    ASSERT_NE(plain, nullptr);
    set_next_tab(plain, nullptr, 0);
    EXPECT_EQ(recorder.texts(), std::vector<std::string>{"Object inner is not a dialog."});
}

}  // namespace
