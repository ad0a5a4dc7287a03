// zelmora-emulator-preload: loaded (LD_PRELOAD) into the ARM programs that
// qemu's user-mode emulator runs for the tests of a cross build
// (tests/CMakeLists.txt), and into nothing else.
//
// Qt starts a program whose end it waits for (QProcess::start: the desktop's
// opener, xdg-open) with clone(CLONE_PIDFD) wherever the kernel answers
// waitid(P_PIDFD). qemu 7.2 passes that question on to the kernel, which
// answers, but then refuses the clone, and no program starts. Told here that
// there is no P_PIDFD, Qt starts it as on a kernel before Linux 5.4 (fork,
// then SIGCHLD), which qemu runs; on an ARM machine nothing of this is
// loaded. LD_PRELOAD leaves the environment at once, so that the programs
// started from here (the build machine's own among them) do not inherit it.

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/syscall.h>

namespace {

constexpr long kPidfdIdType = 3; // P_PIDFD of <linux/wait.h>

__attribute__((constructor)) void forgetPreload() {
    unsetenv("LD_PRELOAD");
}

} // namespace

extern "C" long syscall(long number, ...) {
    va_list list;
    va_start(list, number);
    long arguments[6];
    for (auto& argument : arguments)
        argument = va_arg(list, long);
    va_end(list);
    if (number == SYS_waitid && arguments[0] == kPidfdIdType) {
        errno = ENOSYS;
        return -1;
    }
    using Syscall = long (*)(long, ...);
    static const auto next = reinterpret_cast<Syscall>(dlsym(RTLD_NEXT, "syscall"));
    return next(number, arguments[0], arguments[1], arguments[2], arguments[3], arguments[4],
                arguments[5]);
}
