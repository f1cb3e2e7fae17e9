// A stand-in for the dsactl command while it is built elsewhere: runs
// `dsactl serve ...` only.

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "server/Serve.h"

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.at(1) != QLatin1String("serve")) {
        std::fputs("Usage: dsactl serve [options]; see dsactl serve --help\n", stderr);
        return 64;
    }
    return RunServe(arguments.mid(2));
}
