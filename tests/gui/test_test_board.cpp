// digital-step-attenuator --simulate: start-up with and without the option,
// and the Test board window following what the main window sends.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "BoardHarness.h"
#include "core/ModelProfile.h"
#include "core/SimulatedState.h"
#include "window/DigitalStepAttenuatorForm.h"
#include "window/ProgramStart.h"
#include "window/TestBoardWindow.h"

namespace {

const QString kMainTitle = QStringLiteral("Digital Step Attenuator    (Ver.  A8)");

QList<TestBoardWindow*> TestBoardWindows() {
    QList<TestBoardWindow*> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* board = qobject_cast<TestBoardWindow*>(window)) {
            found << board;
        }
    }
    return found;
}

// The program as main() starts it, in a working folder of its own whose port
// address file (when given) holds `address`.
struct StartedProgram {
    explicit StartedProgram(bool simulate, const QString& address = QString()) {
        if (!address.isEmpty()) {
            WriteAddressFile(address);
        }
        StartOptions options;
        options.simulate = simulate;
        program = std::make_unique<Program>(options);
        started = program->Start();
        if (started) {
            static_cast<void>(QTest::qWaitForWindowExposed(&program->Form()));
            QTRY_VERIFY(program->Form().ActivationCount() >= 1);
        }
    }
    DigitalStepAttenuatorForm& Form() { return program->Form(); }
    TestBoardWindow& Board() { return *program->TestBoard(); }
    QString Device(int le) { return Board().Devices.at(static_cast<std::size_t>(le - 1))->text(); }
    QList<bool> Lamps() {
        QList<bool> lit;
        for (BoardLamp* lamp : Board().Lamps) {
            lit << lamp->property("lit").toBool();
        }
        return lit;
    }
    void Choose(int position) {
        Form().ModelCombo->setCurrentIndex(position);
        emit Form().ModelCombo->activated(position);
    }
    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void ClickSteps(std::initializer_list<int> members) {
        for (int member : members) {
            Click(Form().SScommand.at(static_cast<std::size_t>(member)));
        }
    }

    ScopedWorkingFolder folder;
    std::unique_ptr<Program> program;
    bool started = false;
};

QList<bool> LampsOf(int lines) {
    QList<bool> lit;
    for (int bit = 0; bit < 8; ++bit) {
        lit << (((lines >> bit) & 1) != 0);
    }
    return lit;
}

} // namespace

class TestBoardWindowTest : public QObject {
    Q_OBJECT

private slots:
    void commandLineOptions() {
        const QString program = QStringLiteral("digital-step-attenuator");
        QVERIFY(!ParseCommandLine({program}).options.simulate);
        QVERIFY(!ParseCommandLine({program}).exitNow);
        const CommandLine simulate = ParseCommandLine({program, QStringLiteral("--simulate")});
        QVERIFY(simulate.options.simulate && !simulate.exitNow);

        const CommandLine help = ParseCommandLine({program, QStringLiteral("--help")});
        QVERIFY(help.exitNow && !help.isError);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.text.contains(QStringLiteral("--simulate")));
        // Qt's parser offers --help-all beside --help: it must answer, not start the window.
        const CommandLine helpAll = ParseCommandLine({program, QStringLiteral("--help-all")});
        QVERIFY(helpAll.exitNow && !helpAll.isError);
        QVERIFY(helpAll.text.contains(QStringLiteral("--simulate")));
        QVERIFY(ParseCommandLine({program, QStringLiteral("--version")})
                    .text.contains(QCoreApplication::applicationVersion()));

        const CommandLine adapter =
            ParseCommandLine({program, QStringLiteral("--adapter"), QStringLiteral("ftdi://ftdi:232h/1")});
        QVERIFY(!adapter.exitNow && !adapter.options.simulate);
        QCOMPARE(adapter.options.adapter, QStringLiteral("ftdi://ftdi:232h/1"));
        // The simulated board needs no adapter: both together are refused.
        const CommandLine both = ParseCommandLine({program, QStringLiteral("--simulate"),
                                                   QStringLiteral("--adapter"),
                                                   QStringLiteral("ftdi://ftdi:232h/1")});
        QVERIFY(both.exitNow && both.isError && both.exitCode == 1);
        QVERIFY2(both.text.contains(QStringLiteral("give --adapter or --simulate, not both")),
                 qPrintable(both.text));
        const CommandLine badUrl = ParseCommandLine(
            {program, QStringLiteral("--adapter"), QStringLiteral("usb://232h")});
        QVERIFY(badUrl.exitNow && badUrl.isError && badUrl.exitCode == 1);
        QVERIFY2(badUrl.text.contains(QStringLiteral("does not start with ftdi://")),
                 qPrintable(badUrl.text));

        for (const QString& bad : {QStringLiteral("--simulte"), QStringLiteral("378")}) {
            const CommandLine wrong = ParseCommandLine({program, bad});
            QVERIFY2(wrong.exitNow && wrong.isError && wrong.exitCode == 1, qPrintable(bad));
            QVERIFY(wrong.text.contains(QString(bad).remove(QLatin1Char('-'))));
        }
    }

    void withoutTheOptionThereIsNoTestBoard() {
        StartedProgram run(false);
        QVERIFY(run.started);
        QVERIFY(run.program->TestBoard() == nullptr);
        QVERIFY(SimulatedBoardOf(run.program->PortBoard()) == nullptr);
        QVERIFY(TestBoardWindows().isEmpty());
        QCOMPARE(run.Form().windowTitle(), kMainTitle);
        QVERIFY(run.Form().findChild<QObject*>(QStringLiteral("BoardLamp(0)")) == nullptr);
    }

    // With the simulated board (or an adapter) and no address file, the box
    // starts at the address the board answers at; a file still wins.
    void startsAtTheBoardsAddress_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("address");
        QTest::newRow("no address file") << QString() << "378" << 0x378;
        QTest::newRow("a file that sets no port") << "0" << "0" << 0;
    }
    void startsAtTheBoardsAddress() {
        QFETCH(QString, file);
        QFETCH(QString, box);
        QFETCH(int, address);
        QFile::remove(QStringLiteral("IOaddress.001"));
        StartedProgram run(true, file);
        QVERIFY(run.started);
        QCOMPARE(run.Form().AddText->text(), box);
        QCOMPARE(run.Form().PortAddress, address);
    }

    void theTestBoardWindowAndItsNames() {
        StartedProgram run(true);
        QVERIFY(run.started);
        QCOMPARE(TestBoardWindows().size(), 1);
        TestBoardWindow* board = TestBoardWindows().constFirst();
        QCOMPARE(board, run.program->TestBoard());
        QCOMPARE(board->objectName(), QStringLiteral("TestBoard"));
        QCOMPARE(board->windowTitle(), QStringLiteral("Test board"));
        QVERIFY(board->isVisible());
        QCOMPARE(run.Form().windowTitle(), kMainTitle);
        // The main window is the active one, as without the option.
        QTRY_COMPARE(QApplication::activeWindow(), &run.Form());

        QStringList names = {"BoardAddress", "BoardModel", "BoardParallel"};
        for (int bit = 0; bit < 8; ++bit) {
            names << QStringLiteral("BoardLamp(%1)").arg(bit)
                  << QStringLiteral("BoardLampLabel(%1)").arg(bit);
        }
        for (int le = 1; le <= 6; ++le) {
            names << QStringLiteral("BoardDevice(%1)").arg(le);
        }
        for (const QString& name : names) {
            QVERIFY2(board->findChild<QWidget*>(name) != nullptr, qPrintable(name));
        }
        QCOMPARE(board->findChild<QLabel*>("BoardAddress")->text(),
                 QStringLiteral("Simulated board at port 378"));
        QCOMPARE(board->findChild<QLabel*>("BoardLampLabel(4)")->text(), QStringLiteral("D4\nLE3"));
        QCOMPARE(board->findChild<QLabel*>("BoardDevice(3)")->text(),
                 QStringLiteral("LE3: nothing latched yet"));
        QCOMPARE(board->findChild<QLabel*>("BoardModel")->text(),
                 QStringLiteral("Model: none chosen in the main window"));
    }

    // A parallel Load, then a serial one on LE3: each device shows its word and
    // what it means for the model the main window has now. (A parallel word
    // drives the clock and LE lines too, so the serial Load comes second.)
    void parallelAndSerialLoadsShowTheirWords() {
        StartedProgram run(true, QStringLiteral("378"));
        QCOMPARE(run.Form().PortAddress, 0x378);
        run.Choose(24); // VK58-Q7-P1, parallel with the 0.25 dB step
        QCOMPARE(run.Board().Model->text(), QStringLiteral("Model: VK58-Q7-P1"));
        run.ClickSteps({0, 4, 6}); // 0.5 + 8 + 0.25 dB
        run.Click(run.Form().Command1);
        QCOMPARE(run.Board().Parallel->text(), QStringLiteral("PAR: 1010001 = 8.75 dB"));
        // The word stays on D0, D4 and D7 after the latch pulse on D6.
        QCOMPARE(run.Lamps(), LampsOf(0x91));
        QCOMPARE(SimulatedBoardOf(run.program->PortBoard())->Register(0x378), uint8_t{0x91});

        run.Choose(0); // VK58-Q1-S1, serial
        QCOMPARE(run.Board().Model->text(), QStringLiteral("Model: VK58-Q1-S1"));
        run.Click(run.Form().LeOption[2]);
        run.ClickSteps({1, 2, 3}); // 1 + 2 + 4 dB
        run.Click(run.Form().Command1);
        QCOMPARE(run.Device(3), QStringLiteral("LE3: 001110 = 7 dB"));
        QCOMPARE(run.Device(1), QStringLiteral("LE1: nothing latched yet"));
        QCOMPARE(run.Board().Parallel->text(), QStringLiteral("PAR: 1010001 = 8.75 dB"));
        QCOMPARE(run.Lamps(), LampsOf(0)); // the serial transfer ends with every line low
    }

    // The lamps show each write as it happens, without waiting for the window's
    // events to run (a transfer does not let them run).
    void lampsFollowEveryWrite() {
        StartedProgram run(true, QStringLiteral("378"));
        SimulatedBoard& board = *SimulatedBoardOf(run.program->PortBoard());
        for (int lines : {0xA5, 0x01, 0x40, 0x00, 0xFF}) {
            board.Out32(0x378, static_cast<uint8_t>(lines));
            QCOMPARE(run.Lamps(), LampsOf(lines));
        }
        // A write to the control register is not on the data lines.
        board.Out32(0x37A, 0x00);
        QCOMPARE(run.Lamps(), LampsOf(0xFF));
    }

    // The words are read for the model the main window has now: a list entry, a
    // key typed in front of ";" as the catalogue spells it, or none.
    void theModelFollowsTheMainWindow() {
        QCOMPARE(ProfileForComboBox(3, QStringLiteral("anything")), ProfileAt(3));
        QCOMPARE(ProfileForComboBox(-1, QStringLiteral("2VK58-Q8-P1; typed")),
                 FindModel(QStringLiteral("2VK58-Q8-P1")));
        QVERIFY(ProfileForComboBox(-1, QStringLiteral("2vk58-q8-p1;")) == nullptr);
        QVERIFY(ProfileForComboBox(-1, QStringLiteral("5;")) == nullptr);
        QVERIFY(ProfileForComboBox(-1, QStringLiteral("Choose KTN Model")) == nullptr);

        StartedProgram run(true, QStringLiteral("378"));
        run.Choose(0);
        run.Click(run.Form().LeOption[1]);
        run.ClickSteps({0, 5}); // 0.5 + 16 dB
        run.Click(run.Form().Command1);
        QCOMPARE(run.Device(2), QStringLiteral("LE2: 100001 = 16.5 dB"));
        // Typing the cascaded model's key doubles the meaning of the same word.
        QLineEdit* edit = run.Form().ModelCombo->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(run.Device(2), QStringLiteral("LE2: 100001 (no model)"));
        QTest::keyClicks(edit, QStringLiteral("2VK58-Q8-P1;"));
        QCOMPARE(run.Device(2), QStringLiteral("LE2: 100001 = 33 dB"));
    }

    // The Test board window does not keep the program running once the main
    // window is closed.
    void closingTheMainWindowEndsTheProgram() {
        StartedProgram run(true);
        bool timedOut = false;
        QTimer::singleShot(0, &run.Form(), [&run] { run.Form().close(); });
        QTimer::singleShot(5000, qApp, [&timedOut] {
            timedOut = true;
            QCoreApplication::quit();
        });
        QCoreApplication::exec();
        QVERIFY(!timedOut);
    }

    void placedBesideTheMainWindow() {
        const QRect screen(0, 0, 1280, 1024);
        const QSize own(400, 250);
        QCOMPARE(PlaceBeside(QRect(100, 50, 500, 600), own, screen), QPoint(608, 50));
        QCOMPARE(PlaceBeside(QRect(700, 50, 500, 600), own, screen), QPoint(292, 50));
        QCOMPARE(PlaceBeside(QRect(300, 130, 665, 630), own, screen), QPoint(300, 768));
        QCOMPARE(PlaceBeside(QRect(300, 300, 665, 630), own, screen), QPoint(300, 42));
        QCOMPARE(PlaceBeside(QRect(0, 0, 1280, 1024), own, screen), QPoint(880, 774));
    }
};

QTEST_MAIN(TestBoardWindowTest)
#include "test_test_board.moc"
