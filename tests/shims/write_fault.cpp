// A library the tests preload (LD_PRELOAD) to make saving the port address file
// fail the way a full disk does, while every other write of the process goes
// through. DSA_WRITE_FAULT, read at every call so that a test can switch the
// fault on and off, chooses it for files whose name contains "IOaddress.001"
// (a temporary file beside it included):
//   enospc  every write fails with ENOSPC;
//   short   the first write stores half of its bytes, every later one fails
//           with ENOSPC (the disk filled up in the middle);
//   fsync   writes succeed, fsync and fdatasync fail with ENOSPC (space that
//           is only claimed when the data is flushed, as with delayed
//           allocation, quotas or network file systems).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
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
    return std::strstr(name, "IOaddress.001") != nullptr;
}

bool FaultIs(const char* kind) {
    const char* chosen = std::getenv("DSA_WRITE_FAULT");
    return chosen && std::strcmp(chosen, kind) == 0;
}

template <typename F>
F Next(const char* name) {
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

extern "C" int fsync(int fd) {
    static const auto next = Next<int (*)(int)>("fsync");
    if (FaultIs("fsync") && IsAddressFile(fd)) {
        errno = ENOSPC;
        return -1;
    }
    return next(fd);
}

extern "C" int fdatasync(int fd) {
    static const auto next = Next<int (*)(int)>("fdatasync");
    if (FaultIs("fsync") && IsAddressFile(fd)) {
        errno = ENOSPC;
        return -1;
    }
    return next(fd);
}
