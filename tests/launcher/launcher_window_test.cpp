// The launcher's dialog on a real X server: a window manager's close request and Escape must
// not end the run. Starts its own Xvfb; skips where Xvfb or xdotool is missing.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/launcher_sandbox.h"

// Last: Xlib defines macros (None, Bool) that clash with names in the test framework.
#include <X11/Xlib.h>
#undef None
#undef Bool

namespace loxtest {
namespace {

const char kTitle[] = "Brenthor Loxen Client";

bool OnPath(const std::string &program) {
    return RunShell("command -v " + program + " >/dev/null 2>&1") == 0;
}

// Output of a shell command, with DISPLAY set.
std::string Capture(const std::string &display, const std::string &command) {
    return RunCapturing("DISPLAY=" + display + " " + command + " 2>/dev/null").out;
}

// The visible window with the dialog's title, 0 when there is none.
unsigned long FindDialog(const std::string &display) {
    std::string ids =
        Capture(display, std::string("xdotool search --onlyvisible --name '^") + kTitle + "$'");
    return ids.empty() ? 0 : std::strtoul(ids.c_str(), nullptr, 10);
}

// A client message about window, as a window manager or a pager sends it: data holds the
// atom names (and a leading number), sent to the window itself or to the root window.
void SendClientMessage(const std::string &display, unsigned long window, const char *type,
                       long first, const std::vector<const char *> &atoms, bool to_root) {
    Display *dpy = XOpenDisplay(display.c_str());
    ASSERT_NE(dpy, nullptr);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(dpy, type, False);
    event.xclient.format = 32;
    int at = 0;
    if (first >= 0)
        event.xclient.data.l[at++] = first;
    for (const char *atom : atoms)
        event.xclient.data.l[at++] = static_cast<long>(XInternAtom(dpy, atom, False));
    const Window to = to_root ? DefaultRootWindow(dpy) : window;
    const long mask = to_root ? SubstructureRedirectMask | SubstructureNotifyMask : NoEventMask;
    EXPECT_NE(XSendEvent(dpy, to, False, mask, &event), 0);
    XSync(dpy, False);
    XCloseDisplay(dpy);
}

// What a window manager sends when the close button or Alt+F4 is used.
void SendCloseRequest(const std::string &display, unsigned long window) {
    SendClientMessage(display, window, "WM_PROTOCOLS", -1, {"WM_DELETE_WINDOW"}, false);
}

// What a pager or a keyboard shortcut sends to maximise a window (1: add the state).
void RequestMaximise(const std::string &display, unsigned long window) {
    SendClientMessage(display, window, "_NET_WM_STATE", 1,
                      {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"}, true);
}

int WindowHeight(const std::string &display, unsigned long window) {
    Display *dpy = XOpenDisplay(display.c_str());
    if (dpy == nullptr)
        return -1;
    XWindowAttributes attributes = {};
    const bool ok = XGetWindowAttributes(dpy, window, &attributes) != 0;
    XCloseDisplay(dpy);
    return ok ? attributes.height : -1;
}

// For the README: the dialog as a user sees it, saved in the build directory.
void Screenshot(const std::string &display, unsigned long window, const std::string &name) {
    std::filesystem::create_directories(LOXEN_SCREENSHOT_DIR);
    EXPECT_EQ(RunShell("DISPLAY=" + display + " import -window " + std::to_string(window) + " '" +
                       LOXEN_SCREENSHOT_DIR + "/" + name + "'"),
              0);
}

// -noreset: the polling xdotool clients come and go, and a server that resets each time its
// last client leaves refuses the launcher's connection if it arrives during the reset.
class VirtualScreen {
public:
    VirtualScreen()
        : server_("/usr/bin/env",
                  {"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   "-noreset"},
                  {}) {
        const std::string number = server_.ReadLine();
        if (!number.empty())
            display_ = ":" + number;
    }
    // SIGTERM lets the server remove its lock file and socket before it is reaped.
    ~VirtualScreen() {
        if (server_.started())
            ::kill(server_.pid(), SIGTERM);
        server_.Wait();
    }
    const std::string &display() const { return display_; }

private:
    ChildProcess server_;
    std::string display_;
};

TEST(LauncherWindowTest, CloseRequestAndEscapeDoNotEndTheRun) {
    for (const char *tool : {"Xvfb", "xdotool", "import"})
        if (!OnPath(tool))
            GTEST_SKIP() << tool << " is not installed (scripts/deps installs it)";
    VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << "Xvfb did not start";

    LauncherSandbox box;
    const FakeInstall &fake = box.fake();
    ASSERT_TRUE(box.InstallRunningClient("120"));  // a quick first install shows no dialog
    box.MakeGatedPackage("121", {"--filler", "1000"});
    auto launcher = box.Spawn({{"DISPLAY", screen.display()}, {"QT_QPA_PLATFORM", "xcb"}});

    unsigned long window = 0;
    ASSERT_TRUE(WaitFor([&] { return (window = FindDialog(screen.display())) != 0; }, 60000))
        << "no visible window titled \"" << kTitle << "\" on " << screen.display()
        << "; the launcher " << (IsAlive(launcher->pid()) ? "still runs" : "has ended");
    Screenshot(screen.display(), window, "dialog-working.png");
    SendCloseRequest(screen.display(), window);
    EXPECT_EQ(RunShell("DISPLAY=" + screen.display() + " xdotool windowfocus --sync " +
                       std::to_string(window) + " key Escape"),
              0);

    ASSERT_TRUE(WaitFor([&] { return box.Starts() > 0; }, 120000))
        << "the run never reached the start script";
    EXPECT_EQ(FindDialog(screen.display()), window) << "the dialog went away before the run ended";
    EXPECT_TRUE(IsAlive(launcher->pid())) << "the launcher ended before its start script returned";

    Screenshot(screen.display(), window, "dialog.png");

    box.Release();
    CapturedRun run = LauncherSandbox::Finish(*launcher);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadFile(fake.source_info()), ReadFile(fake.target_info()));
    EXPECT_TRUE(PathExists(fake.app_path() + "/share/filler/part-00999"));
}

// Under a window manager: the dialog is paired with its menu entry, cannot be stretched, and a
// second launcher brings it back from the task bar.
TEST(LauncherWindowTest, UnderAWindowManagerTheDialogKeepsItsHeightAndIsRaised) {
    for (const char *tool : {"Xvfb", "xdotool", "xprop", "openbox"})
        if (!OnPath(tool))
            GTEST_SKIP() << tool << " is not installed (scripts/deps installs it)";
    VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << "Xvfb did not start";
    ChildProcess wm("/usr/bin/env", {"openbox"}, {{"DISPLAY", screen.display()}});
    ASSERT_TRUE(WaitFor([&] {
        return Capture(screen.display(), "xprop -root _NET_SUPPORTING_WM_CHECK")
                   .find("window id") != std::string::npos;
    })) << "openbox did not start";

    LauncherSandbox box;
    ASSERT_TRUE(box.InstallRunningClient("120"));
    box.MakeGatedPackage("121");
    const ChildProcess::Environment x11 = {{"DISPLAY", screen.display()},
                                           {"QT_QPA_PLATFORM", "xcb"}};
    const size_t logged = box.Log().size();
    auto launcher = box.Spawn(x11);
    unsigned long window = 0;
    ASSERT_TRUE(WaitFor([&] { return (window = FindDialog(screen.display())) != 0; }, 60000));
    ASSERT_TRUE(WaitFor([&] { return box.Starts() > 0; }));

    EXPECT_NE(Capture(screen.display(), "xprop -id " + std::to_string(window) + " WM_CLASS")
                  .find("\"brenthor-loxen\"\n"),
              std::string::npos)
        << "the window class is not the desktop entry's StartupWMClass";
    const int height = WindowHeight(screen.display(), window);
    RequestMaximise(screen.display(), window);
    EXPECT_FALSE(WaitFor([&] { return WindowHeight(screen.display(), window) != height; }, 2000))
        << "maximised to " << WindowHeight(screen.display(), window) << " from " << height;

    ASSERT_EQ(RunShell("DISPLAY=" + screen.display() + " xdotool windowminimize --sync " +
                       std::to_string(window)),
              0);
    ASSERT_EQ(FindDialog(screen.display()), 0u);
    EXPECT_EQ(box.Run(x11).status, 0);
    EXPECT_TRUE(WaitFor([&] { return FindDialog(screen.display()) == window; }, 10000))
        << "the second launcher did not bring the dialog back";

    box.Release();
    EXPECT_EQ(LauncherSandbox::Finish(*launcher).status, 0);
    EXPECT_EQ(CountOf(box.Log().substr(logged), "progress dialog shown"), 1) << box.Log();
    ::kill(wm.pid(), SIGTERM);
}

}  // namespace
}  // namespace loxtest
