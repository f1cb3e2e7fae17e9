// Safe replacement of a small file: temporary file, checked writes, fsync,
// rename. Plain POSIX calls, because QSaveFile writes through a symbolic link
// into its target.
#include "core/FileReplace.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Creates a new, empty temporary file next to `target`; -1 when that fails.
// Created with mode 0666 so that the user's umask applies as for any new file.
int CreateTemporary(const QByteArray& target, QByteArray& temporaryPath) {
    static unsigned counter = 0;
    const QFileInfo info(QFile::decodeName(target));
    const QByteArray stem = QFile::encodeName(info.path()) + "/." +
                            QFile::encodeName(info.fileName()) + ".new-" +
                            QByteArray::number(static_cast<qint64>(::getpid())) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = stem + QByteArray::number(++counter);
        const int fd = ::open(temporaryPath.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                              0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Writes all of `bytes`, going on after a short write; false at the first error
// (a full disk shows as ENOSPC after the part that still fitted).
bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    auto left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// Makes the rename itself durable; a failure here no longer matters to the
// file's contents, so it is not reported.
void SyncFolder(const QByteArray& target) {
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).path());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool ReplaceFileContents(const QString& path, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    // A regular file of that name keeps its permissions; a link or anything
    // else is simply replaced by a new file.
    struct stat old {};
    if (ok && ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) {
        ok = ::fchmod(fd, old.st_mode & 0777) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temporary.constData());
        return false;
    }
    SyncFolder(target);
    return true;
}
