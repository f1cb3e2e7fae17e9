// Choosing and typing a model in the working window: the reset of the steps and
// the port, the step layouts, the serial and parallel panels, texts typed by
// hand and the hidden interface pair.

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "BoardHarness.h"
#include "PanelExpectations.h"
#include "window/Caption.h"
#include "window/CheckValue.h"
#include "window/LineControl.h"
#include "window/Twips.h"
#include "core/Catalogue.h"
#include "core/ModelProfile.h"

using namespace PanelExpect;

namespace {

void StartOnBoard(BoardHarness& h) {
    h.SaveAddress(QStringLiteral("378"));
    h.Start();
}

const ModelProfile& RowOf(const char* key) {
    const ModelProfile* row = FindModel(QString::fromLatin1(key));
    Q_ASSERT(row);
    return *row;
}

// Which of the outer steps a layout leaves on screen.
struct OuterSteps {
    bool step05;
    bool step16;
    bool step025;
};

OuterSteps ShownOuterSteps(const DigitalStepAttenuatorForm& form) {
    return {form.SScommand[0]->isVisible(), form.SScommand[5]->isVisible(),
            form.SScommand[6]->isVisible()};
}

// Every element of an outer step (button, weight label, leader, run) follows
// its button; the inner steps are always on screen.
void VerifyStepRowConsistent(const DigitalStepAttenuatorForm& form) {
    const OuterSteps shown = ShownOuterSteps(form);
    QCOMPARE(form.SSLabel[0]->isVisible(), shown.step05);
    QCOMPARE(form.Line1[0]->isVisible(), shown.step05);
    QCOMPARE(form.Line2[0]->isVisible(), shown.step05);
    QCOMPARE(form.SSLabel[5]->isVisible(), shown.step16);
    QCOMPARE(form.Line1[5]->isVisible(), shown.step16);
    QCOMPARE(form.Line2[1]->isVisible(), shown.step16);
    QCOMPARE(form.SSLabel[6]->isVisible(), shown.step025);
    QCOMPARE(form.Line1[6]->isVisible(), shown.step025);
    QCOMPARE(form.Line2[2]->isVisible(), shown.step025);
    for (size_t inner = 1; inner <= 4; ++inner) {
        QVERIFY(form.SScommand[inner]->isVisible());
        QVERIFY(form.SSLabel[inner]->isVisible());
        QVERIFY(form.Line1[inner]->isVisible());
    }
}

void VerifyAllOff(const DigitalStepAttenuatorForm& form) {
    for (const QPushButton* step : form.SScommand) {
        QCOMPARE(step->text(), QStringLiteral("Off"));
    }
    QCOMPARE(form.Label2->text(), QStringLiteral("0"));
}

void VerifySerialPanels(const DigitalStepAttenuatorForm& form) {
    QCOMPARE(CheckValue(form.Check1[0]), int16_t{0});
    QCOMPARE(CheckValue(form.Check1[1]), int16_t{1});
    QVERIFY(form.SerialFrame->isVisible());
    QCOMPARE(form.SerialFrame->pos(), Twips::Point(100, 4500));
    QVERIFY(!form.ParallelFrame->isVisible());
    QVERIFY(form.LeFrame->isVisible());
    QVERIFY(form.leLabel8->isVisible());
}

void VerifyParallelPanels(const DigitalStepAttenuatorForm& form) {
    QCOMPARE(CheckValue(form.Check1[0]), int16_t{1});
    QCOMPARE(CheckValue(form.Check1[1]), int16_t{0});
    QVERIFY(form.ParallelFrame->isVisible());
    QCOMPARE(form.ParallelFrame->pos(), Twips::Point(100, 4500));
    QVERIFY(!form.SerialFrame->isVisible());
    QVERIFY(!form.LeFrame->isVisible());
    QVERIFY(!form.leLabel8->isVisible());
}

} // namespace

class PanelSelectionTest : public QObject {
    Q_OBJECT

private slots:
    void selectionResetsEveryStepAndThePort() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(24);
        h.ClickStep(6);
        h.ClickStep(0);
        h.Click(h.form.Command1);
        QCOMPARE(h.port.Register(BoardHarness::kData), uint8_t{129});
        h.port.ClearLog();

        h.ChooseModel(4);

        // The 0.25 dB step is set "Off" as well, and then hidden.
        VerifyAllOff(h.form);
        QVERIFY(!h.form.SScommand[6]->isVisible());
        QCOMPARE(WritesText(h.DataWrites()), QStringLiteral("0"));
        QCOMPARE(h.port.Register(BoardHarness::kData), uint8_t{0});

        // The same entry again repeats the whole selection.
        h.ClickStep(2);
        h.ChooseModel(4);
        VerifyAllOff(h.form);
        QCOMPARE(WritesText(h.DataWrites()), QStringLiteral("0,0"));
        QVERIFY(h.notifier.messages.empty());
    }

    void choosingFromTheOpenListRunsTheSelectionOnce() {
        BoardHarness h;
        StartOnBoard(h);
        h.port.ClearLog();
        QComboBox* combo = h.form.ModelCombo;
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        QTRY_VERIFY(list->isVisible());
        const QModelIndex entry = list->model()->index(24, 0);
        list->scrollTo(entry);
        const QPoint centre = list->visualRect(entry).center();
        QTest::mouseMove(list->viewport(), centre);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);

        QTRY_VERIFY(!list->isVisible());
        QCOMPARE(combo->currentText(), CatalogueDisplayTexts().at(24));
        QCOMPARE(int{h.form.ModelComboListIndex()}, 24);
        QCOMPARE(WritesText(h.DataWrites()), QStringLiteral("0"));
        VerifyParallelPanels(h.form);
        QVERIFY(h.form.SScommand[6]->isVisible());
    }

    void layoutShowsTheModelsSteps_data() {
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("step05");
        QTest::addColumn<bool>("step16");
        QTest::addColumn<bool>("step025");
        QTest::newRow("no 16 dB after the seventh step") << 24 << 0 << true << false << false;
        QTest::newRow("no 0.5 dB after all steps") << 4 << 2 << false << true << false;
        QTest::newRow("all after no 0.5 dB") << 2 << 4 << true << true << false;
        QTest::newRow("no 16 dB after no 0.5 dB") << 2 << 0 << true << false << false;
        QTest::newRow("all after no 16 dB") << 0 << 26 << true << true << false;
        QTest::newRow("seventh step after no 0.5 dB") << 20 << 24 << true << true << true;
        QTest::newRow("parallel no 0.5 dB after seventh") << 24 << 15 << false << true << false;
    }

    void layoutShowsTheModelsSteps() {
        QFETCH(int, previous);
        QFETCH(int, position);
        QFETCH(bool, step05);
        QFETCH(bool, step16);
        QFETCH(bool, step025);
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(previous);
        h.ChooseModel(position);
        const OuterSteps shown = ShownOuterSteps(h.form);
        QCOMPARE(shown.step05, step05);
        QCOMPARE(shown.step16, step16);
        QCOMPARE(shown.step025, step025);
        VerifyStepRowConsistent(h.form);
    }

    void hiddenStepKeepsItsCaptionUntilTheNextSelection() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        h.ClickStep(0);
        // Typing the key of a 31 dB model hides the 0.5 dB step; the selection
        // itself then sets every caption "Off", hidden or not.
        h.TypeModelText(QStringLiteral("VK58-Q3-S1;"));
        QVERIFY(!h.form.SScommand[0]->isVisible());
        QCOMPARE(h.form.SScommand[0]->text(), QStringLiteral("Off"));
    }

    void descriptionLinesShowTheRow() {
        BoardHarness h;
        StartOnBoard(h);
        QVERIFY(!h.form.Label5->isVisible());
        h.ChooseModel(6);
        const ModelProfile& row = RowOf("VK58-Q1-S2");
        QVERIFY(h.form.Label5->isVisible());
        QVERIFY(h.form.Label6->isVisible());
        QCOMPARE(Caption(h.form.Label5), row.line1);
        QCOMPARE(Caption(h.form.Label6), row.line2);
        QVERIFY(row.line2.contains(QStringLiteral("&&")));
        QCOMPARE(h.form.Label6->text(),
                 QStringLiteral("5 bit Serial Data Interface , Dual Supply Voltage :Positive "
                                "(+3V) & Negative (-3V)"));

        h.ChooseModel(27);
        QCOMPARE(h.form.Label5->text(), RowOf("GMX2-20").line1);
        QCOMPARE(h.form.Label6->text(),
                 QStringLiteral("Step 0.5 dB.  6 Bit Serial Interface, Supply Voltage: +5V."));
    }

    void interfacePanelsFollowTheEntry() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        VerifySerialPanels(h.form);
        QTest::mouseClick(h.form.LeOption[4], Qt::LeftButton);
        QCOMPARE(int{h.form.LeIndex}, 5);

        h.ChooseModel(16);
        VerifyParallelPanels(h.form);
        QVERIFY(h.form.Check2->isVisible());
        QCOMPARE(h.form.Check2->text(), QStringLiteral("Auto Load"));
        QVERIFY(!h.form.Check1[0]->isVisible());
        QVERIFY(!h.form.Check1[1]->isVisible());
        QVERIFY(!h.form.Check3->isVisible());

        h.ChooseModel(27);
        VerifySerialPanels(h.form);
        // The LE line chosen before the parallel model is still the one in use.
        QVERIFY(h.form.LeOption[4]->isChecked());
        QCOMPARE(int{h.form.LeIndex}, 5);
        QCOMPARE(Caption(h.form.leLabel8), QStringLiteral("LE select:5"));
        h.port.ClearLog();
        h.Click(h.form.Command1);
        QCOMPARE(WritesText(h.DataWrites()), WritesText(SerialWrites(0, 5)));
    }

    // A typed key that is exactly a catalogue key drives the board with that
    // entry's interface, though no list entry is chosen.
    void typedKnownKeyRunsTheSelectionInItsInterface() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        h.ClickStep(1);
        h.port.ClearLog();

        h.TypeModelText(QStringLiteral("VK58-Q5-P1;"));

        // Only the keystroke that completes the ";" runs a selection.
        QCOMPARE(WritesText(h.DataWrites()), QStringLiteral("0"));
        QCOMPARE(int{h.form.ModelComboListIndex()}, -1);
        VerifyParallelPanels(h.form);
        const ModelProfile& row = RowOf("VK58-Q5-P1");
        QCOMPARE(Caption(h.form.Label5), row.line1);
        QCOMPARE(Caption(h.form.Label6), row.line2);
        QCOMPARE(ShownOuterSteps(h.form).step16, true);
        VerifyStepRowConsistent(h.form);
        VerifyAllOff(h.form);

        h.ClickStep(5);
        h.port.ClearLog();
        h.Click(h.form.Command1);
        QCOMPARE(WritesText(h.DataWrites()), WritesText(ParallelWrites(Steps({5}))));

        // And a serial key typed after it goes back to serial.
        h.TypeModelText(QStringLiteral("VK58-Q3-S2;"));
        VerifySerialPanels(h.form);
    }

    void typedEntryTextStaysATypedText() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        QLineEdit* edit = h.form.ModelCombo->lineEdit();
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());

        // The whole text of a parallel entry, typed by hand, is still a typed
        // text: no list entry is chosen; its key gives the parallel interface.
        h.TypeModelText(CatalogueDisplayTexts().at(16));
        VerifyParallelPanels(h.form);
        h.ClickStep(1);
        h.ClickStep(3);
        h.form.AddText->setFocus();
        QCoreApplication::processEvents();
        h.port.ClearLog();

        // Leaving the box neither chooses the entry nor resets the steps.
        QCOMPARE(int{h.form.ModelComboListIndex()}, -1);
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-5"));
        QCOMPARE(h.form.SScommand[3]->text(), QStringLiteral("On"));
        VerifyParallelPanels(h.form);
        h.Click(h.form.Command1);
        QCOMPARE(WritesText(h.DataWrites()), WritesText(ParallelWrites(Steps({1, 3}))));
    }

    // Editing the text of a chosen parallel entry keeps its interface while
    // the key stays whole.
    void editedParallelEntryStaysParallel() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(13);
        QLineEdit* edit = h.form.ModelCombo->lineEdit();
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, QStringLiteral(" rev B"));
        QCOMPARE(int{h.form.ModelComboListIndex()}, -1);
        VerifyParallelPanels(h.form);
        h.ClickStep(2);
        h.port.ClearLog();
        h.Click(h.form.Command1);
        QCOMPARE(WritesText(h.DataWrites()), WritesText(ParallelWrites(Steps({2}))));
    }

    void arrowKeyChoosesTheNextEntry() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(11);
        h.ClickStep(0);
        h.port.ClearLog();

        QTest::keyClick(h.form.ModelCombo, Qt::Key_Down);

        QCOMPARE(int{h.form.ModelComboListIndex()}, 12);
        QCOMPARE(h.form.ModelCombo->currentText(), CatalogueDisplayTexts().at(12));
        VerifyParallelPanels(h.form);
        VerifyAllOff(h.form);
        QCOMPARE(WritesText(h.DataWrites()), QStringLiteral("0"));
    }

    void textWithoutSemicolonChangesNothing() {
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(4);
        h.ClickStep(1);
        h.ClickStep(3);
        const QString line1 = Caption(h.form.Label5);
        h.port.ClearLog();

        h.TypeModelText(QStringLiteral("VK58-Q3-S1"));

        QVERIFY(h.port.Log().empty());
        QCOMPARE(h.form.Label2->text(), QStringLiteral("-5"));
        QCOMPARE(h.form.SScommand[1]->text(), QStringLiteral("On"));
        QCOMPARE(h.form.SScommand[3]->text(), QStringLiteral("On"));
        QCOMPARE(Caption(h.form.Label5), line1);
        QVERIFY(h.form.SScommand[0]->isVisible());
        QCOMPARE(int{h.form.ModelComboListIndex()}, -1);
    }

    void textMatchingNoRowResetsButKeepsTheModel_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("seventh");
        QTest::newRow("wrong case") << "vk58-q3-s1;" << false;
        QTest::newRow("empty key") << ";VK58-Q3-S1" << false;
        QTest::newRow("blank before the semicolon") << "VK58-Q3-S1 ;" << false;
        QTest::newRow("seventh step named after the key") << "X; VK58-Q7" << true;
    }

    void textMatchingNoRowResetsButKeepsTheModel() {
        QFETCH(QString, text);
        QFETCH(bool, seventh);
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(17);
        h.ClickStep(0);
        h.port.ClearLog();

        h.TypeModelText(text);

        // The reset and the zero write run; the lines and the layout of the
        // last model stay (a 31 dB row would have hidden the 0.5 dB step).
        const ModelProfile& previous = RowOf("VK58-Q6-P1");
        QCOMPARE(Caption(h.form.Label5), previous.line1);
        QCOMPARE(Caption(h.form.Label6), previous.line2);
        QVERIFY(h.form.SScommand[0]->isVisible());
        QVERIFY(h.form.SScommand[5]->isVisible());
        QCOMPARE(h.form.SScommand[6]->isVisible(), seventh);
        VerifyStepRowConsistent(h.form);
        VerifyAllOff(h.form);
        VerifySerialPanels(h.form);
        // Every keystroke from the ";" on runs the selection with its zero write.
        const auto runs = static_cast<size_t>(text.size() - text.indexOf(QLatin1Char(';')));
        QCOMPARE(WritesText(h.DataWrites()), WritesText(std::vector<int>(runs, 0)));
    }

    void interfacePairStaysOpposite_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("parallelValue");
        QTest::addColumn<int>("serialValue");
        QTest::newRow("Parallel ticked") << 4 << 0 << 1 << 1 << 0;
        QTest::newRow("Serial unticked") << 4 << 1 << 0 << 1 << 0;
        QTest::newRow("Serial ticked") << 16 << 1 << 1 << 0 << 1;
        QTest::newRow("Parallel unticked") << 16 << 0 << 0 << 0 << 1;
        // Greyed counts as 1 for the other box, which then sets this one back.
        QTest::newRow("Parallel greyed from parallel") << 16 << 0 << 2 << 0 << 1;
        QTest::newRow("Serial greyed from serial") << 4 << 1 << 2 << 1 << 0;
        // The other box already holds 1: nothing else changes.
        QTest::newRow("Parallel greyed from serial") << 4 << 0 << 2 << 2 << 1;
    }

    void interfacePairStaysOpposite() {
        QFETCH(int, position);
        QFETCH(int, box);
        QFETCH(int, value);
        QFETCH(int, parallelValue);
        QFETCH(int, serialValue);
        BoardHarness h;
        StartOnBoard(h);
        h.ChooseModel(position);

        SetCheckValue(h.form.Check1[static_cast<size_t>(box)], static_cast<int16_t>(value));

        QCOMPARE(int{CheckValue(h.form.Check1[0])}, parallelValue);
        QCOMPARE(int{CheckValue(h.form.Check1[1])}, serialValue);
        // Load goes out over the interface the pair now names.
        h.port.ClearLog();
        h.Click(h.form.Command1);
        const std::vector<int> expected =
            parallelValue == 1 ? ParallelWrites(0) : SerialWrites(0, 1);
        QCOMPARE(WritesText(h.DataWrites()), WritesText(expected));
    }
};

QTEST_MAIN(PanelSelectionTest)
#include "test_panel_selection.moc"
