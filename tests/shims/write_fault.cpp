// A library the tests preload (LD_PRELOAD) to make saving the port address file
// fail the way a full disk does, while every other write of the process goes
// through. DSA_WRITE_FAULT, read at every call so that a test can switch the
// fault on and off, chooses it for files whose name contains "IOaddress.001"
// (a temporary file beside it included) and for unnamed files (O_TMPFILE),
// which only the saving makes while a fault is in force. It holds one fault or
// several separated by commas:
//   enospc  every write fails with ENOSPC;
//   short   the first write stores half of its bytes, every later one fails
//           with ENOSPC (the disk filled up in the middle);
//   fsync   writes succeed, fsync and fdatasync fail with ENOSPC (space that
//           is only claimed when the data is flushed, as with delayed
//           allocation, quotas or network file systems);
//   kill    the process is killed (SIGKILL) when it flushes the file, as by a
//           power cut or `kill -9` in the middle of saving;
//   notmpfile  unnamed files are refused with EOPNOTSUPP, as by a file system
//           without them.
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

bool IsAddressFile(int fd) {
    char link[64];
    char name[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, name, sizeof name - 1);
    if (length <= 0) {
        return false;
    }
    name[length] = '\0';
    // An unnamed file shows as "<folder>/#<inode> (deleted)".
    const char* const unnamed = " (deleted)";
    const size_t tail = std::strlen(unnamed);
    return std::strstr(name, "IOaddress.001") != nullptr ||
           (std::strstr(name, "/#") != nullptr && static_cast<size_t>(length) > tail &&
            std::strcmp(name + length - tail, unnamed) == 0);
}

bool FaultIs(const char* kind) {
    const char* chosen = std::getenv("DSA_WRITE_FAULT");
    if (!chosen) {
        return false;
    }
    const std::string list = std::string(",") + chosen + ",";
    return list.find(std::string(",") + kind + ",") != std::string::npos;
}

// The flush where a killed program stops.
void KillIfChosen() {
    if (FaultIs("kill")) {
        ::kill(::getpid(), SIGKILL);
    }
}

template <typename F> F Next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

// Set by the short write; cleared whenever no fault is in force.
bool shortWriteDone = false;

} // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    static const auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (!std::getenv("DSA_WRITE_FAULT")) {
        shortWriteDone = false;
    } else if (size > 0 && IsAddressFile(fd)) {
        if (FaultIs("enospc") || (FaultIs("short") && shortWriteDone)) {
            errno = ENOSPC;
            return -1;
        }
        if (FaultIs("short")) {
            shortWriteDone = true;
            return next(fd, data, size / 2 > 0 ? size / 2 : 1);
        }
    }
    return next(fd, data, size);
}

namespace {

// fsync and fdatasync: the kill point, then the "fsync" fault, on the address file.
int SyncFaulting(int fd, int (*next)(int)) {
    if (IsAddressFile(fd)) {
        KillIfChosen();
    }
    if (FaultIs("fsync") && IsAddressFile(fd)) {
        errno = ENOSPC;
        return -1;
    }
    return next(fd);
}

} // namespace

extern "C" int fsync(int fd) {
    static const auto next = Next<int (*)(int)>("fsync");
    return SyncFaulting(fd, next);
}

extern "C" int fdatasync(int fd) {
    static const auto next = Next<int (*)(int)>("fdatasync");
    return SyncFaulting(fd, next);
}

// open and open64 are one call on 64-bit systems, but either name may be used.
namespace {
using Open = int (*)(const char*, int, ...);

int OpenUnlessRefused(Open next, const char* path, int flags, va_list arguments) {
    if ((flags & O_TMPFILE) == O_TMPFILE && FaultIs("notmpfile")) {
        errno = EOPNOTSUPP;
        return -1;
    }
    // A mode is passed only when the call creates a file.
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        return next(path, flags, static_cast<mode_t>(va_arg(arguments, unsigned)));
    }
    return next(path, flags);
}
} // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    static const auto next = Next<Open>("open");
    const int fd = OpenUnlessRefused(next, path, flags, arguments);
    va_end(arguments);
    return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    static const auto next = Next<Open>("open64");
    const int fd = OpenUnlessRefused(next, path, flags, arguments);
    va_end(arguments);
    return fd;
}
