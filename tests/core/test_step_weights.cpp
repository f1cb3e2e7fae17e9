// Weights of the step buttons and the weight-label captions, standard and for
// the cascaded model.

#include <QtTest>

#include "core/StepWeights.h"

class TestStepWeights : public QObject {
    Q_OBJECT

private slots:
    void weights_data() {
        QTest::addColumn<int>("member");
        QTest::addColumn<double>("standard");
        QTest::addColumn<double>("cascaded");
        QTest::newRow("0") << 0 << 0.5 << 1.0;
        QTest::newRow("1") << 1 << 1.0 << 2.0;
        QTest::newRow("2") << 2 << 2.0 << 4.0;
        QTest::newRow("3") << 3 << 4.0 << 8.0;
        QTest::newRow("4") << 4 << 8.0 << 16.0;
        QTest::newRow("5") << 5 << 16.0 << 32.0;
        QTest::newRow("6") << 6 << 0.25 << 0.5;
    }

    void weights() {
        QFETCH(int, member);
        QFETCH(double, standard);
        QFETCH(double, cascaded);
        QCOMPARE(StepWeight(member, "VK58-Q5-S1; KTN-Q5-S1(JW-101)"), standard);
        QCOMPARE(StepWeight(member, "Choose KTN Model"), standard);
        QCOMPARE(StepWeight(member, "2VK58-Q8-P1;"), cascaded);
        QCOMPARE(StepWeight(member, "edited 2VK58-Q8-P1 text"), cascaded);
    }

    void membersOutsideTheRowWeighNothing() {
        QCOMPARE(StepWeight(-1, "2VK58-Q8-P1;"), 0.0);
        QCOMPARE(StepWeight(7, "GMX1-40; (JW-109)"), 0.0);
    }

    void labelTexts() {
        const QLocale c = QLocale::c();
        QCOMPARE(WeightLabelTexts(WeightSet::Standard, c),
                 QStringList({"0.5", "1", "2", "4", "8", "16"}));
        QCOMPARE(WeightLabelTexts(WeightSet::Doubled, c),
                 QStringList({"1", "2", "4", "8", "16", "32"}));
        QCOMPARE(WeightLabelTexts(WeightSet::Standard, QLocale(QLocale::German)).first(),
                 QString("0,5"));
    }
};

QTEST_GUILESS_MAIN(TestStepWeights)
#include "test_step_weights.moc"
