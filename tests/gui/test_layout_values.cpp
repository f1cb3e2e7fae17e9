// How captions are shown and how check-box values map to check states.

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include "window/Caption.h"
#include "window/CheckValue.h"

class LayoutValuesTest : public QObject {
    Q_OBJECT

private slots:
    void captionDisplayText_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::newRow("doubled ampersand") << "Amp && Att"
                                           << "Amp & Att";
        QTest::newRow("access key marker") << "&Load"
                                           << "Load";
        QTest::newRow("three ampersands") << "a&&&b"
                                          << "a&b";
        QTest::newRow("trailing ampersand") << "R&"
                                            << "R&";
        QTest::newRow("CR LF") << "one\r\ntwo\r\n"
                               << "one\ntwo\n";
        QTest::newRow("lone CR") << "one\rtwo"
                                 << "one\ntwo";
        QTest::newRow("blanks kept") << "  use  Pin7 "
                                     << "  use  Pin7 ";
        QTest::newRow("no markup") << "<b>0</b>"
                                   << "<b>0</b>";
    }

    void captionDisplayText() {
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        QCOMPARE(CaptionDisplayText(caption), shown);

        QLabel label;
        SetCaption(&label, caption);
        QCOMPARE(label.text(), shown);
        QCOMPARE(label.textFormat(), Qt::PlainText);
        QCOMPARE(Caption(&label), caption);
    }

    void captionOfAnUnsetLabelIsItsText() {
        QLabel label(QStringLiteral("plain"));
        QCOMPARE(Caption(&label), QStringLiteral("plain"));
    }

    void labelSizedToTextResizesOnlyOnNewCaption() {
        QLabel label;
        SetCaption(&label, QStringLiteral("LE select: 1"));
        label.setGeometry(8, 195, 69, 13);
        MarkSizedToText(&label);
        QCOMPARE(label.size(), QSize(69, 13));
        SetCaption(&label, QStringLiteral("LE select: 1 and much more text"));
        QCOMPARE(label.size(), label.sizeHint());
        QCOMPARE(label.pos(), QPoint(8, 195));

        QLabel fixed;
        fixed.setGeometry(0, 0, 20, 13);
        SetCaption(&fixed, QStringLiteral("a long caption that does not fit"));
        QCOMPARE(fixed.size(), QSize(20, 13));
    }

    void checkValueMapsToCheckStates() {
        QCheckBox box;
        QCOMPARE(CheckValue(&box), int16_t(0));
        SetCheckValue(&box, 1);
        QCOMPARE(box.checkState(), Qt::Checked);
        QCOMPARE(CheckValue(&box), int16_t(1));
        SetCheckValue(&box, 2);
        QCOMPARE(box.checkState(), Qt::PartiallyChecked);
        QCOMPARE(CheckValue(&box), int16_t(2));
        SetCheckValue(&box, 0);
        QCOMPARE(box.checkState(), Qt::Unchecked);
        // Back to two states: a click ticks the box instead of greying it.
        QVERIFY(!box.isTristate());
        box.click();
        QCOMPARE(CheckValue(&box), int16_t(1));
    }

    void checkValueSignalsOnlyChanges() {
        QCheckBox box;
        QSignalSpy changed(&box, &QCheckBox::stateChanged);
        SetCheckValue(&box, 1);
        SetCheckValue(&box, 1);
        QCOMPARE(changed.count(), 1);
        SetCheckValue(&box, 2);
        QCOMPARE(changed.count(), 2);
    }

    void checkValueOutOfRangeIsRefused() {
        QCheckBox box;
        SetCheckValue(&box, 1);
        QSignalSpy changed(&box, &QCheckBox::stateChanged);
        SetCheckValue(&box, 3);
        SetCheckValue(&box, -1);
        QCOMPARE(CheckValue(&box), int16_t(1));
        QCOMPARE(changed.count(), 0);
    }
};

QTEST_MAIN(LayoutValuesTest)
#include "test_layout_values.moc"
