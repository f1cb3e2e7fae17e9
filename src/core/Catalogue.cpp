#include "core/Catalogue.h"

#include <algorithm>

namespace {

// Description line 1 (Label5).
const char* const kLine1_50Ohm15_5 = "50 Ohm Digital Step Attenuator , 15.5 dB , Step 0.5 dB";
const char* const kLine1_75Ohm15_5 = "75 Ohm Digital Step Attenuator , 15.5 dB , Step 0.5 dB";
const char* const kLine1_50Ohm31 = "50 Ohm Digital Step Attenuator , 31 dB , Step 1 dB";
const char* const kLine1_75Ohm31 = "75 Ohm Digital Step Attenuator , 31 dB , Step 1 dB";
const char* const kLine1_50Ohm31_5 = "50 Ohm Digital Step Attenuator , 31.5 dB , Step 0.5 dB";
const char* const kLine1_75Ohm31_5 = "75 Ohm Digital Step Attenuator , 31.5 dB , Step 0.5 dB";
const char* const kLine1_50Ohm63 = "50 Ohm Digital Step Attenuator , 63 dB , Step 1 dB";
const char* const kLine1_Gain30 =
    "Digital Controlled Variable Gain Amplifier, Gain 30 dB Attenuation: 31.5dB,";
const char* const kLine1_Gain19 =
    "Digital Controlled Variable Gain Amplifier, Gain 19 dB Attenuation: 31.5dB,";

// Description line 2 (Label6).
const char* const kLine2_Serial5Single =
    "5 bit Serial Data Interface , Single positive Supply Voltage , +3V";
const char* const kLine2_Serial6Single =
    "6 bit Serial Data Interface , Single positive Supply Voltage , +3V";
const char* const kLine2_Serial5Dual =
    "5 bit Serial Data Interface , Dual Supply Voltage :Positive (+3V) && Negative (-3V)";
const char* const kLine2_Serial6Dual =
    "6 bit Serial Data Interface , Dual Supply Voltage :Positive (+3V) && Negative (-3V)";
const char* const kLine2_Parallel5Single =
    "5 bit Parallel Data Interface , Single positive Supply Voltage , +3V";
const char* const kLine2_Parallel6Single =
    "6 bit Parallel Data Interface , Single positive Supply Voltage , +3V";
const char* const kLine2_Parallel5Dual =
    "5 bit Parallel Data Interface , Dual Supply Voltage :Positive (+3V) && Negative (-3V)";
const char* const kLine2_Parallel6Dual =
    "6 bit Parallel Data Interface , Dual Supply Voltage :Positive (+3V) && Negative (-3V)";
const char* const kLine2_Amplifier = "Step 0.5 dB.  6 Bit Serial Interface, Supply Voltage: +5V.";

// Lines of the program's own row for the 31.75 dB parallel model with the
// 0.25 dB step: they state only what its seven steps imply.
const char* const kLine1_31_75 = "Digital Step Attenuator , 31.75 dB , Step 0.25 dB";
const char* const kLine2_Parallel7 = "7 bit Parallel Data Interface";

struct RawRow {
    const char* key;
    const char* line1;
    const char* line2;
    WeightSet weights;
    StepLayout layout;
};

constexpr WeightSet kStd = WeightSet::Standard;
constexpr StepLayout kAll = StepLayout::AllButton;
constexpr StepLayout kNo16 = StepLayout::No16Button;
constexpr StepLayout kNo05 = StepLayout::No05Button;

const RawRow kRawRows[] = {
    {"VK58-Q1-S1", kLine1_50Ohm15_5, kLine2_Serial5Single, kStd, kNo16},
    {"VK58-Q2-S1", kLine1_75Ohm15_5, kLine2_Serial5Single, kStd, kNo16},
    {"VK58-Q3-S1", kLine1_50Ohm31, kLine2_Serial5Single, kStd, kNo05},
    {"VK58-Q4-S1", kLine1_75Ohm31, kLine2_Serial5Single, kStd, kNo05},
    {"VK58-Q5-S1", kLine1_50Ohm31_5, kLine2_Serial6Single, kStd, kAll},
    {"VK58-Q6-S1", kLine1_75Ohm31_5, kLine2_Serial6Single, kStd, kAll},
    {"VK58-Q1-S2", kLine1_50Ohm15_5, kLine2_Serial5Dual, kStd, kNo16},
    {"VK58-Q2-S2", kLine1_75Ohm15_5, kLine2_Serial5Dual, kStd, kNo16},
    {"VK58-Q3-S2", kLine1_50Ohm31, kLine2_Serial5Dual, kStd, kNo05},
    {"VK58-Q4-S2", kLine1_75Ohm31, kLine2_Serial5Dual, kStd, kNo05},
    {"VK58-Q5-S2", kLine1_50Ohm31_5, kLine2_Serial6Dual, kStd, kAll},
    {"VK58-Q6-S2", kLine1_75Ohm31_5, kLine2_Serial6Dual, kStd, kAll},
    {"VK58-Q1-P1", kLine1_50Ohm15_5, kLine2_Parallel5Single, kStd, kNo16},
    {"VK58-Q2-P1", kLine1_75Ohm15_5, kLine2_Parallel5Single, kStd, kNo16},
    {"VK58-Q3-P1", kLine1_50Ohm31, kLine2_Parallel5Single, kStd, kNo05},
    {"VK58-Q4-P1", kLine1_75Ohm31, kLine2_Parallel5Single, kStd, kNo05},
    {"VK58-Q5-P1", kLine1_50Ohm31_5, kLine2_Parallel6Single, kStd, kAll},
    {"VK58-Q6-P1", kLine1_75Ohm31_5, kLine2_Parallel6Single, kStd, kAll},
    {"VK58-Q1-P2", kLine1_50Ohm15_5, kLine2_Parallel5Dual, kStd, kNo16},
    {"VK58-Q2-P2", kLine1_75Ohm15_5, kLine2_Parallel5Dual, kStd, kNo16},
    {"VK58-Q3-P2", kLine1_50Ohm31, kLine2_Parallel5Dual, kStd, kNo05},
    {"VK58-Q4-P2", kLine1_75Ohm31, kLine2_Parallel5Dual, kStd, kNo05},
    {"VK58-Q5-P2", kLine1_50Ohm31_5, kLine2_Parallel6Dual, kStd, kAll},
    {"VK58-Q6-P2", kLine1_75Ohm31_5, kLine2_Parallel6Dual, kStd, kAll},
    // The program's own row: without it, choosing this entry would leave the
    // previous model's description and step layout on screen.
    {"VK58-Q7-P1", kLine1_31_75, kLine2_Parallel7, kStd, kAll},
    {"2VK58-Q8-P1", kLine1_50Ohm63, kLine2_Parallel6Single, WeightSet::Doubled, kAll},
    {"GMX1-40", kLine1_Gain30, kLine2_Amplifier, kStd, kAll},
    {"GMX2-20", kLine1_Gain19, kLine2_Amplifier, kStd, kAll},
};

constexpr int kFirstParallelPosition = 12;
constexpr int kLastParallelPosition = 25;

} // namespace

const QStringList& CatalogueDisplayTexts() {
    static const QStringList texts = {
        QStringLiteral("VK58-Q1-S1; KTN-Q1-S1(JW-101)"),
        QStringLiteral("VK58-Q2-S1; KTN-Q2-S1(JW-102)"),
        QStringLiteral("VK58-Q3-S1; KTN-Q3-S1(JW-101)"),
        QStringLiteral("VK58-Q4-S1; KTN-Q4-S1(JW-102)"),
        QStringLiteral("VK58-Q5-S1; KTN-Q5-S1(JW-101)"),
        QStringLiteral("VK58-Q6-S1; KTN-Q6-S1 (JW-102)"),
        QStringLiteral("VK58-Q1-S2; KTN-Q1-S2(JW-103)"),
        QStringLiteral("VK58-Q2-S2; KTN-Q2-S2(JW-104)"),
        QStringLiteral("VK58-Q3-S2; KTN-Q3-S2(JW-103)"),
        QStringLiteral("VK58-Q4-S2; KTN-Q4-S2(JW-104)"),
        QStringLiteral("VK58-Q5-S2; KTN-Q5-S2(JW-103)"),
        QStringLiteral("VK58-Q6-S2; KTN-Q6-S2(JW-104)"),
        QStringLiteral("VK58-Q1-P1; KTN-Q1-P1(JW-105)"),
        QStringLiteral("VK58-Q2-P1; KTN-Q2-P1(JW-106)"),
        QStringLiteral("VK58-Q3-P1; KTN-Q3-P1(JW-105)"),
        QStringLiteral("VK58-Q4-P1; KTN-Q4-P1(JW-106)"),
        QStringLiteral("VK58-Q5-P1; KTN-Q5-P1(JW-105)"),
        QStringLiteral("VK58-Q6-P1; KTN-Q6-P1(JW-106)"),
        QStringLiteral("VK58-Q1-P2; KTN-Q1-P2(JW-107)"),
        QStringLiteral("VK58-Q2-P2; KTN-Q2-P2(JW-108)"),
        QStringLiteral("VK58-Q3-P2; KTN-Q3-P2(JW-107)"),
        QStringLiteral("VK58-Q4-P2; KTN-Q4-P2(JW-108)"),
        QStringLiteral("VK58-Q5-P2; KTN-Q5-P2(JW-107)"),
        QStringLiteral("VK58-Q6-P2; KTN-Q6-P2(JW-108)"),
        QStringLiteral("VK58-Q7-P1; KTN-Q6-P2(JW-108)"),
        QStringLiteral("2VK58-Q8-P1;"),
        QStringLiteral("GMX1-40; (JW-109)"),
        QStringLiteral("GMX2-20;  (JW-110)"),
    };
    return texts;
}

const std::vector<KeyRow>& CatalogueKeyRows() {
    static const std::vector<KeyRow> rows = [] {
        std::vector<KeyRow> built;
        built.reserve(std::size(kRawRows));
        for (const RawRow& raw : kRawRows) {
            built.push_back({QString::fromLatin1(raw.key), QString::fromLatin1(raw.line1),
                             QString::fromLatin1(raw.line2), raw.weights, raw.layout});
        }
        return built;
    }();
    return rows;
}

std::optional<QString> ModelKey(const QString& comboText) {
    const qsizetype semicolon = comboText.indexOf(QLatin1Char(';'));
    if (semicolon < 0) {
        return std::nullopt;
    }
    return comboText.left(semicolon);
}

const KeyRow* FindKeyRow(const QString& key) {
    const std::vector<KeyRow>& rows = CatalogueKeyRows();
    const auto found = std::find_if(rows.begin(), rows.end(), [&key](const KeyRow& row) {
        return row.key.compare(key, Qt::CaseSensitive) == 0;
    });
    return found == rows.end() ? nullptr : &*found;
}

InterfaceClass InterfaceClassOf(int listPosition) {
    const bool parallel =
        listPosition >= kFirstParallelPosition && listPosition <= kLastParallelPosition;
    return parallel ? InterfaceClass::Parallel : InterfaceClass::Serial;
}

bool HasSeventhStep(const QString& comboText) {
    return comboText.contains(QLatin1String("VK58-Q7"), Qt::CaseSensitive);
}

bool IsCascadedModel(const QString& comboText) {
    return comboText.contains(QLatin1String("2VK58-Q8-P1"), Qt::CaseSensitive);
}
