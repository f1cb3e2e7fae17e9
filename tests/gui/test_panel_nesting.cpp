// User actions that run nested inside a running handler: a step click queued
// before a model selection, and a Load that arrives while a transfer waits on a
// message box. Neither may leave stale state or mix bytes on the port.

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include "BoardHarness.h"
#include "PanelExpectations.h"
#include "core/Board.h"

using namespace PanelExpect;

namespace {

// The window on a board at 378 whose notifier lets a test act while a message
// is on screen.
struct NotifiedBoard {
    NotifiedBoard() { WriteAddressFile(QStringLiteral("378")); }

    void Start() {
        QVERIFY(form.Form_Load());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(form.ActivationCount() >= 1);
    }

    std::vector<int> DataWrites() const { return port.WritesTo(BoardHarness::kData); }

    ScopedWorkingFolder folder;
    SimulatedBoard port{BoardHarness::kData};
    CallbackNotifier notifier;
    Board module{port, notifier};
    DigitalStepAttenuatorForm form{module, &notifier};
};

enum class QueuedBy { ClickSlot, MouseEvents };

// Queues a click on `button` that runs the next time events are processed.
void QueueClick(QPushButton* button, QueuedBy how) {
    if (how == QueuedBy::ClickSlot) {
        QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
        return;
    }
    const QPointF centre = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(centre);
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

void VerifyReset(const DigitalStepAttenuatorForm& form) {
    for (const QPushButton* step : form.SScommand) {
        QCOMPARE(step->text(), QStringLiteral("Off"));
    }
    QCOMPARE(form.Label2->text(), QStringLiteral("0"));
}

} // namespace

Q_DECLARE_METATYPE(QueuedBy)

class PanelNestingTest : public QObject {
    Q_OBJECT

private slots:
    void queuedStepClickRunsInsideTheSelection_data() {
        QTest::addColumn<QueuedBy>("how");
        QTest::newRow("click slot") << QueuedBy::ClickSlot;
        QTest::newRow("mouse press and release") << QueuedBy::MouseEvents;
    }

    void queuedStepClickRunsInsideTheSelection() {
        QFETCH(QueuedBy, how);
        BoardHarness h;
        h.SaveAddress(QStringLiteral("378"));
        h.Start();
        h.ChooseModel(0);
        QSignalSpy clicks(h.form.SScommand[1], &QPushButton::clicked);

        QueueClick(h.form.SScommand[1], how);
        h.ChooseModel(4);

        // The click ran at the layout's processing point, before the selection
        // reset the steps, so nothing of it is left afterwards.
        QCOMPARE(clicks.count(), 1);
        VerifyReset(h.form);
        QCoreApplication::processEvents();
        QCOMPARE(clicks.count(), 1);
        VerifyReset(h.form);
    }

    void queuedAutoLoadClickIsSentBeforeTheSelectionsZero() {
        BoardHarness h;
        h.SaveAddress(QStringLiteral("378"));
        h.Start();
        h.ChooseModel(0);
        QTest::mouseClick(h.form.Check2, Qt::LeftButton);
        h.port.ClearLog();

        QueueClick(h.form.SScommand[1], QueuedBy::ClickSlot);
        h.ChooseModel(4);

        // The nested click loaded its word with the value it showed; then the
        // selection cleared the lines.
        QCOMPARE(WritesText(h.DataWrites()),
                 WritesText(Concat({SerialWrites(Steps({1}), 1), {0}})));
        QCOMPARE(h.form.LeMemory[1], -1.0f);
        QCOMPARE(h.port.Register(BoardHarness::kData), uint8_t{0});
        VerifyReset(h.form);
    }

    void loadDuringAMessageRunsAfterTheTransfer() {
        NotifiedBoard b;
        b.Start();
        b.form.ModelCombo->setCurrentIndex(4);
        emit b.form.ModelCombo->activated(4);
        QTest::mouseClick(b.form.LeOption[2], Qt::LeftButton);
        for (int member : {1, 2, 3}) {
            QTest::mouseClick(b.form.SScommand[static_cast<size_t>(member)], Qt::LeftButton);
        }
        int nestedLoads = 0;
        b.notifier.onMessage = [&](const std::string&) {
            if (nestedLoads++ == 0) {
                b.form.Command1_Click();
            }
        };
        b.port.FaultsOf(BoardHarness::kData).readErrors = 1;
        b.port.ClearLog();

        QTest::mouseClick(b.form.Command1, Qt::LeftButton);

        // The first data write is read back with an error and written again;
        // the second Load follows the whole first transfer.
        QCOMPARE(nestedLoads, 1);
        QCOMPARE(b.notifier.messages.size(), size_t{1});
        QCOMPARE(QString::fromStdString(b.notifier.messages.front()),
                 QStringLiteral("Error reading From:888"));
        const int steps = Steps({1, 2, 3});
        QCOMPARE(WritesText(b.DataWrites()),
                 WritesText(Concat({{0}, SerialWrites(steps, 3), SerialWrites(steps, 3)})));
        QCOMPARE(b.port.Decoder().SerialDevice(3).loads, 2);
        QCOMPARE(b.form.LeMemory[3], -7.0f);
    }

    void stepClickDuringAMessageIsLoadedAfterTheTransfer() {
        NotifiedBoard b;
        b.Start();
        b.form.ModelCombo->setCurrentIndex(4);
        emit b.form.ModelCombo->activated(4);
        QTest::mouseClick(b.form.Check2, Qt::LeftButton);
        b.notifier.onMessage = [&](const std::string&) { b.form.SScommand_Click(3); };
        b.port.FaultsOf(BoardHarness::kData).readErrors = 1;
        b.port.ClearLog();

        QTest::mouseClick(b.form.SScommand[1], Qt::LeftButton);

        // The transfer under way finishes with the word it started with; the
        // Load of the nested click then brings the board up to date.
        QCOMPARE(b.form.Label2->text(), QStringLiteral("-5"));
        QCOMPARE(
            WritesText(b.DataWrites()),
            WritesText(Concat({{0}, SerialWrites(Steps({1}), 1), SerialWrites(Steps({1, 3}), 1)})));
        QCOMPARE(int{b.port.Decoder().SerialDevice(1).value}, Steps({1, 3}));
        QCOMPARE(b.form.LeMemory[1], -5.0f);
    }
};

QTEST_MAIN(PanelNestingTest)
#include "test_panel_nesting.moc"
