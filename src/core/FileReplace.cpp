// Safe replacement of a small file: temporary file, checked writes, fsync,
// rename. Plain POSIX calls, because QSaveFile writes through a symbolic link
// into its target.
#include "core/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Where the new contents are made: the folder of the file, and the start of
// the temporary names beside it, ".<name>.new-". A temporary's full name is
// ".<name>.new-<process id>-<count>", both numbers in plain decimal.
struct Temporaries {
    explicit Temporaries(const QString& path)
        : folder(QFile::encodeName(QFileInfo(path).path())),
          prefix("." + QFile::encodeName(QFileInfo(path).fileName()) + ".new-") {}

    QByteArray NextPath() const {
        static unsigned counter = 0;
        return folder + "/" + prefix + QByteArray::number(static_cast<qint64>(::getpid())) + "-" +
               QByteArray::number(++counter);
    }

    QByteArray folder;
    QByteArray prefix;
};

// A positive number in plain decimal (no sign, no leading zero), at most
// `limit`; 0 for anything else.
qint64 PlainNumber(const QByteArray& text, qint64 limit) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok && value > 0 && value <= limit && QByteArray::number(value) == text ? value : 0;
}

// Removes the temporaries that processes killed while saving (or a power cut)
// left behind: files of exactly that name pattern whose process no longer
// exists. Anything else in the folder, and any temporary of a running process,
// is left alone.
void RemoveStaleTemporaries(const Temporaries& temporaries) {
    const QDir folder(QFile::decodeName(temporaries.folder));
    const QStringList names =
        folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names) {
        const QByteArray bytes = QFile::encodeName(name);
        if (!bytes.startsWith(temporaries.prefix)) {
            continue;
        }
        const QList<QByteArray> numbers = bytes.mid(temporaries.prefix.size()).split('-');
        if (numbers.size() != 2 || PlainNumber(numbers.at(1), LLONG_MAX) == 0) {
            continue;
        }
        const auto pid = static_cast<pid_t>(PlainNumber(numbers.at(0), INT_MAX));
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) {
            ::unlink((temporaries.folder + "/" + bytes).constData());
        }
    }
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

// The contents and permission bits (`mode`, or -1 to keep those of a new file),
// flushed to the disk.
bool Fill(int fd, const QByteArray& bytes, int mode) {
    return WriteAll(fd, bytes) && (mode < 0 || ::fchmod(fd, static_cast<mode_t>(mode)) == 0) &&
           ::fsync(fd) == 0;
}

enum class Outcome { Written, Failed, Unavailable };

// Makes the new file unnamed (O_TMPFILE) and names it only once it is
// complete: should the program be killed before, the system frees the file
// and nothing is left in the folder. Unavailable where the kernel or the file
// system has no unnamed files, or /proc is missing to give it a name.
// Created with mode 0666 so that the user's umask applies as for any new file.
Outcome WriteUnnamed(const Temporaries& temporaries, const QByteArray& bytes, int mode,
                     QByteArray& temporaryPath) {
#ifdef O_TMPFILE
    const int fd = ::open(temporaries.folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Outcome::Unavailable;
    }
    if (!Fill(fd, bytes, mode)) {
        ::close(fd);
        return Outcome::Failed;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    Outcome outcome = Outcome::Unavailable;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = temporaries.NextPath();
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporaryPath.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            outcome = Outcome::Written;
            break;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    if (outcome != Outcome::Written) {
        temporaryPath.clear();
    }
    if (::close(fd) != 0 && outcome == Outcome::Written) {
        return Outcome::Failed;
    }
    return outcome;
#else
    Q_UNUSED(temporaries);
    Q_UNUSED(bytes);
    Q_UNUSED(mode);
    Q_UNUSED(temporaryPath);
    return Outcome::Unavailable;
#endif
}

// The same with a named temporary file from the start.
Outcome WriteNamed(const Temporaries& temporaries, const QByteArray& bytes, int mode,
                   QByteArray& temporaryPath) {
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporaryPath = temporaries.NextPath();
        fd = ::open(temporaryPath.constData(),
                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        temporaryPath.clear();
        return Outcome::Failed;
    }
    const bool ok = Fill(fd, bytes, mode);
    return (::close(fd) == 0) && ok ? Outcome::Written : Outcome::Failed;
}

// Makes the rename itself durable; a failure here no longer matters to the
// file's contents, so it is not reported.
void SyncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool ReplaceFileContents(const QString& path, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(path);
    // A regular file of that name is replaced only if the user may write it
    // (the system's own rule, as for opening it to write: the superuser may),
    // and keeps its permission bits. A link or anything else is simply
    // replaced by a new file.
    struct stat old {};
    int mode = -1;
    if (::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0) {
            return false;
        }
        mode = static_cast<int>(old.st_mode & 0777);
    }
    const Temporaries temporaries(path);
    RemoveStaleTemporaries(temporaries);
    QByteArray temporary;
    Outcome outcome = WriteUnnamed(temporaries, bytes, mode, temporary);
    if (outcome == Outcome::Unavailable) {
        outcome = WriteNamed(temporaries, bytes, mode, temporary);
    }
    const bool ok =
        outcome == Outcome::Written && ::rename(temporary.constData(), target.constData()) == 0;
    if (!ok) {
        if (!temporary.isEmpty()) {
            ::unlink(temporary.constData());
        }
        return false;
    }
    SyncFolder(temporaries.folder);
    return true;
}
