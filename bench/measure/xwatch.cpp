// roofrider-xwatch — the two start-up figures seen from outside the
// program, on the X server (bench/run.sh).
//
//   roofrider-xwatch startup -- GAME ARGS...
//   roofrider-xwatch new-game [--settle MS] -- KEY-COMMAND ARGS...
//
// startup: starts GAME and looks at the server every 5 ms (one process,
// one connection: no program is started per look) until its window
// "Opning" is viewable, the test xwininfo makes; prints exec_to_viewable_ms=
// and the game's process id (pid=), and leaves the game running (what it
// prints goes to standard error).
//
// With the game running on $DISPLAY: waits until its window "Title" is
// viewable and then MS milliseconds more (4500: the lettering has met and
// the menu takes keys), runs KEY-COMMAND (xdotool key Return), and takes
// the moment the X server delivers that key (an XInput2 raw key event on
// the root window) as the start. It then looks at the server every 5 ms
// until the play field's window "Roof Rider" is viewable and, later, until
// a frame is on it: the window is black (or shows the black desktop, with
// Xvfb -br) until the first flip, and the play field's first frame (the
// sky, the READY) is not black at the middle of the screen. Prints
// key_to_window_ms= and key_to_frame_ms= lines.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace {

constexpr int kPollMs = 5;
constexpr int64_t kGiveUpMs = 20000;

int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void SleepMs(int ms) {
    timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000};
    nanosleep(&ts, nullptr);
}

// The first window named `name` under `root` (the window manager puts
// client windows inside frames of its own), or 0.
Window FindNamed(Display* d, Window root, const char* name) {
    char* own = nullptr;
    if (XFetchName(d, root, &own) && own) {
        const bool same = std::strcmp(own, name) == 0;
        XFree(own);
        if (same) return root;
    }
    Window parent = 0, top = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, root, &top, &parent, &children, &n)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < n && !found; ++i) found = FindNamed(d, children[i], name);
    if (children) XFree(children);
    return found;
}

bool Viewable(Display* d, Window w) {
    XWindowAttributes a{};
    return w && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

// Polls every 5 ms until the window named `name` is viewable; 0 on time-out.
Window WaitViewable(Display* d, const char* name, int64_t give_up_ns) {
    while (NowNs() < give_up_ns) {
        if (Window w = FindNamed(d, DefaultRootWindow(d), name); Viewable(d, w)) return w;
        SleepMs(kPollMs);
    }
    return 0;
}

// True when the middle of the window shows something other than black:
// five points across its centre, three of which must not be black.
bool ShowsAFrame(Display* d, Window w) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
    int lit = 0;
    for (int i = 0; i < 5; ++i) {
        const int x = a.width / 2 + (i - 2) * a.width / 16, y = a.height / 4 + i * a.height / 10;
        XImage* img = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!img) continue;
        lit += (XGetPixel(img, 0, 0) & 0xFFFFFF) != 0;
        XDestroyImage(img);
    }
    return lit >= 3;
}

int Fail(const char* what) {
    std::fprintf(stderr, "roofrider-xwatch: %s\n", what);
    return 1;
}

int NewGame(int settle_ms, char** key_command) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return Fail("no X display ($DISPLAY)");
    int opcode = 0, event = 0, error = 0, major = 2, minor = 0;
    if (!XQueryExtension(d, "XInputExtension", &opcode, &event, &error) ||
        XIQueryVersion(d, &major, &minor) != Success)
        return Fail("the X server has no XInput2, which tells when a key arrives");
    if (!WaitViewable(d, "Title", NowNs() + kGiveUpMs * 1000000)) return Fail("no window \"Title\" came");
    SleepMs(settle_ms);

    unsigned char mask_bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(mask_bits, XI_RawKeyPress);
    XIEventMask mask{XIAllMasterDevices, sizeof mask_bits, mask_bits};
    XISelectEvents(d, DefaultRootWindow(d), &mask, 1);
    XSync(d, False);

    pid_t pid = 0;
    if (posix_spawnp(&pid, key_command[0], nullptr, nullptr, key_command, environ) != 0)
        return Fail("the key command cannot be started");
    int64_t key_ns = 0;
    const int64_t give_up = NowNs() + kGiveUpMs * 1000000;
    while (!key_ns && NowNs() < give_up) {
        while (XPending(d) && !key_ns) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.xcookie.type == GenericEvent && e.xcookie.extension == opcode &&
                XGetEventData(d, &e.xcookie)) {
                if (e.xcookie.evtype == XI_RawKeyPress) key_ns = NowNs();
                XFreeEventData(d, &e.xcookie);
            }
        }
        if (!key_ns) {
            pollfd p{ConnectionNumber(d), POLLIN, 0};
            poll(&p, 1, 1);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!key_ns) return Fail("the key never reached the X server");

    const Window game = WaitViewable(d, "Roof Rider", key_ns + kGiveUpMs * 1000000);
    if (!game) return Fail("no window \"Roof Rider\" came");
    const int64_t window_ns = NowNs();
    int64_t frame_ns = 0;
    while (!frame_ns && NowNs() < key_ns + kGiveUpMs * 1000000) {
        if (ShowsAFrame(d, game))
            frame_ns = NowNs();
        else
            SleepMs(kPollMs);
    }
    if (!frame_ns) return Fail("no frame came on the window \"Roof Rider\"");
    std::printf("key_to_window_ms=%.1f\n", static_cast<double>(window_ns - key_ns) / 1e6);
    std::printf("key_to_frame_ms=%.1f\n", static_cast<double>(frame_ns - key_ns) / 1e6);
    XCloseDisplay(d);
    return 0;
}

int Startup(char** game_command) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return Fail("no X display ($DISPLAY)");
    XSync(d, False);
    // The game writes to our standard error: our standard output carries
    // only the figures, and whoever reads it is not kept waiting for the
    // game to end.
    posix_spawn_file_actions_t to_stderr;
    posix_spawn_file_actions_init(&to_stderr);
    posix_spawn_file_actions_adddup2(&to_stderr, 2, 1);
    pid_t pid = 0;
    const int64_t exec_ns = NowNs();
    const int spawned = posix_spawnp(&pid, game_command[0], &to_stderr, nullptr, game_command, environ);
    posix_spawn_file_actions_destroy(&to_stderr);
    if (spawned != 0) return Fail("the game cannot be started");
    if (!WaitViewable(d, "Opning", exec_ns + kGiveUpMs * 1000000)) return Fail("no window \"Opning\" came");
    const int64_t shown_ns = NowNs();
    std::printf("exec_to_viewable_ms=%.1f\npid=%d\n", static_cast<double>(shown_ns - exec_ns) / 1e6, pid);
    XCloseDisplay(d);
    return 0;
}

int Usage() {
    std::fputs("usage: roofrider-xwatch startup -- GAME ARGS...\n"
               "       roofrider-xwatch new-game [--settle MS] -- KEY-COMMAND ARGS...\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "startup") == 0 && std::strcmp(argv[2], "--") == 0)
        return Startup(argv + 3);
    if (argc < 4 || std::strcmp(argv[1], "new-game") != 0) return Usage();
    int settle_ms = 4500;
    int at = 2;
    if (std::strcmp(argv[at], "--settle") == 0 && at + 2 < argc) {
        settle_ms = std::atoi(argv[at + 1]);
        at += 2;
    }
    if (std::strcmp(argv[at], "--") != 0 || at + 1 >= argc) return Usage();
    return NewGame(settle_ms, argv + at + 1);
}
