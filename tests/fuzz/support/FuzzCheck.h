#pragma once
// Checks for the fuzz targets: a failed check prints where, what and the values
// involved, then aborts, so that libFuzzer keeps the input as a crash.

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* condition,
                              const QString& detail) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", file, line, condition,
                 detail.toUtf8().constData());
    std::abort();
}

// A text with every character outside printable ASCII as \uXXXX, for messages.
inline QString Escaped(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7f && u != u'\\') {
            out += c;
        } else {
            out += QStringLiteral("\\u%1").arg(uint{u}, 4, 16, QLatin1Char('0'));
        }
    }
    return out;
}

inline QString Escaped(const QByteArray& bytes) {
    return Escaped(QString::fromLatin1(bytes));
}

} // namespace fuzz

// FUZZ_CHECK(condition, detail): `detail` is a QString built only on failure.
#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            ::fuzz::Fail(__FILE__, __LINE__, #condition, (detail));                                \
        }                                                                                          \
    } while (false)
