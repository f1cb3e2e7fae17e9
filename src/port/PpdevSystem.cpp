#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "port/PpdevPort.h"

int PpdevSystem::Open(const std::string& path, int flags) {
    return ::open(path.c_str(), flags);
}

int PpdevSystem::Ioctl(int fd, unsigned long request, void* arg) {
    return ::ioctl(fd, request, arg);
}

int PpdevSystem::Close(int fd) {
    return ::close(fd);
}
