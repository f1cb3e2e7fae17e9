// dsactl: the command-line front end. Everything but the Qt application object
// lives in the dsa_cli library.
#include <QCoreApplication>

#include "cli/Dsactl.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dsactl"));
    return RunDsactl(QCoreApplication::arguments());
}
