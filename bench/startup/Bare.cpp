// startup_bare: the bare window startup_bench compares the program with. It is
// the main window's widget tree, built by the window library's own code, on a
// simulated board, shown straight after QApplication: no command line, no
// termination signals, no Load of the window (placement, address check, model
// list) and no Test board window. FirstFrame.cpp ends it after its first frame.

#include <QApplication>

#include "port/PortAccess.h"
#include "port/SimulatedParallelPort.h"
#include "window/DialogNotifier.h"
#include "window/DigitalStepAttenuatorForm.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SimulatedParallelPort port;
    DialogNotifier notifier;
    PortAccess module(port, notifier);
    DigitalStepAttenuatorForm form(module, &notifier);
    form.show();
    return QApplication::exec();
}
