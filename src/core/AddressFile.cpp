#include "core/AddressFile.h"

#include <QDir>
#include <QFile>

#include "core/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFileName = QStringLiteral("IOaddress.001");
constexpr qsizetype kMaxFieldLength = 5;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Picks the first field out of the file byte by byte. It keeps at most the
// field's first few characters and stops as soon as the trimmed field is
// known to be too long, so a large or binary file costs one pass at most.
class FirstFieldScanner {
public:
    // Takes the next byte; false once the field has ended (or is too long).
    bool Take(char c) {
        switch (state_) {
        case State::BeforeField:
            if (IsBlank(c)) {
                return true;
            }
            if (c == '"') {
                state_ = State::Quoted;
                return true;
            }
            if (c == ',' || IsLineEnd(c)) {
                return false;
            }
            state_ = State::Unquoted;
            return Append(c);
        case State::Unquoted:
            if (c == ',' || IsLineEnd(c)) {
                return false;
            }
            return Append(c);
        case State::Quoted:
            if (c == '"') {
                return false;
            }
            return Append(c);
        }
        return false;
    }

    bool TooLong() const { return tooLong_; }
    // The field without blanks around it.
    QString Field() const { return QString::fromLatin1(field_); }

private:
    enum class State { BeforeField, Unquoted, Quoted };

    bool Append(char c) {
        if (IsBlank(c)) {
            // Blanks count only if more of the field follows them.
            if (!field_.isEmpty()) {
                if (field_.size() + pendingBlanks_.size() < kMaxFieldLength) {
                    pendingBlanks_.append(c);
                } else {
                    blanksOverflow_ = true;
                }
            }
            return true;
        }
        if (blanksOverflow_ || field_.size() + pendingBlanks_.size() + 1 > kMaxFieldLength) {
            tooLong_ = true;
            return false;
        }
        field_.append(pendingBlanks_);
        pendingBlanks_.clear();
        field_.append(c);
        return true;
    }

    State state_ = State::BeforeField;
    QByteArray field_;
    QByteArray pendingBlanks_;
    bool blanksOverflow_ = false;
    bool tooLong_ = false;
};

} // namespace

QString AddressFilePath(const QString& dir) {
    return dir.isEmpty() ? kFileName : QDir(dir).filePath(kFileName);
}

AddressFileContent ReadAddressFile(const QString& dir) {
    using Kind = AddressFileContent::Kind;
    const QByteArray path = QFile::encodeName(AddressFilePath(dir));
    // Only a regular file is read. A FIFO, a directory or a device of that
    // name counts as unreadable: it is looked at before it is opened, and
    // opened without blocking, so nothing there can hold up the window.
    struct stat info {};
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {Kind::Missing, QString()};
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return {Kind::Missing, QString()};
    }
    QFile file;
    // The name may have been replaced between the two looks.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {Kind::Missing, QString()};
    }
    if (info.st_size < 1) {
        return {Kind::Empty, QString()};
    }
    FirstFieldScanner scanner;
    char c = 0;
    while (file.getChar(&c) && scanner.Take(c)) {
    }
    if (scanner.TooLong()) {
        return {Kind::TooLong, QString()};
    }
    return {Kind::Field, scanner.Field()};
}

bool WriteAddressFile(const QString& text, const QString& dir) {
    const QByteArray line = text.trimmed().toLatin1() + QByteArrayLiteral("\r\n");
    return ReplaceFileContents(AddressFilePath(dir), line);
}
