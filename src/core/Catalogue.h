#pragma once
// The fixed model catalogue: the entries of the model list, the key rows with
// each model's description lines, weight set and step layout, and the rules
// that read a model's interface class, seventh step and multiplier.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

enum class InterfaceClass { Serial, Parallel };
enum class StepLayout { AllButton, No16Button, No05Button };
enum class WeightSet { Standard, Doubled };

struct KeyRow {
    QString key;
    QString line1; // caption of Label5
    QString line2; // caption of Label6 ("&&" shows as one "&")
    WeightSet weights;
    StepLayout layout;
};

// The 28 display texts of the model list, in list order.
const QStringList& CatalogueDisplayTexts();

// One row per supported model key.
const std::vector<KeyRow>& CatalogueKeyRows();

// The text in front of the first ";" of a combo box text, unchanged (no
// trimming, case kept); nullopt when the text holds no ";".
std::optional<QString> ModelKey(const QString& comboText);

// The key row whose key equals `key` exactly (case-sensitive); nullptr if none.
const KeyRow* FindKeyRow(const QString& key);

// Interface class of a list position: 12 to 25 are parallel, every other
// position (including -1 for no selected entry) is serial.
InterfaceClass InterfaceClassOf(int listPosition);

// True when the model has the 0.25 dB step: the text contains "VK58-Q7" anywhere.
bool HasSeventhStep(const QString& comboText);

// True for the cascaded 63 dB model, whose step weights are all doubled.
bool IsCascadedModel(const QString& comboText);
