// Runs the built dsactl in a child process and collects what it printed.
#include "DsactlRun.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

QString DsactlPath() {
    return QStringLiteral(DSACTL_PATH);
}

QStringList DsactlResult::OutLines() const {
    return QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList DsactlResult::ErrLines() const {
    return QString::fromUtf8(err).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QList<QJsonObject> DsactlResult::JsonLines() const {
    QList<QJsonObject> objects;
    for (const QString& line : OutLines()) {
        objects << QJsonDocument::fromJson(line.toUtf8()).object();
    }
    return objects;
}

DsactlResult RunDsactl(const QStringList& arguments, const DsactlOptions& options) {
    QTemporaryDir emptyFolder;
    QProcess process;
    process.setProcessEnvironment(options.environment);
    process.setWorkingDirectory(options.workingDirectory.isEmpty() ? emptyFolder.path()
                                                                   : options.workingDirectory);
    if (options.unprivileged && geteuid() == 0) {
        QFile::setPermissions(emptyFolder.path(), QFile::permissions(emptyFolder.path()) |
                                                      QFile::ReadOther | QFile::ExeOther);
        process.start(QStringLiteral("setpriv"),
                      QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                  QStringLiteral("--clear-groups"), QStringLiteral("--"),
                                  DsactlPath()} +
                          arguments);
    } else {
        process.start(DsactlPath(), arguments);
    }
    DsactlResult result;
    result.finished = process.waitForFinished(options.timeoutMs);
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    if (result.finished && process.exitStatus() == QProcess::NormalExit) {
        result.status = process.exitCode();
    }
    return result;
}
