// Connects the termination signals to closing every window.
#include "window/SignalClose.h"

#include <QApplication>

#include "core/TerminationSignals.h"

void CloseWindowsOnTerminationSignals(const TerminationSignals& termination) {
    QObject::connect(&termination, &TerminationSignals::Received, qApp,
                     [] { QApplication::closeAllWindows(); });
}
