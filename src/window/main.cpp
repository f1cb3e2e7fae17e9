// digital-step-attenuator: the designed window on the parallel port, or with
// --simulate on a simulated board shown in a Test board window beside it.

#include <QApplication>
#include <QStringList>
#include <cstdio>

#include "core/TerminationSignals.h"
#include "core/Version.h"
#include "window/ProgramStart.h"
#include "window/SignalClose.h"

namespace {

// Prints what --help, --version or a bad option has to say; the exit status.
int Answer(const CommandLine& commandLine) {
    std::fputs(commandLine.text.toLocal8Bit().constData(), commandLine.isError ? stderr : stdout);
    return commandLine.exitCode;
}

} // namespace

int main(int argc, char** argv) {
    QApplication::setApplicationName(QStringLiteral("digital-step-attenuator"));
    QApplication::setApplicationVersion(QStringLiteral(DSA_VERSION));

    // --help and --version answer before any display is opened. Qt's own
    // options (-platform, -style ...) are known only to QApplication, so the
    // command line counts as read once QApplication has taken them out; read
    // again only when it did take some out.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLine early = ParseCommandLine(arguments);
    if (early.exitNow && !early.isError) {
        return Answer(early);
    }

    QApplication app(argc, argv);
    const QStringList remaining = QApplication::arguments();
    const CommandLine commandLine = remaining == arguments ? early : ParseCommandLine(remaining);
    if (commandLine.exitNow) {
        return Answer(commandLine);
    }
    // SIGTERM, SIGINT and SIGHUP close the windows as the user would.
    TerminationSignals terminationSignals;
    CloseWindowsOnTerminationSignals(terminationSignals);

    Program program(commandLine.options);
    // A failed start-up has shown its reason; the program ends at once.
    if (!program.Start()) {
        return 1;
    }
    return QApplication::exec();
}
