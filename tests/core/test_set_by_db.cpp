// Setting a model by dB: every value a model can make maps to the word whose
// steps add up to it and back, values it cannot make are refused with the
// nearest values it can make, and values outside its range are refused. The
// expected steps of each model are written out from the catalogue here, not
// taken from the profiles under test.

#include <QtTest>

#include <cmath>
#include <map>

#include "core/ControlWord.h"
#include "core/ModelProfile.h"

namespace {

// Step weights (dB) each list position shows, as the catalogue lists them.
std::vector<double> ExpectedSteps(int position) {
    if (position == 24) {
        return {0.25, 0.5, 1, 2, 4, 8, 16};
    }
    if (position == 25) {
        return {1, 2, 4, 8, 16, 32};
    }
    if (position >= 26) { // the two amplifiers
        return {0.5, 1, 2, 4, 8, 16};
    }
    switch (position % 6) {
    case 0:
    case 1:
        return {0.5, 1, 2, 4, 8};
    case 2:
    case 3:
        return {1, 2, 4, 8, 16};
    default:
        return {0.5, 1, 2, 4, 8, 16};
    }
}

// The step member of a weight: 0.5, 1, 2 ... 16 dB are members 0 to 5 and
// 0.25 dB is member 6; the cascaded model doubles every weight.
int MemberOf(double weight, bool doubled) {
    const double base = doubled ? weight / 2 : weight;
    if (base == 0.25) {
        return 6;
    }
    return static_cast<int>(std::lround(std::log2(base / 0.5)));
}

// Every value the model can make, with the word that makes it.
std::map<double, ControlWord> ExpectedValues(int position) {
    const std::vector<double> steps = ExpectedSteps(position);
    std::map<double, ControlWord> values;
    for (unsigned subset = 0; subset < (1u << steps.size()); ++subset) {
        double db = 0;
        ControlWord word = 0;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            if ((subset >> i & 1u) != 0) {
                db += steps[i];
                word = static_cast<ControlWord>(word | 1u << MemberOf(steps[i], position == 25));
            }
        }
        values[db] = word;
    }
    return values;
}

} // namespace

class SetByDbTest : public QObject {
    Q_OBJECT

private slots:
    void everyValueOfEveryModelMapsToItsWordAndBack() {
        QCOMPARE(ModelProfiles().size(), std::size_t{28});
        for (const ModelProfile& model : ModelProfiles()) {
            const auto expected = ExpectedValues(model.position);
            // Consecutive powers of two: every multiple of the smallest step up to the sum.
            QCOMPARE(model.maxDb, expected.rbegin()->first);
            QCOMPARE(model.resolutionDb, ExpectedSteps(model.position).front());
            QCOMPARE(static_cast<double>(expected.size() - 1), model.maxDb / model.resolutionDb);
            for (const auto& [db, word] : expected) {
                const AttenuationLookup lookup = LookUpAttenuation(model, db);
                QVERIFY2(lookup.word.has_value(),
                         qPrintable(model.key + " " + QString::number(db)));
                QCOMPARE(int(*lookup.word), int(word));
                QVERIFY(lookup.inRange);
                QCOMPARE(lookup.belowDb, db);
                QCOMPARE(lookup.aboveDb, db);
                QCOMPARE(AttenuationOf(model, word), db);
                QVERIFY(WordFitsModel(model, word));
                QCOMPARE(int(NearestWord(model, db)), int(word));
                QCOMPARE(WordBinaryText(model, word).size(), model.position == 24 ? 7 : 6);
            }
        }
    }

    void valuesBetweenStepsAreRefusedWithTheNearestOnes() {
        for (const ModelProfile& model : ModelProfiles()) {
            const double half = model.resolutionDb / 2;
            for (double db = 0; db < model.maxDb; db += model.resolutionDb) {
                const AttenuationLookup lookup = LookUpAttenuation(model, db + half);
                QVERIFY2(!lookup.word.has_value(), qPrintable(model.key));
                QVERIFY(lookup.inRange);
                QCOMPARE(lookup.belowDb, db);
                QCOMPARE(lookup.aboveDb, db + model.resolutionDb);
                // A tie goes to the lower attenuation.
                QCOMPARE(AttenuationOf(model, NearestWord(model, db + half)), db);
            }
        }
        const ModelProfile& q3 = *FindModel(QStringLiteral("VK58-Q3-S1"));
        const AttenuationLookup lookup = LookUpAttenuation(q3, 7.3);
        QCOMPARE(lookup.belowDb, 7.0);
        QCOMPARE(lookup.aboveDb, 8.0);
        QCOMPARE(AttenuationOf(q3, NearestWord(q3, 7.6)), 8.0);
    }

    void valuesOutsideTheRangeAreRefused() {
        for (const ModelProfile& model : ModelProfiles()) {
            for (double db : {-model.resolutionDb, -7.0, model.maxDb + model.resolutionDb,
                              model.maxDb + 0.1, 100.0, double(NAN), double(INFINITY)}) {
                const AttenuationLookup lookup = LookUpAttenuation(model, db);
                QVERIFY2(!lookup.word.has_value(), qPrintable(model.key + QString::number(db)));
                QVERIFY(!lookup.inRange);
            }
            // The nearest values offered for a value outside lie at the range's ends.
            QCOMPARE(LookUpAttenuation(model, -1).aboveDb, 0.0);
            QCOMPARE(LookUpAttenuation(model, model.maxDb + 5).belowDb, model.maxDb);
        }
    }

    // The one rule every front end resolves an asked value by.
    void resolutionRefusesOrRoundsAsAsked_data() {
        QTest::addColumn<double>("db");
        QTest::addColumn<bool>("nearest");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<double>("loads"); // the attenuation of the word, when there is one
        using Outcome = AttenuationResolution::Outcome;
        QTest::newRow("exact") << 7.0 << false << int(Outcome::Exact) << 7.0;
        QTest::newRow("exact with nearest") << 7.0 << true << int(Outcome::Exact) << 7.0;
        QTest::newRow("between") << 7.3 << false << int(Outcome::NotExact) << 0.0;
        QTest::newRow("between with nearest") << 7.6 << true << int(Outcome::Nearest) << 8.0;
        QTest::newRow("a tie goes down") << 7.5 << true << int(Outcome::Nearest) << 7.0;
        QTest::newRow("above, even with nearest")
            << 32.0 << true << int(Outcome::OutOfRange) << 0.0;
        QTest::newRow("negative") << -1.0 << false << int(Outcome::OutOfRange) << 0.0;
    }

    void resolutionRefusesOrRoundsAsAsked() {
        QFETCH(double, db);
        QFETCH(bool, nearest);
        QFETCH(int, outcome);
        QFETCH(double, loads);
        const ModelProfile& q3 =
            *FindModel(QStringLiteral("VK58-Q3-S1")); // 0 to 31 dB in 1 dB steps
        const AttenuationResolution resolution = ResolveAttenuation(q3, db, nearest);
        QCOMPARE(int(resolution.outcome), outcome);
        QCOMPARE(resolution.HasWord(), loads > 0.0);
        if (resolution.HasWord()) {
            QCOMPARE(AttenuationOf(q3, resolution.word), loads);
        }
    }

    void stepsAreFoundByTheirLabelledWeight() {
        for (const ModelProfile& model : ModelProfiles()) {
            for (double weight : ExpectedSteps(model.position)) {
                const std::optional<int> member = StepWithWeight(model, weight);
                QVERIFY2(member.has_value(), qPrintable(model.key + QString::number(weight)));
                QCOMPARE(*member, MemberOf(weight, model.position == 25));
            }
            QVERIFY(!StepWithWeight(model, 3).has_value());
        }
        QVERIFY(!StepWithWeight(*ProfileAt(0), 16).has_value());  // no 16 dB step
        QVERIFY(!StepWithWeight(*ProfileAt(2), 0.5).has_value()); // no 0.5 dB step
        QVERIFY(!StepWithWeight(*ProfileAt(4), 0.25).has_value());
        QCOMPARE(StepWithWeight(*ProfileAt(24), 0.25), std::optional<int>(6));
        QCOMPARE(StepWithWeight(*ProfileAt(25), 32), std::optional<int>(5));
        QVERIFY(!StepWithWeight(*ProfileAt(25), 0.5).has_value());
    }
};

QTEST_APPLESS_MAIN(SetByDbTest)
#include "test_set_by_db.moc"
