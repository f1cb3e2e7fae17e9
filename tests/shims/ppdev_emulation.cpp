// A library the tests preload (LD_PRELOAD) so that a plain file stands in for
// a parallel port's device node (in the prepared /dev of DSACTL_TEST_DEV_DIR):
// ppdev's ioctls on a regular file are answered as a port with nothing
// attached answers them (claiming succeeds, the data and control lines read
// back what was last written), and every byte put on the data lines is
// appended to the file named by DSA_PPDEV_WRITE_LOG, one decimal number a
// line. ioctls on anything but a regular file go through untouched.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Ioctl = int (*)(int, unsigned long, ...);

// The lines of the one emulated port.
unsigned char data = 0;
unsigned char control = 0;

void Log(unsigned value) {
    static const int fd = [] {
        const char* name = std::getenv("DSA_PPDEV_WRITE_LOG");
        return name == nullptr ? -1 : ::open(name, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }();
    char line[8];
    const int length = std::snprintf(line, sizeof line, "%u\n", value);
    if (fd >= 0 && length > 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, line, static_cast<size_t>(length));
    }
}

bool Emulated(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

// glibc declares the request as unsigned long; every ppdev request takes a pointer.
extern "C" int ioctl(int fd, unsigned long request, ...) {
    static const auto next = reinterpret_cast<Ioctl>(::dlsym(RTLD_NEXT, "ioctl"));
    va_list arguments;
    va_start(arguments, request);
    void* const argument = va_arg(arguments, void*);
    va_end(arguments);
    if (!Emulated(fd)) {
        return next(fd, request, argument);
    }
    auto* const byte = static_cast<unsigned char*>(argument);
    switch (request) {
    case PPEXCL:
    case PPCLAIM:
    case PPRELEASE:
    case PPDATADIR:
        return 0;
    case PPWDATA:
        data = *byte;
        Log(data);
        return 0;
    case PPRDATA:
        *byte = data;
        return 0;
    case PPWCONTROL:
        control = *byte;
        return 0;
    case PPRCONTROL:
        *byte = control;
        return 0;
    case PPRSTATUS:
        *byte = 0x78; // no paper out, selected, no error, not busy: an idle port
        return 0;
    default:
        errno = ENOTTY;
        return -1;
    }
}
