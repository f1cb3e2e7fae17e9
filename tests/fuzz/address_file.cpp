// The address file with any bytes in it, read as the window reads it at start,
// against a plain reading of the same rule: leading blanks skipped, a field in
// double quotes up to the closing quote, otherwise up to a comma or line end,
// blanks around it dropped, more than 5 characters too long.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzCheck.h"
#include "core/AddressFile.h"

namespace {

using Kind = AddressFileContent::Kind;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

AddressFileContent Reference(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        return {Kind::Empty, QString()};
    }
    qsizetype i = 0;
    while (i < bytes.size() && IsBlank(bytes[i])) {
        ++i;
    }
    QByteArray field;
    if (i < bytes.size() && bytes[i] == '"') {
        const qsizetype close = bytes.indexOf('"', i + 1);
        field = bytes.mid(i + 1, close < 0 ? -1 : close - i - 1);
    } else {
        qsizetype end = i;
        while (end < bytes.size() && bytes[end] != ',' && bytes[end] != '\r' &&
               bytes[end] != '\n') {
            ++end;
        }
        field = bytes.mid(i, end - i);
    }
    qsizetype first = 0;
    qsizetype last = field.size();
    while (first < last && IsBlank(field[first])) {
        ++first;
    }
    while (last > first && IsBlank(field[last - 1])) {
        --last;
    }
    field = field.mid(first, last - first);
    if (field.size() > 5) {
        return {Kind::TooLong, QString()};
    }
    return {Kind::Field, QString::fromLatin1(field)};
}

const QTemporaryDir& Dir() {
    static const QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder for the address file\n");
        std::abort();
    }
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QFile file(AddressFilePath(Dir().path()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        std::abort();
    }
    file.close();
    const AddressFileContent read = ReadAddressFile(Dir().path());
    const AddressFileContent expected = Reference(bytes);
    const QString detail =
        QStringLiteral("file \"%1\" gave kind %2 \"%3\", expected kind %4 \"%5\"")
            .arg(fuzz::Escaped(bytes))
            .arg(static_cast<int>(read.kind))
            .arg(fuzz::Escaped(read.field))
            .arg(static_cast<int>(expected.kind))
            .arg(fuzz::Escaped(expected.field));
    FUZZ_CHECK(read.kind == expected.kind && read.field == expected.field, detail);
    FUZZ_CHECK(read.kind != Kind::Field || read.field.size() <= 5, detail);
    return 0;
}
