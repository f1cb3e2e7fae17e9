// The working panel on a simulated board: step buttons, the running display,
// Load over the serial and the parallel interface, Auto Load and the LE lines,
// checked by the bytes that reach the printer port.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScopeGuard>
#include <QtTest>

#include "BoardHarness.h"
#include "PanelExpectations.h"
#include "core/ModelProfile.h"
#include "window/Caption.h"
#include "window/CheckValue.h"

using namespace PanelExpect;

namespace {

constexpr int kSerialLoadWrites = 20;
constexpr int kParallelLoadWrites = 3;

// Starts the window on a board at 378.
void StartOnBoard(BoardHarness& h) {
    h.SaveAddress(QStringLiteral("378"));
    h.Start();
}

void ClickSteps(BoardHarness& h, const QList<int>& members) {
    for (int member : members) {
        h.ClickStep(member);
    }
}

} // namespace

class PanelTransfersTest : public QObject {
    Q_OBJECT

private slots:
    void captionCountsAsOn_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("on");
        QTest::newRow("On") << "On" << true;
        QTest::newRow("ON") << "ON" << true;
        QTest::newRow("oN") << "oN" << true;
        QTest::newRow("Off") << "Off" << false;
        QTest::newRow("On with blank") << "On " << false;
        QTest::newRow("O") << "O" << false;
        QTest::newRow("empty") << "" << false;
    }
    void captionCountsAsOn() {
        QFETCH(QString, caption);
        QTEST(CaptionCountsAsOn(caption), "on");
    }

    void serialLoadLatchesTheChosenLine_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<int>("le");
        QTest::addColumn<QString>("display");
        QTest::newRow("1, 2, 4 dB on LE3") << 4 << QList<int>{1, 2, 3} << 3 << "-7";
        QTest::newRow("0.5 dB alone on LE6") << 4 << QList<int>{0} << 6 << "-0.5";
        QTest::newRow("16 dB first out, LE1") << 27 << QList<int>{5} << 1 << "-16";
        QTest::newRow("nothing on, LE2") << 0 << QList<int>{} << 2 << "0";
        QTest::newRow("15.5 dB model full, LE5") << 0 << QList<int>{0, 1, 2, 3, 4} << 5 << "-15.5";
    }

    void serialLoadLatchesTheChosenLine() {
        QFETCH(int, position);
        QFETCH(QList<int>, members);
        QFETCH(int, le);
        QFETCH(QString, display);

        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(position);
        QTest::mouseClick(h.form.LeOption[static_cast<size_t>(le - 1)], Qt::LeftButton);
        QCOMPARE(int{h.form.LeIndex}, le);
        ClickSteps(h, members);
        QCOMPARE(h.form.Label2->text(), display);
        h.port.ClearLog();

        h.Click(h.form.Command1);

        const int steps = StepsOf(members);
        QCOMPARE(WritesText(h.DataWrites()), WritesText(SerialWrites(steps, le)));
        QCOMPARE(h.port.Register(BoardHarness::kData), uint8_t{0});
        const BoardDecoder::Latched& device = h.port.Decoder().SerialDevice(le);
        QCOMPARE(device.loads, 1);
        QCOMPARE(int{device.value}, SerialDeviceValue(steps));
        for (int other = 1; other <= 6; ++other) {
            if (other != le) {
                QCOMPARE(h.port.Decoder().SerialDevice(other).loads, 0);
            }
        }
        QCOMPARE(h.form.LeMemory[static_cast<size_t>(le)], display.toFloat());
        QVERIFY(h.notifier.messages.empty());
    }

    void leLinesShowTheValueLoadedThroughThem() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        QTest::mouseClick(h.form.LeOption[2], Qt::LeftButton);
        QCOMPARE(Caption(h.form.leLabel8), QStringLiteral("LE select:3"));
        ClickSteps(h, {1, 2, 3});
        h.Click(h.form.Command1);
        QCOMPARE(h.form.LeMemory[3], -7.0f);
        h.port.ClearLog();

        QTest::mouseClick(h.form.LeOption[0], Qt::LeftButton);
        QCOMPARE(h.form.LeIndex, int16_t{1});
        QCOMPARE(h.form.Label2->text(), QStringLiteral("0"));
        QCOMPARE(Caption(h.form.leLabel8), QStringLiteral("LE select:1"));
        // Choosing a line shows its value; the buttons stay as they were.
        QCOMPARE(h.form.SScommand[1]->text(), QStringLiteral("On"));
        QCOMPARE(h.form.SScommand[3]->text(), QStringLiteral("On"));

        QTest::mouseClick(h.form.LeOption[2], Qt::LeftButton);
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-7"));
        QCOMPARE(Caption(h.form.leLabel8), QStringLiteral("LE select:3"));
        QVERIFY(h.DataWrites().empty());

        // A click goes on from the shown value: -7 with the 0.5 dB step gives -7.5,
        // and Load records that for LE3.
        h.ClickStep(0);
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-7.5"));
        h.Click(h.form.Command1);
        QCOMPARE(h.form.LeMemory[3], -7.5f);
        QCOMPARE(h.form.LeMemory[1], 0.0f);

        // A Load that latches nothing (a register address is no port) leaves
        // the line's value as it was.
        h.ClickStep(4);
        h.form.PortAddress = BoardHarness::kControl;
        h.Click(h.form.Command1);
        QCOMPARE(h.form.LeMemory[3], -7.5f);
        QCOMPARE(h.port.Decoder().SerialDevice(3).loads, 2);
    }

    void cascadedModelDoublesEveryWeight() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(25);
        const QStringList doubled = {"1", "2", "4", "8", "16", "32", "0.25"};
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(h.form.SSLabel[static_cast<size_t>(i)]->text(), doubled[i]);
        }

        h.ClickStep(5);
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-32"));
        h.ClickStep(5);
        QCOMPARE(h.form.Label2->text(), QStringLiteral("0"));
        ClickSteps(h, {0, 1, 2, 3, 4, 5});
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-63"));
        h.port.ClearLog();
        h.Click(h.form.Command1);
        QCOMPARE(WritesText(h.DataWrites()), WritesText(ParallelWrites(Steps({0, 1, 2, 3, 4, 5}))));

        h.ChooseModel(4);
        const QStringList standard = {"0.5", "1", "2", "4", "8", "16", "0.25"};
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(h.form.SSLabel[static_cast<size_t>(i)]->text(), standard[i]);
        }
        QCOMPARE(h.form.Label2->text(), QStringLiteral("0"));
        h.ClickStep(5);
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-16"));
    }

    void seventhStepGoesOutOnD7() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        h.ChooseModel(24);
        const ModelProfile* row = FindModel(QStringLiteral("VK58-Q7-P1"));
        QVERIFY(row);
        QCOMPARE(Caption(h.form.Label5), row->line1);
        QCOMPARE(Caption(h.form.Label6), row->line2);
        QVERIFY(h.form.Label5->isVisible());
        QVERIFY(h.form.SScommand[6]->isVisible());
        QVERIFY(!h.form.LeFrame->isVisible());

        h.ClickStep(6);
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-0.25"));
        ClickSteps(h, {0, 1, 2, 3, 4, 5});
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-31.75"));
        const LeMemoryTable before = h.form.LeMemory;
        h.port.ClearLog();

        h.Click(h.form.Command1);

        QCOMPARE(WritesText(h.DataWrites()), QStringLiteral("191,255,191"));
        QCOMPARE(h.port.Register(BoardHarness::kData), uint8_t{191});
        QCOMPARE(int{h.port.Decoder().ParallelDevice().value}, 191);
        QCOMPARE(h.port.Decoder().ParallelDevice().loads, 1);
        // The parallel transfer addresses no LE line and records nothing.
        QVERIFY(h.form.LeMemory == before);
    }

    void parallelWordPerButton_data() {
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<QString>("writes");
        QTest::newRow("none") << QList<int>{} << "0,64,0";
        QTest::newRow("0.25 dB only") << QList<int>{6} << "128,192,128";
        QTest::newRow("16 dB only") << QList<int>{5} << "32,96,32";
        QTest::newRow("0.5 and 8 dB") << QList<int>{0, 4} << "17,81,17";
    }

    void parallelWordPerButton() {
        QFETCH(QList<int>, members);
        QFETCH(QString, writes);
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(24);
        ClickSteps(h, members);
        h.port.ClearLog();
        h.Click(h.form.Command1);
        QCOMPARE(WritesText(h.DataWrites()), writes);
    }

    void autoLoadSendsEveryClickOnce() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        QTest::mouseClick(h.form.Check2, Qt::LeftButton);
        QCOMPARE(CheckValue(h.form.Check2), int16_t{1});
        QVERIFY(!h.form.Command1->isEnabled());
        h.port.ClearLog();

        // Each click sends the new word once; the value recorded for the line is
        // the display after the click, so the display was updated first.
        h.ClickStep(0);
        QCOMPARE(WritesText(h.DataWrites()), WritesText(SerialWrites(Steps({0}), 1)));
        QCOMPARE(h.form.LeMemory[1], -0.5f);
        h.ClickStep(3);
        QCOMPARE(WritesText(h.DataWrites()),
                 WritesText(Concat({SerialWrites(Steps({0}), 1), SerialWrites(Steps({0, 3}), 1)})));
        QCOMPARE(h.form.LeMemory[1], -4.5f);
        QCOMPARE(int{h.port.Decoder().SerialDevice(1).value}, Steps({0, 3}));

        // The disabled Load button takes no click.
        h.port.ClearLog();
        h.Click(h.form.Command1);
        QVERIFY(h.DataWrites().empty());

        QTest::mouseClick(h.form.Check2, Qt::LeftButton);
        QCOMPARE(CheckValue(h.form.Check2), int16_t{0});
        QVERIFY(h.form.Command1->isEnabled());
        h.ClickStep(1);
        QVERIFY(h.DataWrites().empty());
        h.Click(h.form.Command1);
        QCOMPARE(static_cast<int>(h.DataWrites().size()), kSerialLoadWrites);
    }

    void autoLoadOutlivesAModelChange() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        QTest::mouseClick(h.form.Check2, Qt::LeftButton);
        h.port.ClearLog();

        // A selection sends only its zero, even with Auto Load on.
        h.ChooseModel(24);
        QCOMPARE(WritesText(h.DataWrites()), QStringLiteral("0"));
        QCOMPARE(CheckValue(h.form.Check2), int16_t{1});
        QVERIFY(!h.form.Command1->isEnabled());

        h.port.ClearLog();
        ClickSteps(h, {6, 5});
        QCOMPARE(static_cast<int>(h.DataWrites().size()), 2 * kParallelLoadWrites);
        QCOMPARE(WritesText(h.DataWrites()),
                 WritesText(Concat({ParallelWrites(Steps({6})), ParallelWrites(Steps({5, 6}))})));
    }

    void commaLocaleKeepsTheFractions() {
        // The user's decimal comma: the display, the value recorded for a line
        // and the value shown again must all keep their fractions.
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto restore = qScopeGuard([previous] { QLocale::setDefault(previous); });
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        QCOMPARE(h.form.SSLabel[0]->text(), QStringLiteral("0,5"));
        QTest::mouseClick(h.form.LeOption[1], Qt::LeftButton);
        ClickSteps(h, {0, 3});
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-4,5"));
        h.Click(h.form.Command1);
        QCOMPARE(h.form.LeMemory[2], -4.5f);

        QTest::mouseClick(h.form.LeOption[0], Qt::LeftButton);
        QTest::mouseClick(h.form.LeOption[1], Qt::LeftButton);
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-4,5"));
        h.ClickStep(0);
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-4"));
    }

    void loadRefusesABlankModelText() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        h.ClickStep(1);
        h.TypeModelText(QStringLiteral("   "));
        h.port.ClearLog();

        h.Click(h.form.Command1);

        QCOMPARE(h.notifier.messages.size(), size_t{1});
        QCOMPARE(QString::fromStdString(h.notifier.messages.front()),
                 QStringLiteral(" Please Select Model"));
        QVERIFY(h.port.Log().empty());
        QCOMPARE(h.form.LeMemory[1], 0.0f);
    }

    void loadBeforeAnyModelGoesOutSerially() {
        BoardHarness h;
        StartOnBoard(h);
        h.ClickStep(2);
        h.Click(h.form.Command1);
        QCOMPARE(WritesText(h.DataWrites()), WritesText(SerialWrites(Steps({2}), 1)));
        QVERIFY(h.notifier.messages.empty());
    }
};

QTEST_MAIN(PanelTransfersTest)
#include "test_panel_transfers.moc"
