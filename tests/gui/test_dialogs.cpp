// The help window and the About box: texts, geometry, one instance at a time,
// placement, and closing that destroys them; the program's real message box
// and beep.

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QWheelEvent>
#include <QtTest>

#include "window/Twips.h"
#include "window/HelpWindow.h"
#include "window/AboutBox.h"
#include "window/HelpText.h"
#include "window/DialogNotifier.h"
#include <QTimer>

namespace {

QPoint ScreenPlace(int leftTwips, int topTwips) {
    return QGuiApplication::primaryScreen()->geometry().topLeft() +
           Twips::Point(leftTwips, topTwips);
}

void FlushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        if (HelpWindow::Instance()) {
            HelpWindow::Instance()->close();
        }
        if (AboutBox::Instance()) {
            AboutBox::Instance()->close();
        }
        FlushDeletions();
    }

    // --- Help window -------------------------------------------------------

    void helpWindowAsDesigned() {
        HelpWindow* help = HelpWindow::Open();
        QCOMPARE(help->objectName(), QString("Form1"));
        QCOMPARE(help->windowTitle(), QString("Digital Attenuator - Help "));
        // Its icon comes from the compiled-in pictures, at both sizes.
        QVERIFY(help->windowIcon().availableSizes().contains(QSize(16, 16)));
        QVERIFY(help->windowIcon().availableSizes().contains(QSize(32, 32)));
        QVERIFY(help->isWindow());
        QVERIFY(!help->parentWidget());
        QCOMPARE(help->size(), Twips::Size(7725, 5715));
        QCOMPARE(help->pos(), ScreenPlace(100, 100));
        QVERIFY(!help->windowIcon().isNull());

        QCOMPARE(help->Text1->objectName(), QString("Text1"));
        QCOMPARE(help->Text1->geometry(), Twips::Rect(120, 240, 7215, 4575));
        QCOMPARE(help->Text1->font().family(), QString("MS Sans Serif"));
        QCOMPARE(help->Text1->font().pointSizeF(), 8.25);
        QVERIFY(help->Text1->font().bold());
    }

    void helpTextShownExactly() {
        HelpWindow* help = HelpWindow::Open();
        QCOMPARE(help->Text1Contents(), HelpText());
        // Each CR LF is one line break: 22 lines and the empty one after the last.
        const QTextDocument* document = help->Text1->document();
        QCOMPARE(document->blockCount(), 23);
        QCOMPARE(document->findBlockByNumber(0).text(), QString());
        QCOMPARE(document->findBlockByNumber(8).text(),
                 "3.  Choose from list the KTN model." + QString(67, ' '));
    }

    void helpTextCannotBeTouched() {
        HelpWindow* help = HelpWindow::Open();
        QPlainTextEdit* text = help->Text1;
        QVERIFY(!text->isEnabled());
        QCOMPARE(text->focusPolicy(), Qt::NoFocus);

        QTest::keyClicks(text, "typed");
        QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(text, Qt::Key_Delete);
        QCOMPARE(help->Text1Contents(), HelpText());
        QVERIFY(!text->textCursor().hasSelection());
        QVERIFY(!text->hasFocus());

        const int scrolled = text->verticalScrollBar()->value();
        const QPoint centre = text->viewport()->rect().center();
        QWheelEvent wheel(centre, text->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, -480),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(text->viewport(), &wheel);
        QCOMPARE(text->verticalScrollBar()->value(), scrolled);
    }

    void secondOpenMovesBackAndKeepsUserSize() {
        HelpWindow* help = HelpWindow::Open();
        help->resize(300, 200);
        help->move(ScreenPlace(100, 100) + QPoint(250, 170));
        HelpWindow* again = HelpWindow::Open();
        QCOMPARE(again, help);
        QCOMPARE(HelpWindow::Instance(), help);
        QCOMPARE(again->pos(), ScreenPlace(100, 100));
        QCOMPARE(again->size(), QSize(300, 200));
        QVERIFY(again->isVisible());
    }

    void closeDestroysAndReopenHasDesignedSize() {
        QPointer<HelpWindow> first = HelpWindow::Open();
        first->resize(300, 200);
        first->move(ScreenPlace(100, 100) + QPoint(40, 40));
        QVERIFY(first->close());
        QCOMPARE(HelpWindow::Instance(), nullptr);

        // Reopened before the old window is gone: still a fresh window.
        HelpWindow* second = HelpWindow::Open();
        QVERIFY(second != first.data());
        QCOMPARE(second->size(), Twips::Size(7725, 5715));
        QCOMPARE(second->pos(), ScreenPlace(100, 100));
        FlushDeletions();
        QVERIFY(first.isNull());
        QCOMPARE(HelpWindow::Instance(), second);
        QVERIFY(second->isVisible());
    }

    // --- About box --------------------------------------------------------

    void aboutBoxAsDesigned() {
        AboutBox* about = AboutBox::Open();
        QCOMPARE(about->objectName(), QString("frmAbout"));
        QCOMPARE(about->windowTitle(), QString("Digital Step Attenuator "));
        QVERIFY(!about->parentWidget());
        QCOMPARE(about->pos(), ScreenPlace(1000, 1000));
        QCOMPARE(about->size(), Twips::Size(4500, 2640));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        const Qt::WindowFlags flags = about->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());

        QCOMPARE(about->lblTitle->text(), QString("Digital Step Attenuator  for 32/64 OS "));
        QCOMPARE(about->lblTitle->geometry(), Twips::Rect(120, 240, 3885, 480));
        QCOMPARE(about->lblTitle->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(about->lblVersion->text(), QString("Version   A1"));
        QCOMPARE(about->lblVersion->geometry(), Twips::Rect(120, 720, 3885, 225));
        QVERIFY(!about->Label1->text().isEmpty());
        QVERIFY(!about->Label1->text().contains('\n'));
        QCOMPARE(about->Label1->geometry(), Twips::Rect(120, 1200, 4215, 375));
        QCOMPARE(about->cmdOK->text(), QString("OK"));
        QCOMPARE(about->cmdOK->geometry(), Twips::Rect(2640, 2040, 1260, 345));
        QVERIFY(about->cmdOK->isDefault());
    }

    void onlyOkTakesFocus() {
        AboutBox* about = AboutBox::Open();
        for (QWidget* child : about->findChildren<QWidget*>()) {
            QCOMPARE(child->focusPolicy() != Qt::NoFocus, child == about->cmdOK);
        }
        QCOMPARE(about->focusWidget(), about->cmdOK);
    }

    void aboutBoxIsSingle() {
        AboutBox* about = AboutBox::Open();
        about->move(ScreenPlace(0, 0));
        QCOMPARE(AboutBox::Open(), about);
        QCOMPARE(about->pos(), ScreenPlace(1000, 1000));
        QCOMPARE(AboutBox::Instance(), about);
    }

    void aboutBoxCloses_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK clicked") << "click";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close button") << "close";
    }

    void aboutBoxCloses() {
        QFETCH(QString, how);
        QPointer<AboutBox> about = AboutBox::Open();
        if (how == "click") {
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        } else if (how == "enter") {
            QTest::keyClick(about->cmdOK, Qt::Key_Return);
        } else if (how == "escape") {
            QTest::keyClick(about->cmdOK, Qt::Key_Escape);
        } else {
            QVERIFY(about->close());
        }
        QVERIFY(!about.isNull());
        QVERIFY(!about->isVisible());
        QCOMPARE(AboutBox::Instance(), nullptr);
        FlushDeletions();
        QVERIFY(about.isNull());

        // The next opening builds the box afresh.
        AboutBox* again = AboutBox::Open();
        QVERIFY(again->isVisible());
        QCOMPARE(again->lblVersion->text(), QString("Version   A1"));
    }

    // --- The real message box and beep ----------------------------------

    // The message goes out in a modal box with the program's title, the text
    // exactly, no icon and an OK button only, over the main window; it
    // returns once OK is clicked. The box is looked at and closed from a timer.
    void messageBoxAsShownToTheUser() {
        QWidget mainWindow;
        mainWindow.resize(400, 300);
        mainWindow.show();
        DialogNotifier notifier;
        notifier.SetParent(&mainWindow);

        struct Seen {
            bool found = false;
            QString title, text;
            QMessageBox::Icon icon = QMessageBox::Information;
            qsizetype buttons = 0;
            QString okText;
            bool modal = false;
            QWidget* parent = nullptr;
        } seen;
        QObject guard;
        QTimer poll;
        int attempts = 0;
        connect(&poll, &QTimer::timeout, &guard, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) {
                if (++attempts > 250) {
                    // Never seen: close whatever box there is so the test ends.
                    poll.stop();
                    for (QWidget* w : QApplication::topLevelWidgets()) {
                        if (qobject_cast<QMessageBox*>(w)) {
                            w->close();
                        }
                    }
                }
                return;
            }
            poll.stop();
            seen.found = true;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = box->buttons().size();
            seen.okText = box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->text()
                                                       : QString();
            seen.modal = box->isModal();
            seen.parent = box->parentWidget();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        poll.start(20);
        notifier.ShowMessage("Error reading From:888");

        QVERIFY2(seen.found, "no message box appeared");
        QCOMPARE(seen.title, QString("Digital Step Attenuator"));
        QCOMPARE(seen.text, QString("Error reading From:888"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, qsizetype{1});
        QCOMPARE(QString(seen.okText).remove('&'), QString("OK"));
        QVERIFY(seen.modal);
        QCOMPARE(seen.parent, &mainWindow);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        // The beep goes to the platform; there is nothing to look at, but it
        // must neither block nor fail.
        notifier.Beep();
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
