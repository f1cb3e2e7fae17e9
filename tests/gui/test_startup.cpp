// Start-up of the main window and the rule for when it counts as activated.

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "BoardHarness.h"
#include "core/Catalogue.h"
#include "window/AboutBox.h"
#include "window/HelpWindow.h"
#include "window/WindowPlacement.h"

class StartupTest : public QObject {
    Q_OBJECT

private:
    // Makes `window` the program's active window and lets the events settle.
    static void Activate(QWidget* window) {
        window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), window);
        QCoreApplication::processEvents();
    }

    // Runs `testCase` of this program on an offscreen screen of `size`; fails
    // with the child's output unless it passes within a minute.
    static void RunOnScreen(const QSize& size, const QString& testCase) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString config = dir.filePath(QStringLiteral("screen.json"));
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(R"({"screens": [{"name": "small", "width": %1, "height": %2}]})")
                       .arg(size.width())
                       .arg(size.height())
                       .toUtf8());
        file.close();
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                           QStringLiteral("offscreen:configfile=") + config);
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {testCase});
        const bool finished = child.waitForFinished(60000);
        if (!finished) {
            child.kill();
            child.waitForFinished(5000);
        }
        const QByteArray output = child.readAll();
        QVERIFY2(finished, ("no result within 60 s:\n" + output).constData());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 output.constData());
    }

private slots:
    void cleanup() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<HelpWindow*>(window) || qobject_cast<AboutBox*>(window)) {
                window->close();
            }
        }
        QCoreApplication::processEvents();
    }

    void loadFillsTheListWithoutChoosingAnEntry() {
        BoardHarness h;
        QVERIFY(h.form.Form_Load());
        QCOMPARE(h.form.ModelCombo->count(), 28);
        for (int i = 0; i < 28; ++i) {
            QCOMPARE(h.form.ModelCombo->itemText(i), CatalogueDisplayTexts().at(i));
        }
        QCOMPARE(h.form.ModelCombo->currentIndex(), -1);
        QCOMPARE(h.form.ModelCombo->currentText(), QStringLiteral("Choose KTN Model"));
        QCOMPARE(h.form.ModelComboListIndex(), int16_t(-1));
        QCOMPARE(h.form.PortAddress, 0);
        // No selection handler ran: the model-specific controls are still hidden.
        QVERIFY(h.form.Label5->isHidden());
        QVERIFY(h.form.Check2->isHidden());
        QVERIFY(h.form.SerialFrame->isHidden());
        QVERIFY(h.port.Log().empty());
    }

    void loadTakesThePortAddressFromTheBox() {
        BoardHarness h;
        h.form.AddText->setText(QStringLiteral(" 3bc "));
        QVERIFY(h.form.Form_Load());
        QCOMPARE(h.form.PortAddress, 956);
    }

    void loadFailureShowsTheReasonAndStops() {
        BoardHarness h;
        h.form.AddText->setText(QStringLiteral("zz"));
        QVERIFY(!h.form.Form_Load());
        QCOMPARE(h.notifier.messages.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(h.notifier.messages[0]).contains(QStringLiteral("zz")));
        QCOMPARE(h.form.ModelCombo->count(), 0);
    }

    void placementCentresAndKeepsATopThird_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("fits") << QSize(1280, 1024) << QSize(666, 623) << QPoint(307, 133);
        QTest::newRow("odd sizes") << QSize(1025, 769) << QSize(666, 623) << QPoint(179, 48);
        QTest::newRow("larger than the screen")
            << QSize(640, 480) << QSize(666, 623) << QPoint(-13, -47);
    }

    void placementCentresAndKeepsATopThird() {
        QFETCH(QSize, screen);
        QFETCH(QSize, window);
        QFETCH(QPoint, position);
        QCOMPARE(StartupPosition(screen, window), position);
    }

    // On screen, the outer frame (not the client area) sits where the rule
    // puts it for the outer size, also when the window is larger than the
    // screen. A screen of another size is set up in a run of this test program
    // of its own.
    void shownWindowIsPlacedByItsOuterSize_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("frame");
        QTest::newRow("the test screen") << QSize() << QPoint();
        // The offscreen platform's frame has 2 px margins: 670 x 627 outside.
        QTest::newRow("600 x 500") << QSize(600, 500) << QPoint(-35, -42);
    }

    void shownWindowIsPlacedByItsOuterSize() {
        QFETCH(QSize, screen);
        QFETCH(QPoint, frame);
        const QSize current = QGuiApplication::primaryScreen()->geometry().size();
        if (screen.isValid() && screen != current) {
            RunOnScreen(screen, QStringLiteral("shownWindowIsPlacedByItsOuterSize:") +
                                    QString::fromLatin1(QTest::currentDataTag()));
            return;
        }
        BoardHarness h;
        h.Start();
        const QRect outer = h.form.frameGeometry();
        QCOMPARE(outer.topLeft(), StartupPosition(current, outer.size()));
        if (!frame.isNull()) {
            QCOMPARE(outer.topLeft(), frame);
        }
    }

    void firstShowingActivatesOnce() {
        BoardHarness h;
        h.Start();
        QCOMPARE(h.form.ActivationCount(), 1);
        Activate(&h.form);
        QCOMPARE(h.form.ActivationCount(), 1);
    }

    void returningFromTheHelpWindowActivatesAgain() {
        BoardHarness h;
        h.SaveAddress(QStringLiteral("378"));
        h.Start();
        h.form.LeOption[3]->click();
        h.form.LeMemory[4] = -7.0f;

        h.Click(h.form.Command2);
        HelpWindow* help = HelpWindow::Instance();
        QVERIFY(help);
        Activate(help);
        QCOMPARE(h.form.ActivationCount(), 1);

        Activate(&h.form);
        QCOMPARE(h.form.ActivationCount(), 2);
        // The activation cleared the values remembered per LE line and the port
        // again; the option buttons keep their selection and the next Load goes
        // to the line they show. The list is not filled twice.
        QCOMPARE(h.form.LeIndex, int16_t(4));
        QCOMPARE(h.form.LeMemory[4], 0.0f);
        QVERIFY(h.form.LeOption[3]->isChecked());
        QCOMPARE(h.form.ModelCombo->count(), 28);
        QCOMPARE(h.port.WritesTo(BoardHarness::kControl), std::vector<int>{0});
        QCOMPARE(h.DataWrites(), std::vector<int>{0});

        // Coming back again with nothing else of the program active in between
        // does not count.
        Activate(&h.form);
        QCOMPARE(h.form.ActivationCount(), 2);

        // A Load now latches on the LE line shown (LE4 is D5), not on LE1.
        h.port.ClearLog();
        h.Click(h.form.Command1);
        const std::vector<int> writes = h.DataWrites();
        QCOMPARE(writes.size(), std::size_t{20});
        QCOMPARE(writes[18], 32);
    }

    void returningFromTheAboutBoxActivatesAgain() {
        BoardHarness h;
        h.Start();
        h.form.Command3_Click();
        AboutBox* about = AboutBox::Instance();
        QVERIFY(about);
        Activate(about);
        about->close();
        Activate(&h.form);
        QCOMPARE(h.form.ActivationCount(), 2);
    }

    void closingAMessageBoxDoesNotActivateAgain() {
        BoardHarness h;
        h.Start();
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Digital Step Attenuator"),
                        QStringLiteral(" Please Select Model"), QMessageBox::Ok, &h.form);
        box.show();
        Activate(&box);
        box.close();
        Activate(&h.form);
        QCOMPARE(h.form.ActivationCount(), 1);
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
