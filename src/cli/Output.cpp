// Writing results, failures and progress to the standard streams.
#include "cli/Output.h"

#include <QJsonDocument>

#include <cstdio>
#include <unistd.h>

namespace {

bool progressShown = false;

void Write(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

} // namespace

void PrintLine(const QString& text) {
    Write(stdout, text.toUtf8() + '\n');
    std::fflush(stdout);
}

void PrintJsonLine(const QJsonObject& object) {
    Write(stdout, QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    std::fflush(stdout);
}

void PrintJsonDocument(const QJsonObject& object) {
    Write(stdout, QJsonDocument(object).toJson(QJsonDocument::Indented));
    std::fflush(stdout);
}

void PrintError(const QString& text) {
    EndProgress();
    Write(stderr, text.toUtf8() + '\n');
    std::fflush(stderr);
}

bool ErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void PrintProgress(const QString& text) {
    Write(stderr, "\r" + text.toUtf8() + "\033[K");
    std::fflush(stderr);
    progressShown = true;
}

void EndProgress() {
    if (progressShown) {
        Write(stderr, "\n");
        std::fflush(stderr);
        progressShown = false;
    }
}
