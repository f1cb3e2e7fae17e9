// Command line and start-up of the window program; see ProgramStart.h.

#include "window/ProgramStart.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLineEdit>

#include "core/AddressFile.h"
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
    const QCommandLineOption adapter(
        QStringLiteral("adapter"),
        QStringLiteral("Drive the board through an FTDI USB adapter in bit-bang mode (its pins "
                       "AD0 to AD7 as D0 to D7) instead of the parallel port, at whatever "
                       "address the box holds; for example ftdi://ftdi:232h/1."),
        QStringLiteral("URL"));
    parser.addOption(adapter);

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
    } else if (parser.isSet(adapter) && parser.isSet(simulate)) {
        result.exitNow = true;
        result.exitCode = 1;
        result.isError = true;
        result.text = QStringLiteral("%1: give --adapter or --simulate, not both: the simulated "
                                     "board needs no adapter\n")
                          .arg(QCoreApplication::applicationName());
    } else if (const std::string problem = AdapterUrlProblem(parser.value(adapter).toStdString());
               parser.isSet(adapter) && !problem.empty()) {
        result.exitNow = true;
        result.exitCode = 1;
        result.isError = true;
        result.text = QStringLiteral("%1: --adapter: %2\n")
                          .arg(QCoreApplication::applicationName(), QString::fromStdString(problem));
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
    result.options.adapter = parser.value(adapter);
    return result;
}

Program::Program(const StartOptions& options) : notifier_(std::make_unique<DialogNotifier>()) {
    BoardRequest request;
    request.transport = options.simulate         ? Transport::Simulated
                        : options.adapter.isEmpty() ? Transport::ParallelPort
                                                    : Transport::FtdiAdapter;
    request.adapterUrl = options.adapter.toStdString();
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
    // The simulated board and an adapter answer at the board's usual address:
    // without an address file of its own the box starts there, so that the
    // first Load reaches the board. A file, even an empty one, still wins.
    const int32_t base = Board::DefaultBase(module_->Request().transport);
    if (base != 0 && ReadAddressFile().kind == AddressFileContent::Kind::Missing) {
        form_->AddText->setText(HexAddressText(base));
    }
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
