// The main window as it is created: every control's name, kind, parent, text,
// tooltip, position, visibility and font, and the looks that the handlers rely on.

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>
#include <memory>

#include "NullPort.h"
#include "core/Board.h"
#include "window/Caption.h"
#include "window/DigitalStepAttenuatorForm.h"
#include "window/LineControl.h"

namespace {

// The test screen has 96 dpi: 15 twips a pixel.
int Px(int twips) {
    return qRound(twips / 15.0);
}
QRect PxRect(const QRect& twips) {
    return {Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height())};
}

struct Font {
    const char* family;
    double points;
    bool bold;
};
constexpr Font kDefault{"MS Sans Serif", 8.25, false};
constexpr Font kBold825{"MS Sans Serif", 8.25, true};
constexpr Font kRegular975{"MS Sans Serif", 9.75, false};
constexpr Font kBold975{"MS Sans Serif", 9.75, true};

struct Control {
    QWidget* widget;
    QString name;
    const char* kind;
    QString parent;
    QString text;
    QString toolTip;
    QRect twips;
    bool hidden;
    Font font;
};

struct Instruction {
    size_t serial, parallel;
    QRect twips;
    Font font;
    const char* caption;
};

const Instruction kInstructions[] = {
    {24, 10, {240, 240, 495, 255}, kRegular975, "Note:"},
    {25,
     9,
     {360, 600, 8295, 615},
     kDefault,
     "The actual attenuation is: the Selected Nominal Attenuation plus the Insertion Loss at an "
     "operating frequency.\r\nFor Example: If the selected nominal attenuation is 10 dB and the "
     "Insertion Loss at the operating frequency is 1.8 dB then the actual attenuation will be "
     "11.8 dB.\r\n\r\n"},
    {26, 8, {360, 1320, 3615, 255}, kBold975, "* Selecting Nominal Attenuation:"},
    {19, 7, {360, 1560, 2655, 255}, kBold825, "a) \"Auto Load\" disabled"},
    {23,
     11,
     {600, 1780, 8175, 375},
     kDefault,
     "Select the requested Nominal Attenuation by clicking on the attenuation buttons, then click "
     "\"Load\"  button  to execute the selected nominal attenuation value. "},
    {22, 12, {600, 2190, 735, 255}, kBold825, "Example:"},
    {21,
     13,
     {600, 2400, 7575, 495},
     kDefault,
     "if a nominal attenuation of 7 dB is required, click on the 1, 2 and 4 buttons to show a 7 dB "
     "Nominal Attenuation level is selected. Then click the \"Load\" button to execute attenuation "
     "of 7 dB nominal."},
    {15, 16, {360, 2880, 2655, 255}, kBold825, "b) \"Auto Load\" enabled"},
    {20,
     14,
     {600, 3120, 8175, 615},
     kDefault,
     "In this mode the \"Load\"  button is neutralized. Select the requested Nominal Attenuation "
     "by "
     "clicking on the attenuation buttons , the attenuation value is executed  upon clicking on "
     "the attenuation buttons. "},
};

QList<Control> DesignedControls(DigitalStepAttenuatorForm& w) {
    const QString form = QStringLiteral("DigitalStepAttenuatorForm");
    const Font arialBold9{"Arial", 9, true};
    QList<Control> c = {
        {w.Picture1, "Picture1", "QLabel", form, "", "", {120, 50, 9735, 1215}, false, kDefault},
        {w.Label4,
         "Label4",
         "QLabel",
         form,
         "Select Model:",
         "",
         {120, 1320, 1455, 255},
         false,
         kBold825},
        {w.Check3,
         "Check3",
         "QCheckBox",
         form,
         "Direct Mode",
         "",
         {3360, 1200, 1215, 255},
         true,
         kDefault},
        {w.ModelCombo,
         "ModelCombo",
         "QComboBox",
         form,
         "Choose KTN Model",
         "",
         {120, 1560, 4695, 360},
         false,
         kRegular975},
        {w.Command2,
         "Command2",
         "QPushButton",
         form,
         "Help",
         "",
         {5640, 1560, 975, 375},
         false,
         kDefault},
        {w.Label8,
         "Label8",
         "QLabel",
         form,
         "Model entries refer to both '+' and non '+' versions.",
         "",
         {120, 1920, 4695, 375},
         false,
         kDefault},
        {w.Label5,
         "Label5",
         "QLabel",
         form,
         "",
         "KTN Description",
         {120, 2280, 6855, 300},
         true,
         arialBold9},
        {w.Label6, "Label6", "QLabel", form, "", "", {120, 2535, 6855, 300}, true, arialBold9},
        {w.leLabel8,
         "leLabel8",
         "QLabel",
         form,
         "LE select: 1",
         "",
         {120, 2925, 1035, 195},
         false,
         kBold825},
        {w.LeFrame, "LeFrame", "QGroupBox", form, "", "", {120, 3120, 2295, 855}, false, kDefault},
        {w.Label1,
         "Label1",
         "QLabel",
         form,
         "Select Nominal Attenuation (dB): *",
         "",
         {3480, 3000, 2970, 255},
         false,
         kBold825},
        {w.Label2, "Label2", "QLabel", form, "0", "", {4215, 3345, 1455, 330}, false, kRegular975},
        {w.Command1,
         "Command1",
         "QPushButton",
         form,
         "Load",
         "Load the Attenuation data to output port",
         {6720, 3765, 945, 375},
         false,
         kDefault},
        {w.Check2,
         "Check2",
         "QCheckBox",
         form,
         "Auto Load",
         "Check to automatically load the Attenuation data to output port",
         {6720, 3240, 1170, 390},
         true,
         kDefault},
        {w.Check1[0],
         "Check1(0)",
         "QCheckBox",
         form,
         "Parallel",
         "",
         {1680, 4560, 930, 300},
         true,
         kDefault},
        {w.Check1[1],
         "Check1(1)",
         "QCheckBox",
         form,
         "Serial",
         "",
         {840, 4560, 795, 300},
         true,
         kDefault},
        {w.Label7,
         "Label7",
         "QLabel",
         form,
         "Port Address: (Hex)",
         "",
         {8280, 3480, 1455, 375},
         false,
         kDefault},
        {w.AddText,
         "AddText",
         "QLineEdit",
         form,
         "0",
         "I/O Port address ",
         {8280, 3840, 855, 285},
         false,
         kDefault},
        {w.SerialFrame,
         "SerialFrame",
         "QGroupBox",
         form,
         "",
         "",
         {2880, 8520, 9255, 4095},
         true,
         kDefault},
        {w.ParallelFrame,
         "ParallelFrame",
         "QGroupBox",
         form,
         "",
         "",
         {3120, 8520, 9255, 4095},
         true,
         kDefault},
        {w.Command3,
         "Command3",
         "QPushButton",
         form,
         "About",
         "",
         {8520, 8040, 615, 255},
         true,
         kDefault},
    };
    const int optionLefts[6] = {120, 450, 800, 1150, 1500, 1875};
    const int labelLefts[6] = {200, 480, 840, 1200, 1560, 1920};
    const char* pins[6] = {"LE1 use  Pin4 (IO #3) in parallel connector",
                           "LE2 use  Pin5 (IO #4) in parallel connector",
                           "LE3 use  Pin6 (IO #5) in parallel connector",
                           "LE4 use  Pin7 (IO #6)  in parallel connector",
                           "LE5 use  Pin8 (IO #7) in parallel connector",
                           "LE6 use  Pin9 (IO #8) in parallel connector"};
    for (size_t i = 0; i < 6; ++i) {
        const QString n = QString::number(i);
        c.append({w.LeOption[i],
                  "LeOption(" + n + ")",
                  "QRadioButton",
                  "LeFrame",
                  "",
                  pins[i],
                  {optionLefts[i], 240, 255, 255},
                  false,
                  kDefault});
        c.append({w.LeLabel[i],
                  "LeLabel(" + n + ")",
                  "QLabel",
                  "LeFrame",
                  QString::number(i + 1),
                  "",
                  {labelLefts[i], 600, 90, 195},
                  false,
                  kDefault});
    }
    // Members 0 to 6: weight, label left, label shown, button left, button shown.
    const char* weights[7] = {"0.5", "1", "2", "4", "8", "16", "0.25"};
    const int weightLefts[7] = {3600, 4080, 4560, 5040, 5520, 6000, 3050};
    const int buttonLefts[7] = {3550, 4050, 4540, 5040, 5520, 6000, 3050};
    for (size_t i = 0; i < 7; ++i) {
        const QString n = QString::number(i);
        c.append({w.SSLabel[i],
                  "SSLabel(" + n + ")",
                  "QLabel",
                  form,
                  weights[i],
                  "",
                  {weightLefts[i], 3840, i == 6 ? 405 : 375, 255},
                  i == 6,
                  kDefault});
        c.append({w.SScommand[i],
                  "SScommand(" + n + ")",
                  "QPushButton",
                  form,
                  "Off",
                  "",
                  {buttonLefts[i], 4200, 450, 375},
                  i == 0 || i == 6,
                  {"Arial", 8.25, true}});
    }
    for (const Instruction& text : kInstructions) {
        c.append({w.Label3[text.serial], QStringLiteral("Label3(%1)").arg(text.serial), "QLabel",
                  "SerialFrame", text.caption, "", text.twips, false, text.font});
        c.append({w.Label3[text.parallel], QStringLiteral("Label3(%1)").arg(text.parallel),
                  "QLabel", "ParallelFrame", text.caption, "", text.twips, false, text.font});
    }
    return c;
}

// The text a control carries: a label's caption as set, a box's or button's text.
QString DesignedText(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return Caption(label);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        return combo->currentText();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text();
    }
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        return frame->title();
    }
    return QStringLiteral("<no text>");
}

} // namespace

class LayoutControlsTest : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    NullPort port_;
    std::unique_ptr<Board> module_;
    std::unique_ptr<DigitalStepAttenuatorForm> window_;
    QList<Control> controls_;

private slots:
    void initTestCase() {
        if (QGuiApplication::primaryScreen()->logicalDotsPerInchX() != 96.0) {
            QSKIP("positions are checked on a 96 dpi screen");
        }
        // Showing the window reads and writes the address file in the working folder.
        QVERIFY(workDir_.isValid());
        QVERIFY(QDir::setCurrent(workDir_.path()));
        module_ = std::make_unique<Board>(port_, port_);
        window_ = std::make_unique<DigitalStepAttenuatorForm>(*module_);
        controls_ = DesignedControls(*window_);
    }

    void everyControlAsDesigned_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < controls_.size(); ++i) {
            QTest::newRow(qPrintable(controls_.at(i).name)) << i;
        }
    }

    void everyControlAsDesigned() {
        QFETCH(int, row);
        const Control& c = controls_.at(row);
        QVERIFY(c.widget != nullptr);
        QCOMPARE(c.widget->objectName(), c.name);
        QCOMPARE(window_->findChildren<QWidget*>(c.name), QList<QWidget*>{c.widget});
        QCOMPARE(c.widget->metaObject()->className(), c.kind);
        QCOMPARE(c.widget->parentWidget()->objectName(), c.parent);
        QCOMPARE(DesignedText(c.widget), c.text);
        QCOMPARE(c.widget->toolTip(), c.toolTip);
        QCOMPARE(c.widget->geometry(), PxRect(c.twips));
        QCOMPARE(c.widget->isHidden(), c.hidden);
        QVERIFY(c.widget->isEnabled());
        QCOMPARE(c.widget->font().family(), QString::fromLatin1(c.font.family));
        QCOMPARE(c.widget->font().pointSizeF(), c.font.points);
        QCOMPARE(c.widget->font().bold(), c.font.bold);
    }

    void connectorLines_data() {
        QTest::addColumn<LineControl*>("line");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QLine>("twips");
        QTest::addColumn<bool>("hidden");
        const auto& w = *window_;
        QTest::newRow("Line2(0)") << w.Line2[0] << "Line2(0)" << QLine(3720, 3600, 4200, 3600)
                                  << false;
        QTest::newRow("Line2(1)") << w.Line2[1] << "Line2(1)" << QLine(5760, 3480, 6120, 3480)
                                  << false;
        QTest::newRow("Line2(2)") << w.Line2[2] << "Line2(2)" << QLine(3240, 3480, 4200, 3480)
                                  << true;
        const QLine leaders[7] = {{3705, 3600, 3705, 3840}, {4305, 3600, 4305, 3860},
                                  {4680, 3600, 4680, 3855}, {5595, 3600, 5595, 3855},
                                  {5235, 3645, 5235, 3945}, {6120, 3480, 6120, 3855},
                                  {3240, 3480, 3240, 3840}};
        for (size_t i = 0; i < 7; ++i) {
            const QString name = QStringLiteral("Line1(%1)").arg(i);
            QTest::newRow(qPrintable(name)) << w.Line1[i] << name << leaders[i] << (i == 6);
        }
    }

    void connectorLines() {
        QFETCH(LineControl*, line);
        QFETCH(QString, name);
        QFETCH(QLine, twips);
        QFETCH(bool, hidden);
        QCOMPARE(line->objectName(), name);
        QCOMPARE(line->parentWidget(), window_.get());
        QCOMPARE(line->Line(),
                 QLine(Px(twips.x1()), Px(twips.y1()), Px(twips.x2()), Px(twips.y2())));
        QCOMPARE(line->isHidden(), hidden);
        QCOMPARE(line->PenWidth(), 1);
        QCOMPARE(line->Colour(), QApplication::palette().color(QPalette::WindowText));
    }

    void windowAsDesigned() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Digital Step Attenuator    (Ver.  A8)"));
        QCOMPARE(window_->size(), QSize(666, 623));
        QVERIFY(window_->layout() == nullptr);
        QVERIFY(!window_->windowIcon().pixmap(32, 32).isNull());
        QCOMPARE(window_->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(window_->font().pointSizeF(), 8.25);
    }

    void bannerShownUnscaledAtTopLeft() {
        const QPixmap banner = window_->Picture1->pixmap();
        QCOMPARE(banner.size(), QSize(650, 80));
        QVERIFY(!window_->Picture1->hasScaledContents());
        QCOMPARE(window_->Picture1->alignment(), Qt::AlignLeft | Qt::AlignTop);
    }

    void modelComboEmptyAndEditable() {
        QComboBox* combo = window_->ModelCombo;
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->insertPolicy(), QComboBox::NoInsert);
        QVERIFY(combo->completer() == nullptr);
        QCOMPARE(combo->count(), 0);
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY(!window_->AddText->isReadOnly());
    }

    void coloursAndBorders() {
        const auto background = [](const QWidget* w) {
            return w->autoFillBackground() ? w->palette().color(QPalette::Window) : QColor();
        };
        QCOMPARE(background(window_->Label2), QColor(255, 255, 128));
        QCOMPARE(background(window_->Label5), QColor(224, 224, 224));
        QCOMPARE(background(window_->Label6), QColor(224, 224, 224));
        QCOMPARE(window_->Label2->frameShape(), QFrame::Box);
        QCOMPARE(window_->Label2->lineWidth(), 1);
        const QPalette system = QApplication::palette();
        for (QLabel* weight : window_->SSLabel) {
            QCOMPARE(background(weight), system.color(QPalette::Base));
            QCOMPARE(weight->palette().color(QPalette::WindowText), system.color(QPalette::Text));
            QCOMPARE(weight->frameShape(), QFrame::Box);
            QCOMPARE(weight->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        }
        // Plain labels sit on the window's background without a border.
        for (QLabel* plain : {window_->Label4, window_->Label7, window_->leLabel8}) {
            QVERIFY(!plain->autoFillBackground());
            QCOMPARE(plain->frameShape(), QFrame::NoFrame);
        }
    }

    void leOptionsFormOneExclusiveGroup() {
        QButtonGroup* group = window_->LeOption[0]->group();
        QVERIFY(group != nullptr);
        QVERIFY(group->exclusive());
        for (size_t i = 0; i < 6; ++i) {
            QCOMPARE(window_->LeOption[i]->group(), group);
            QCOMPARE(group->id(window_->LeOption[i]), int(i));
            QVERIFY(window_->LeOption[i]->text().isEmpty());
        }
        QCOMPARE(group->checkedId(), 0);
    }

    void captionsShowAmpersandsAndLineBreaks() {
        for (size_t member : {size_t{25}, size_t{9}}) {
            const QStringList lines = window_->Label3[member]->text().split('\n');
            QCOMPARE(lines.size(), 4);
            QVERIFY(lines[0].endsWith("at an operating frequency."));
            QVERIFY(lines[1].startsWith("For Example: "));
            QVERIFY(!window_->Label3[member]->text().contains('\r'));
        }
        SetCaption(window_->Label6, "Amplifier && attenuator");
        QCOMPARE(window_->Label6->text(), QStringLiteral("Amplifier & attenuator"));
        QCOMPARE(Caption(window_->Label6), QStringLiteral("Amplifier && attenuator"));
        SetCaption(window_->Label6, QString());
    }

    void leSelectLabelFitsItsNewCaption() {
        QLabel* label = window_->leLabel8;
        QCOMPARE(label->size(), QSize(69, 13));
        SetCaption(label, "LE select:3");
        QCOMPARE(label->text(), QStringLiteral("LE select:3"));
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
        QCOMPARE(label->pos(), PxRect({120, 2925, 0, 0}).topLeft());
        SetCaption(label, "LE select: 1");
    }

    void stepButtonsStayAboveMovedInstructions() {
        // Once shown at its working place the frame overlaps the buttons' lower edge.
        window_->SerialFrame->move(Px(100), Px(4500));
        window_->SerialFrame->show();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QPushButton* button = window_->SScommand[1];
        const QPoint lowerEdge = button->geometry().bottomLeft() + QPoint(button->width() / 2, -1);
        QVERIFY(window_->SerialFrame->geometry().contains(lowerEdge));
        QCOMPARE(window_->childAt(lowerEdge), button);
        window_->hide();
        window_->SerialFrame->hide();
    }

    void resizingMovesNothing() {
        QHash<QWidget*, QRect> before;
        for (QWidget* child : window_->findChildren<QWidget*>()) {
            before.insert(child, child->geometry());
        }
        for (const QSize size : {QSize(300, 200), QSize(1200, 900), QSize(666, 623)}) {
            window_->resize(size);
            QCoreApplication::processEvents();
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                QCOMPARE(it.key()->geometry(), it.value());
            }
        }
    }
};

QTEST_MAIN(LayoutControlsTest)
#include "test_layout_controls.moc"
