// startup_bare: the bare window startup_bench compares the program with. It is
// the main window's widget tree, built by the window library's own code, on a
// simulated board, shown straight after QApplication: no command line, no
// termination signals, no Load of the window (placement, address check, model
// list) and no Test board window. FirstFrame.cpp ends it after its first frame.

#include <QApplication>

#include "core/Board.h"
#include "window/DialogNotifier.h"
#include "window/DigitalStepAttenuatorForm.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    DialogNotifier notifier;
    BoardRequest request;
    request.transport = Transport::Simulated;
    const std::unique_ptr<Board> module = Board::Open(request, notifier);
    DigitalStepAttenuatorForm form(*module, &notifier);
    form.show();
    return QApplication::exec();
}
