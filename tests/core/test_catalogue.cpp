// The model catalogue against the published model table: list texts, keys,
// interface ranges, description lines, weight sets and layouts; and the rules on
// typed text against the rows.

#include <QSet>
#include <QtTest>

#include "core/Catalogue.h"
#include "core/ModelProfile.h"

namespace {

const QString A1 = "50 Ohm Digital Step Attenuator , 15.5 dB , Step 0.5 dB";
const QString A2 = "75 Ohm Digital Step Attenuator , 15.5 dB , Step 0.5 dB";
const QString A3 = "50 Ohm Digital Step Attenuator , 31 dB , Step 1 dB";
const QString A4 = "75 Ohm Digital Step Attenuator , 31 dB , Step 1 dB";
const QString A5 = "50 Ohm Digital Step Attenuator , 31.5 dB , Step 0.5 dB";
const QString A6 = "75 Ohm Digital Step Attenuator , 31.5 dB , Step 0.5 dB";
const QString A7 = "50 Ohm Digital Step Attenuator , 63 dB , Step 1 dB";
const QString A8 = "Digital Controlled Variable Gain Amplifier, Gain 30 dB Attenuation: 31.5dB,";
const QString A9 = "Digital Controlled Variable Gain Amplifier, Gain 19 dB Attenuation: 31.5dB,";

const QString B1 = "5 bit Serial Data Interface , Single positive Supply Voltage , +3V";
const QString B2 = "6 bit Serial Data Interface , Single positive Supply Voltage , +3V";
const QString B3 =
    "5 bit Serial Data Interface , Dual Supply Voltage :Positive (+3V) && Negative (-3V)";
const QString B4 =
    "6 bit Serial Data Interface , Dual Supply Voltage :Positive (+3V) && Negative (-3V)";
const QString B5 = "5 bit Parallel Data Interface , Single positive Supply Voltage , +3V";
const QString B6 = "6 bit Parallel Data Interface , Single positive Supply Voltage , +3V";
const QString B7 =
    "5 bit Parallel Data Interface , Dual Supply Voltage :Positive (+3V) && Negative (-3V)";
const QString B8 =
    "6 bit Parallel Data Interface , Dual Supply Voltage :Positive (+3V) && Negative (-3V)";
const QString B9 = "Step 0.5 dB.  6 Bit Serial Interface, Supply Voltage: +5V.";

constexpr auto S = InterfaceClass::Serial;
constexpr auto P = InterfaceClass::Parallel;
constexpr auto Std = WeightSet::Standard;
constexpr auto All = StepLayout::AllButton;
constexpr auto No16 = StepLayout::No16Button;
constexpr auto No05 = StepLayout::No05Button;

struct Entry {
    const char* display;
    const char* key;
    InterfaceClass iface;
    QString line1;
    QString line2;
    WeightSet weights;
    StepLayout layout;
};

const Entry kEntries[] = {
    {"VK58-Q1-S1; KTN-Q1-S1(JW-101)", "VK58-Q1-S1", S, A1, B1, Std, No16},
    {"VK58-Q2-S1; KTN-Q2-S1(JW-102)", "VK58-Q2-S1", S, A2, B1, Std, No16},
    {"VK58-Q3-S1; KTN-Q3-S1(JW-101)", "VK58-Q3-S1", S, A3, B1, Std, No05},
    {"VK58-Q4-S1; KTN-Q4-S1(JW-102)", "VK58-Q4-S1", S, A4, B1, Std, No05},
    {"VK58-Q5-S1; KTN-Q5-S1(JW-101)", "VK58-Q5-S1", S, A5, B2, Std, All},
    {"VK58-Q6-S1; KTN-Q6-S1 (JW-102)", "VK58-Q6-S1", S, A6, B2, Std, All},
    {"VK58-Q1-S2; KTN-Q1-S2(JW-103)", "VK58-Q1-S2", S, A1, B3, Std, No16},
    {"VK58-Q2-S2; KTN-Q2-S2(JW-104)", "VK58-Q2-S2", S, A2, B3, Std, No16},
    {"VK58-Q3-S2; KTN-Q3-S2(JW-103)", "VK58-Q3-S2", S, A3, B3, Std, No05},
    {"VK58-Q4-S2; KTN-Q4-S2(JW-104)", "VK58-Q4-S2", S, A4, B3, Std, No05},
    {"VK58-Q5-S2; KTN-Q5-S2(JW-103)", "VK58-Q5-S2", S, A5, B4, Std, All},
    {"VK58-Q6-S2; KTN-Q6-S2(JW-104)", "VK58-Q6-S2", S, A6, B4, Std, All},
    {"VK58-Q1-P1; KTN-Q1-P1(JW-105)", "VK58-Q1-P1", P, A1, B5, Std, No16},
    {"VK58-Q2-P1; KTN-Q2-P1(JW-106)", "VK58-Q2-P1", P, A2, B5, Std, No16},
    {"VK58-Q3-P1; KTN-Q3-P1(JW-105)", "VK58-Q3-P1", P, A3, B5, Std, No05},
    {"VK58-Q4-P1; KTN-Q4-P1(JW-106)", "VK58-Q4-P1", P, A4, B5, Std, No05},
    {"VK58-Q5-P1; KTN-Q5-P1(JW-105)", "VK58-Q5-P1", P, A5, B6, Std, All},
    {"VK58-Q6-P1; KTN-Q6-P1(JW-106)", "VK58-Q6-P1", P, A6, B6, Std, All},
    {"VK58-Q1-P2; KTN-Q1-P2(JW-107)", "VK58-Q1-P2", P, A1, B7, Std, No16},
    {"VK58-Q2-P2; KTN-Q2-P2(JW-108)", "VK58-Q2-P2", P, A2, B7, Std, No16},
    {"VK58-Q3-P2; KTN-Q3-P2(JW-107)", "VK58-Q3-P2", P, A3, B7, Std, No05},
    {"VK58-Q4-P2; KTN-Q4-P2(JW-108)", "VK58-Q4-P2", P, A4, B7, Std, No05},
    {"VK58-Q5-P2; KTN-Q5-P2(JW-107)", "VK58-Q5-P2", P, A5, B8, Std, All},
    {"VK58-Q6-P2; KTN-Q6-P2(JW-108)", "VK58-Q6-P2", P, A6, B8, Std, All},
    {"VK58-Q7-P1; KTN-Q6-P2(JW-108)", "VK58-Q7-P1", P,
     "Digital Step Attenuator , 31.75 dB , Step 0.25 dB", "7 bit Parallel Data Interface", Std,
     All},
    {"2VK58-Q8-P1;", "2VK58-Q8-P1", P, A7, B6, WeightSet::Doubled, All},
    {"GMX1-40; (JW-109)", "GMX1-40", S, A8, B9, Std, All},
    {"GMX2-20;  (JW-110)", "GMX2-20", S, A9, B9, Std, All},
};

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void listEntryAndItsRow_data() {
        QTest::addColumn<int>("position");
        int position = 0;
        for (const Entry& entry : kEntries) {
            QTest::addRow("%d %s", position, entry.key) << position;
            ++position;
        }
    }

    // Every list entry: exact text, key, interface class, the row it selects, and
    // the same facts read from its text.
    void listEntryAndItsRow() {
        QFETCH(int, position);
        const Entry& expected = kEntries[position];
        const QStringList& texts = CatalogueDisplayTexts();
        QCOMPARE(texts.size(), 28);
        QCOMPARE(texts.at(position), QString::fromLatin1(expected.display));

        const std::optional<QString> key = ModelKey(texts.at(position));
        QVERIFY(key.has_value());
        QCOMPARE(*key, QString::fromLatin1(expected.key));
        QCOMPARE(ProfileAt(position)->interfaceClass, expected.iface);

        const ModelProfile* row = ProfileForComboText(texts.at(position));
        QVERIFY(row != nullptr);
        QCOMPARE(row->key, *key);
        QCOMPARE(row->line1, expected.line1);
        QCOMPARE(row->line2, expected.line2);
        QCOMPARE(row->weightSet, expected.weights);
        QCOMPARE(row->layout, expected.layout);
        QCOMPARE(row, ProfileAt(position));
        QCOMPARE(ProfileForComboBox(-1, texts.at(position)), row);

        // The rules on text, which also serve typed and edited texts, read from
        // the entry's text what its row holds.
        const ModelProfile fromText = ProfileOfText(texts.at(position));
        QCOMPARE(fromText.position, row->position);
        QCOMPARE(fromText.displayText, row->displayText);
        QCOMPARE(fromText.key, row->key);
        QCOMPARE(fromText.interfaceClass, row->interfaceClass);
        QCOMPARE(fromText.weightSet, row->weightSet);
        QCOMPARE(fromText.layout, row->layout);
        QCOMPARE(fromText.seventhStep, row->seventhStep);
        QCOMPARE(fromText.line1, row->line1);
        QCOMPARE(fromText.line2, row->line2);
        QVERIFY(fromText.weights == row->weights);
        QVERIFY(fromText.available == row->available);
        QCOMPARE(fromText.availableMask, row->availableMask);
        QCOMPARE(fromText.maxDb, row->maxDb);
        QCOMPARE(fromText.resolutionDb, row->resolutionDb);
    }

    void rowsAreOnePerEntryWithDistinctKeys() {
        QSet<QString> keys;
        for (const CatalogueRow& row : CatalogueRows()) {
            keys.insert(row.key);
        }
        QCOMPARE(CatalogueRows().size(), std::size_t{28});
        QCOMPARE(keys.size(), 28);
    }

    void keyExtraction() {
        QCOMPARE(ModelKey("Choose KTN Model"), std::nullopt);
        QCOMPARE(ModelKey(""), std::nullopt);
        QCOMPARE(ModelKey("GMX1-40;a;b"), std::optional<QString>("GMX1-40"));
        // No trimming: blanks stay part of the key, so it matches nothing.
        QCOMPARE(ModelKey(" VK58-Q1-S1 ;"), std::optional<QString>(" VK58-Q1-S1 "));
        QVERIFY(!ProfileForComboText(" VK58-Q1-S1 ;"));
    }

    void keysMatchExactlyOnly() {
        QVERIFY(!ProfileForComboText("vk58-q1-s1;"));
        QVERIFY(!ProfileForComboText("gmx1-40;"));
        QVERIFY(!ProfileForComboText("VK58-Q1;"));
        QVERIFY(!ProfileForComboText("VK58-Q1-S1X;"));
        // ";" first gives the empty key.
        QCOMPARE(ModelKey(";VK58-Q1-S1"), std::optional<QString>(""));
        QVERIFY(!ProfileForComboText(";VK58-Q1-S1"));
    }

    void interfaceClassOutsideTheList() {
        QCOMPARE(InterfaceForComboBox(-1, "Choose KTN Model"), InterfaceClass::Serial);
        QCOMPARE(InterfaceForComboBox(28, "Choose KTN Model"), InterfaceClass::Serial);
        QCOMPARE(InterfaceForComboBox(-32768, "Choose KTN Model"), InterfaceClass::Serial);
    }

    void seventhStepAndCascadedModel() {
        const QStringList& texts = CatalogueDisplayTexts();
        for (int position = 0; position < texts.size(); ++position) {
            QCOMPARE(ProfileOfText(texts.at(position)).seventhStep, position == 24);
            QCOMPARE(ProfileOfText(texts.at(position)).weightSet == WeightSet::Doubled,
                     position == 25);
        }
        QVERIFY(ProfileOfText("GMX1-40; board VK58-Q7").seventhStep);
        // An edited text keeps its key's row and takes the two facts it names.
        const ModelProfile edited = ProfileOfText("GMX1-40; 2VK58-Q8-P1 VK58-Q7");
        QCOMPARE(edited.line1, A8);
        QCOMPARE(edited.interfaceClass, S);
        QCOMPARE(edited.weights[5], 32.0);
        QCOMPARE(edited.availableMask, uint8_t{0x7F});
        QCOMPARE(ProfileForComboText("GMX1-40; 2VK58-Q8-P1")->weightSet, Std);
        QVERIFY(ProfileOfText("xVK58-Q7y").seventhStep);
        QVERIFY(!ProfileOfText("vk58-q7-p1;").seventhStep);
        QVERIFY(ProfileOfText("Choose 2VK58-Q8-P1").weightSet == WeightSet::Doubled);
        QVERIFY(ProfileOfText("2vk58-q8-p1;").weightSet != WeightSet::Doubled);
        QVERIFY(ProfileOfText("VK58-Q8-P1;").weightSet != WeightSet::Doubled);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
