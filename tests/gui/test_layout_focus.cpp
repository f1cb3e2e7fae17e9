// The Tab key order of the main window: the designed order over the controls
// that are shown, the LE options as one stop at the selected option, and the
// focus on the model box when the window opens.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "NullPort.h"
#include "core/Board.h"
#include "window/DigitalStepAttenuatorForm.h"

class LayoutFocusTest : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    NullPort port_;
    std::unique_ptr<Board> module_;
    std::unique_ptr<DigitalStepAttenuatorForm> window_;

    // The widget that has the focus after each of `count` presses of (Shift+)Tab.
    QList<QWidget*> Walk(int count, bool backwards = false) {
        QList<QWidget*> visited;
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                            backwards ? Qt::ShiftModifier : Qt::NoModifier);
            visited.append(QApplication::focusWidget());
        }
        return visited;
    }

private slots:
    void initTestCase() {
        // Leaving the address box writes the address file into the working folder.
        QVERIFY(workDir_.isValid());
        QVERIFY(QDir::setCurrent(workDir_.path()));
    }

    void init() {
        module_ = std::make_unique<Board>(port_, port_);
        window_ = std::make_unique<DigitalStepAttenuatorForm>(*module_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    void cleanup() {
        window_.reset();
        module_.reset();
    }

    void modelBoxHasTheFocusWhenTheWindowOpens() {
        QCOMPARE(QApplication::focusWidget(), window_->ModelCombo);
    }

    void tabVisitsTheShownControlsInDesignedOrder() {
        const auto& w = *window_;
        const QList<QWidget*> expected = {
            w.Command1,     w.Command2,     w.AddText,      w.LeOption[0],  w.SScommand[1],
            w.SScommand[2], w.SScommand[3], w.SScommand[4], w.SScommand[5], w.ModelCombo};
        QCOMPARE(Walk(int(expected.size())), expected);
    }

    void shiftTabWalksBackwards() {
        const auto& w = *window_;
        const QList<QWidget*> expected = {w.SScommand[5], w.SScommand[4], w.SScommand[3],
                                          w.SScommand[2], w.SScommand[1], w.LeOption[0],
                                          w.AddText};
        QCOMPARE(Walk(int(expected.size()), true), expected);
    }

    void tabFromAddressBoxGoesToTheSelectedLeOption() {
        window_->LeOption[3]->setChecked(true);
        window_->AddText->setFocus();
        QCOMPARE(Walk(2), (QList<QWidget*>{window_->LeOption[3], window_->SScommand[1]}));
    }

    void shownControlsJoinTheOrderInTheirPlace() {
        auto& w = *window_;
        w.Check2->show();
        w.SScommand[0]->show();
        w.SScommand[6]->show();
        const QList<QWidget*> expected = {
            w.Check2,       w.Command1,     w.Command2,     w.AddText,      w.LeOption[0],
            w.SScommand[0], w.SScommand[1], w.SScommand[2], w.SScommand[3], w.SScommand[4],
            w.SScommand[5], w.SScommand[6], w.ModelCombo};
        QCOMPARE(Walk(int(expected.size())), expected);
    }

    void hiddenLeSelectorIsSkipped() {
        window_->LeFrame->hide();
        window_->AddText->setFocus();
        QCOMPARE(Walk(1), QList<QWidget*>{window_->SScommand[1]});
    }

    void labelsLinesAndFramesTakeNoFocus() {
        for (QWidget* child : window_->findChildren<QWidget*>()) {
            if (child->inherits("QLabel") || child->inherits("QGroupBox") ||
                child->inherits("LineControl")) {
                QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
            }
        }
    }
};

QTEST_MAIN(LayoutFocusTest)
#include "test_layout_focus.moc"
