#include "core/Catalogue.h"

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

// The program's own lines for the 31.75 dB parallel model with the 0.25 dB
// step: they state only what its seven steps imply.
const char* const kLine1_31_75 = "Digital Step Attenuator , 31.75 dB , Step 0.25 dB";
const char* const kLine2_Parallel7 = "7 bit Parallel Data Interface";

struct RawRow {
    const char* key;
    const char* afterKey; // what the list entry shows behind "key;"
    InterfaceClass interfaceClass;
    const char* line1;
    const char* line2;
    WeightSet weights;
    StepLayout layout;
    bool seventhStep;
};

constexpr InterfaceClass kSer = InterfaceClass::Serial;
constexpr InterfaceClass kPar = InterfaceClass::Parallel;
constexpr WeightSet kStd = WeightSet::Standard;
constexpr WeightSet kDbl = WeightSet::Doubled;
constexpr StepLayout kAll = StepLayout::AllButton;
constexpr StepLayout kNo16 = StepLayout::No16Button;
constexpr StepLayout kNo05 = StepLayout::No05Button;
constexpr bool k7th = true;
constexpr bool kNo7th = false;

// In list order. What follows a key's ";" is only shown: position 5 has a blank
// before its parenthesis, position 24 names the chip and board of position 23,
// position 25 ends at its ";", position 27 has two blanks behind it.
// clang-format off
const RawRow kRawRows[] = {
    {"VK58-Q1-S1", " KTN-Q1-S1(JW-101)", kSer, kLine1_50Ohm15_5, kLine2_Serial5Single, kStd, kNo16, kNo7th},
    {"VK58-Q2-S1", " KTN-Q2-S1(JW-102)", kSer, kLine1_75Ohm15_5, kLine2_Serial5Single, kStd, kNo16, kNo7th},
    {"VK58-Q3-S1", " KTN-Q3-S1(JW-101)", kSer, kLine1_50Ohm31, kLine2_Serial5Single, kStd, kNo05, kNo7th},
    {"VK58-Q4-S1", " KTN-Q4-S1(JW-102)", kSer, kLine1_75Ohm31, kLine2_Serial5Single, kStd, kNo05, kNo7th},
    {"VK58-Q5-S1", " KTN-Q5-S1(JW-101)", kSer, kLine1_50Ohm31_5, kLine2_Serial6Single, kStd, kAll, kNo7th},
    {"VK58-Q6-S1", " KTN-Q6-S1 (JW-102)", kSer, kLine1_75Ohm31_5, kLine2_Serial6Single, kStd, kAll, kNo7th},
    {"VK58-Q1-S2", " KTN-Q1-S2(JW-103)", kSer, kLine1_50Ohm15_5, kLine2_Serial5Dual, kStd, kNo16, kNo7th},
    {"VK58-Q2-S2", " KTN-Q2-S2(JW-104)", kSer, kLine1_75Ohm15_5, kLine2_Serial5Dual, kStd, kNo16, kNo7th},
    {"VK58-Q3-S2", " KTN-Q3-S2(JW-103)", kSer, kLine1_50Ohm31, kLine2_Serial5Dual, kStd, kNo05, kNo7th},
    {"VK58-Q4-S2", " KTN-Q4-S2(JW-104)", kSer, kLine1_75Ohm31, kLine2_Serial5Dual, kStd, kNo05, kNo7th},
    {"VK58-Q5-S2", " KTN-Q5-S2(JW-103)", kSer, kLine1_50Ohm31_5, kLine2_Serial6Dual, kStd, kAll, kNo7th},
    {"VK58-Q6-S2", " KTN-Q6-S2(JW-104)", kSer, kLine1_75Ohm31_5, kLine2_Serial6Dual, kStd, kAll, kNo7th},
    {"VK58-Q1-P1", " KTN-Q1-P1(JW-105)", kPar, kLine1_50Ohm15_5, kLine2_Parallel5Single, kStd, kNo16, kNo7th},
    {"VK58-Q2-P1", " KTN-Q2-P1(JW-106)", kPar, kLine1_75Ohm15_5, kLine2_Parallel5Single, kStd, kNo16, kNo7th},
    {"VK58-Q3-P1", " KTN-Q3-P1(JW-105)", kPar, kLine1_50Ohm31, kLine2_Parallel5Single, kStd, kNo05, kNo7th},
    {"VK58-Q4-P1", " KTN-Q4-P1(JW-106)", kPar, kLine1_75Ohm31, kLine2_Parallel5Single, kStd, kNo05, kNo7th},
    {"VK58-Q5-P1", " KTN-Q5-P1(JW-105)", kPar, kLine1_50Ohm31_5, kLine2_Parallel6Single, kStd, kAll, kNo7th},
    {"VK58-Q6-P1", " KTN-Q6-P1(JW-106)", kPar, kLine1_75Ohm31_5, kLine2_Parallel6Single, kStd, kAll, kNo7th},
    {"VK58-Q1-P2", " KTN-Q1-P2(JW-107)", kPar, kLine1_50Ohm15_5, kLine2_Parallel5Dual, kStd, kNo16, kNo7th},
    {"VK58-Q2-P2", " KTN-Q2-P2(JW-108)", kPar, kLine1_75Ohm15_5, kLine2_Parallel5Dual, kStd, kNo16, kNo7th},
    {"VK58-Q3-P2", " KTN-Q3-P2(JW-107)", kPar, kLine1_50Ohm31, kLine2_Parallel5Dual, kStd, kNo05, kNo7th},
    {"VK58-Q4-P2", " KTN-Q4-P2(JW-108)", kPar, kLine1_75Ohm31, kLine2_Parallel5Dual, kStd, kNo05, kNo7th},
    {"VK58-Q5-P2", " KTN-Q5-P2(JW-107)", kPar, kLine1_50Ohm31_5, kLine2_Parallel6Dual, kStd, kAll, kNo7th},
    {"VK58-Q6-P2", " KTN-Q6-P2(JW-108)", kPar, kLine1_75Ohm31_5, kLine2_Parallel6Dual, kStd, kAll, kNo7th},
    // The program's own lines for this model: without them, choosing it would
    // leave the previous model's description and step layout on screen.
    {"VK58-Q7-P1", " KTN-Q6-P2(JW-108)", kPar, kLine1_31_75, kLine2_Parallel7, kStd, kAll, k7th},
    {"2VK58-Q8-P1", "", kPar, kLine1_50Ohm63, kLine2_Parallel6Single, kDbl, kAll, kNo7th},
    {"GMX1-40", " (JW-109)", kSer, kLine1_Gain30, kLine2_Amplifier, kStd, kAll, kNo7th},
    {"GMX2-20", "  (JW-110)", kSer, kLine1_Gain19, kLine2_Amplifier, kStd, kAll, kNo7th},
};
// clang-format on

} // namespace

const std::vector<CatalogueRow>& CatalogueRows() {
    static const std::vector<CatalogueRow> rows = [] {
        std::vector<CatalogueRow> built;
        built.reserve(std::size(kRawRows));
        for (const RawRow& raw : kRawRows) {
            const QString key = QString::fromLatin1(raw.key);
            built.push_back({key, key + QLatin1Char(';') + QString::fromLatin1(raw.afterKey),
                             raw.interfaceClass, QString::fromLatin1(raw.line1),
                             QString::fromLatin1(raw.line2), raw.weights, raw.layout,
                             raw.seventhStep});
        }
        return built;
    }();
    return rows;
}

const QStringList& CatalogueDisplayTexts() {
    static const QStringList texts = [] {
        QStringList built;
        for (const CatalogueRow& row : CatalogueRows()) {
            built.append(row.displayText);
        }
        return built;
    }();
    return texts;
}
