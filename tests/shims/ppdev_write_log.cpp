// A library the tests preload (LD_PRELOAD) to see what a program puts on a real
// parallel port: every byte written to the data lines through ppdev (ioctl
// PPWDATA) that the driver took is appended to the file named by
// DSA_PPDEV_WRITE_LOG, one line per write:
//   <CLOCK_MONOTONIC nanoseconds> <byte in decimal>
// The time is taken just before the driver is called. Every other ioctl, and
// every one while DSA_PPDEV_WRITE_LOG is not set, goes through untouched. Each
// line is one write(2) to a file opened for appending, so the lines of a
// program that is stopped, killed or ends by exit() are all there.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using Ioctl = int (*)(int, unsigned long, ...);

// The log, opened at the first data write; -1 when it cannot be.
int LogFile() {
    static const int fd = [] {
        const char* name = std::getenv("DSA_PPDEV_WRITE_LOG");
        return name == nullptr ? -1 : ::open(name, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }();
    return fd;
}

void Record(const timespec& at, unsigned value) {
    char line[48];
    const int length =
        std::snprintf(line, sizeof line, "%lld %u\n",
                      static_cast<long long>(at.tv_sec) * 1000000000LL + at.tv_nsec, value);
    if (length > 0) {
        // A log that cannot take the line loses it; the program is not to notice.
        [[maybe_unused]] const ssize_t written =
            ::write(LogFile(), line, static_cast<size_t>(length));
    }
}

} // namespace

// glibc declares the request as unsigned long; every ppdev request takes a pointer.
extern "C" int ioctl(int fd, unsigned long request, ...) {
    static const auto next = reinterpret_cast<Ioctl>(::dlsym(RTLD_NEXT, "ioctl"));
    va_list arguments;
    va_start(arguments, request);
    void* const argument = va_arg(arguments, void*);
    va_end(arguments);
    if (request != PPWDATA || argument == nullptr || LogFile() < 0) {
        return next(fd, request, argument);
    }
    timespec at{};
    ::clock_gettime(CLOCK_MONOTONIC, &at);
    const unsigned value = *static_cast<const unsigned char*>(argument);
    const int result = next(fd, request, argument);
    if (result == 0) {
        const int saved = errno;
        Record(at, value);
        errno = saved;
    }
    return result;
}
