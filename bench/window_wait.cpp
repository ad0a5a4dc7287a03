// zelmora-window-wait [-s MS] TITLE PROGRAM [ARGS...]: starts PROGRAM and
// waits for a top-level window titled TITLE to be mapped on the X display.
// Prints "<milliseconds from start to mapping> <peak resident KiB>".
//
// The wait listens to the root window's map events instead of polling, so it
// takes no processor time from the program it times. After the window shows,
// the program is left running for MS milliseconds (300 unless given) so that
// it paints, then sent SIGTERM; its peak resident memory comes from wait4,
// the same figure /usr/bin/time reports as %M.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string windowTitle(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                        xcb_atom_t type) {
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr));
    if (!reply)
        return {};
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

struct Waiter {
    xcb_connection_t* connection;
    xcb_atom_t netWmName;
    xcb_atom_t utf8String;
    std::string_view title;

    bool titled(xcb_window_t window) const {
        return windowTitle(connection, window, netWmName, utf8String) == title ||
               windowTitle(connection, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY) == title;
    }

    // Watches a mapped window's properties, in case its title comes later.
    void watch(xcb_window_t window) const {
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    int settleMs = 300;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "-s") == 0) {
        settleMs = std::atoi(argv[2]);
        first = 3;
    }
    if (argc - first < 2) {
        std::fprintf(stderr, "uso: %s [-s MS] TITOLO PROGRAMMA [ARGOMENTI...]\n", argv[0]);
        return 2;
    }

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "nessun display X\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const Waiter waiter{connection, internAtom(connection, "_NET_WM_NAME"),
                        internAtom(connection, "UTF8_STRING"), argv[first]};
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const Clock::time_point started = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[first + 1], nullptr, nullptr, argv + first + 1, environ) != 0) {
        std::perror(argv[first + 1]);
        return 2;
    }

    double shownMs = -1;
    const int fd = xcb_get_file_descriptor(connection);
    while (shownMs < 0) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, 100);
        int status = 0;
        if (polled == 0 && waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "%s è terminato senza mostrare la finestra\n", argv[first + 1]);
            return 1;
        }
        if (Clock::now() - started > std::chrono::seconds(60)) {
            std::fprintf(stderr, "nessuna finestra \"%s\" entro 60 s\n", argv[first]);
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return 1;
        }
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const std::unique_ptr<xcb_generic_event_t, FreeDeleter> owned(event);
            const auto type = static_cast<std::uint8_t>(event->response_type & 0x7f);
            xcb_window_t window = XCB_WINDOW_NONE;
            if (type == XCB_MAP_NOTIFY) {
                window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                waiter.watch(window);
            } else if (type == XCB_PROPERTY_NOTIFY) {
                window = reinterpret_cast<xcb_property_notify_event_t*>(event)->window;
            }
            if (window != XCB_WINDOW_NONE && shownMs < 0 && waiter.titled(window))
                shownMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        }
        if (xcb_connection_has_error(connection)) {
            std::fprintf(stderr, "connessione al display X persa\n");
            kill(child, SIGKILL);
            return 1;
        }
    }

    usleep(static_cast<useconds_t>(settleMs) * 1000);
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    xcb_disconnect(connection);
    std::printf("%.1f %ld\n", shownMs, usage.ru_maxrss);
    return 0;
}
