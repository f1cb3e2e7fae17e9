// Command line and start-up of the window program; see ProgramStart.h.

#include "window/ProgramStart.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include "core/Board.h"
#include "core/HexAddress.h"
#include "window/DialogNotifier.h"
#include "window/DigitalStepAttenuatorForm.h"
#include "window/TestBoardWindow.h"

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sets digital step attenuators on a test board at the parallel port."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Drive a simulated board at port %1 instead of the parallel port, and "
                       "show it in a Test board window. Needs no hardware and no permissions.")
            .arg(HexAddressText(Board::SimulatedBase())));
    parser.addOption(simulate);

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.exitNow = true;
        result.exitCode = 1;
        result.isError = true;
        result.text =
            QStringLiteral("%1: %2\n").arg(QCoreApplication::applicationName(), parser.errorText());
    } else if (!parser.positionalArguments().isEmpty()) {
        result.exitNow = true;
        result.exitCode = 1;
        result.isError = true;
        result.text = QStringLiteral("%1: unexpected argument '%2'; see --help\n")
                          .arg(QCoreApplication::applicationName(),
                               parser.positionalArguments().constFirst());
    } else if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        result.exitNow = true;
        // Without a QApplication yet, Qt names the program "<executable_name>".
        result.text = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                QCoreApplication::applicationName());
    } else if (parser.isSet(version)) {
        result.exitNow = true;
        result.text = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion());
    }
    result.options.simulate = parser.isSet(simulate);
    return result;
}

Program::Program(const StartOptions& options) : notifier_(std::make_unique<DialogNotifier>()) {
    BoardRequest request;
    request.transport = options.simulate ? Transport::Simulated : Transport::ParallelPort;
    module_ = Board::Open(request, *notifier_);
    form_ = std::make_unique<DigitalStepAttenuatorForm>(*module_, notifier_.get());
    notifier_->SetParent(form_.get());
    if (module_->Simulated()) {
        testBoard_ = std::make_unique<TestBoardWindow>(*module_, *form_);
    }
}

// The Test board window stops observing the port before the port goes.
Program::~Program() {
    testBoard_.reset();
    form_.reset();
}

bool Program::Start() {
    if (!form_->Form_Load()) {
        return false;
    }
    // The Test board window goes up first, so that the main window, shown
    // last, is the active one as it is without the option.
    if (testBoard_) {
        testBoard_->ShowBeside(form_.get());
    }
    form_->show();
    return true;
}
