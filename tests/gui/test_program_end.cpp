// How the program ends: when its last window is closed (the help window and the
// About box count as windows), and on SIGTERM, SIGINT or SIGHUP, which close
// the windows as the user would, so that a typed address is saved first.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <csignal>

#include "BoardHarness.h"
#include "core/TerminationSignals.h"
#include "window/AboutBox.h"
#include "window/HelpWindow.h"
#include "window/SignalClose.h"

namespace {

QByteArray FileBytes() {
    QFile file(AddressFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The windows of the program that are on screen.
int VisibleWindows() {
    int count = 0;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        count += window->isVisible() ? 1 : 0;
    }
    return count;
}

// Runs the program's event loop; gives its exit code, or -1 when it was still
// running after `seconds` and had to be stopped.
int RunEventLoop(int seconds) {
    QObject guard;
    bool stopped = false;
    QTimer::singleShot(seconds * 1000, &guard, [&stopped] {
        stopped = true;
        QCoreApplication::exit(-1);
    });
    const int code = QApplication::exec();
    return stopped ? -1 : code;
}

QWidget* OpenSecondary(DigitalStepAttenuatorForm& form, const QByteArray& which) {
    if (which == "help") {
        form.Command2_Click();
        return HelpWindow::Instance();
    }
    form.Command3_Click();
    return AboutBox::Instance();
}

} // namespace

class ProgramEndTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QCOMPARE(VisibleWindows(), 0); }

    void cleanup() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            window->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Closing the main window while the help window or the About box is open
    // leaves the program running; closing that one too ends it.
    void programEndsWithItsLastWindow_data() {
        QTest::addColumn<QByteArray>("which");
        QTest::newRow("help window") << QByteArray("help");
        QTest::newRow("About box") << QByteArray("about");
    }

    void programEndsWithItsLastWindow() {
        QFETCH(QByteArray, which);
        BoardHarness h;
        h.Start();
        QPointer<QWidget> secondary = OpenSecondary(h.form, which);
        QVERIFY(secondary);
        QVERIFY(QTest::qWaitForWindowExposed(secondary));

        QObject guard;
        bool runningAfterMainClosed = false;
        QTimer::singleShot(0, &guard, [&h] { h.form.close(); });
        QTimer::singleShot(300, &guard, [&] {
            runningAfterMainClosed = secondary && secondary->isVisible();
            if (secondary) {
                secondary->close();
            }
        });
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        QCOMPARE(RunEventLoop(10), 0);
        QVERIFY2(runningAfterMainClosed, "the program ended with the main window");
        QCOMPARE(lastClosed.count(), 1);
    }

    // An address typed into the box and not yet saved (the box still has the
    // focus) is saved when a termination signal closes the window.
    void signalSavesTheTypedAddress_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int{SIGTERM};
        QTest::newRow("SIGINT") << int{SIGINT};
        QTest::newRow("SIGHUP") << int{SIGHUP};
    }

    void signalSavesTheTypedAddress() {
        QFETCH(int, signalNumber);
        BoardHarness h;
        h.SaveAddress(QStringLiteral("278"));
        h.Start();
        TerminationSignals termination;
        CloseWindowsOnTerminationSignals(termination);

        h.form.activateWindow();
        QTRY_VERIFY(h.form.isActiveWindow());
        h.form.AddText->setFocus();
        QTRY_VERIFY(h.form.AddText->hasFocus());
        h.form.AddText->selectAll();
        QTest::keyClicks(h.form.AddText, QStringLiteral("3bc"));
        QCOMPARE(h.form.PortAddress, 0x3bc);
        QCOMPARE(FileBytes(), QByteArray("278\r\n"));

        QCOMPARE(::raise(signalNumber), 0);
        QTRY_VERIFY(!h.form.isVisible());
        QCOMPARE(FileBytes(), QByteArray("3bc\r\n"));
    }

    // Every window is closed and the event loop ends, as after the user closed
    // the last one.
    void signalClosesEveryWindowAndEndsTheProgram() {
        BoardHarness h;
        h.Start();
        TerminationSignals termination;
        CloseWindowsOnTerminationSignals(termination);
        h.form.Command2_Click();
        h.form.Command3_Click();
        QCOMPARE(VisibleWindows(), 3);

        QObject guard;
        QTimer::singleShot(0, &guard, [] { ::raise(SIGTERM); });
        QCOMPARE(RunEventLoop(10), 0);
        QCOMPARE(VisibleWindows(), 0);
        QCOMPARE(termination.FirstSignal(), int{SIGTERM});
    }
};

QTEST_MAIN(ProgramEndTest)
#include "test_program_end.moc"
