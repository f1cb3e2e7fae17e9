#pragma once
// Start-up of digital-step-attenuator from its command line: the options, and
// the program they make (port backend, main window, and with --simulate the
// simulated board and its Test board window, with --adapter an FTDI adapter in
// place of the parallel port). Without options the program is
// the designed window on the ppdev port and nothing else.

#include <QString>
#include <QStringList>
#include <memory>

class DialogNotifier;
class DigitalStepAttenuatorForm;
class Board;
class TestBoardWindow;

struct StartOptions {
    // The simulated board instead of ppdev: no hardware, no /dev, no root.
    bool simulate = false;
    // An FTDI adapter's ftdi:// address: the adapter instead of ppdev, at
    // whatever address the box holds. Empty for none.
    QString adapter;
};

// The command line read, before any window system is needed: --help and
// --version answer without a display.
struct CommandLine {
    StartOptions options;
    // --help, --version or a bad option: print `text` (to standard error when
    // `isError`) and end with `exitCode` instead of starting.
    bool exitNow = false;
    int exitCode = 0;
    bool isError = false;
    QString text;
};

// Reads `arguments` (program name first). The application name and version
// must be set already.
CommandLine ParseCommandLine(const QStringList& arguments);

class Program {
public:
    explicit Program(const StartOptions& options);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Loads and shows the main window (and the Test board window beside it).
    // False when the load failed; its reason has then been shown.
    bool Start();

    DigitalStepAttenuatorForm& Form() { return *form_; }
    // nullptr without --simulate.
    TestBoardWindow* TestBoard() { return testBoard_.get(); }
    // The board the window drives (the simulated one with --simulate).
    Board& PortBoard() { return *module_; }

private:
    std::unique_ptr<DialogNotifier> notifier_;
    std::unique_ptr<Board> module_;
    std::unique_ptr<DigitalStepAttenuatorForm> form_;
    std::unique_ptr<TestBoardWindow> testBoard_;
};
