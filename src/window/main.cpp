#include <QApplication>
#include <QIcon>

#include "core/TerminationSignals.h"
#include "window/DialogNotifier.h"
#include "window/DigitalStepAttenuatorForm.h"
#include "window/SignalClose.h"
#include "port/PortAccess.h"
#include "port/PpdevPort.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("digital-step-attenuator"));
    // SIGTERM, SIGINT and SIGHUP close the windows as the user would.
    TerminationSignals terminationSignals;
    CloseWindowsOnTerminationSignals(terminationSignals);

    DialogNotifier notifier;
    PpdevPort port;
    PortAccess module(port, notifier);
    DigitalStepAttenuatorForm form(module, &notifier);
    notifier.SetParent(&form);

    // A failed start-up has shown its reason; the program ends at once.
    if (!form.Form_Load()) {
        return 1;
    }
    form.show();
    return QApplication::exec();
}
