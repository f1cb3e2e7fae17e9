#pragma once
// Running the dsactl program as a user would, and what it printed.

#include <QByteArray>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct DsactlResult {
    int status = -1;
    QByteArray out;
    QByteArray err;
    bool finished = false;

    QStringList OutLines() const;
    QStringList ErrLines() const;
    // The lines of standard output, each parsed as one JSON object; an empty
    // object for a line that does not parse.
    QList<QJsonObject> JsonLines() const;
};

struct DsactlOptions {
    QString workingDirectory;                  // default: a fresh empty folder
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    bool unprivileged = false; // run as nobody (through setpriv when running as root)
    int timeoutMs = 30000;
};

// The path of the built program.
QString DsactlPath();

DsactlResult RunDsactl(const QStringList& arguments, const DsactlOptions& options = {});
