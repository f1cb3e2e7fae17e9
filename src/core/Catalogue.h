#pragma once
// The fixed model catalogue: one row per entry of the model list, in list
// order, holding every fact the program knows about that model. Nothing reads
// these rows but ModelProfile (core/ModelProfile.h), which every front end asks.

#include <QString>
#include <QStringList>
#include <vector>

enum class InterfaceClass { Serial, Parallel };
enum class StepLayout { AllButton, No16Button, No05Button };
enum class WeightSet { Standard, Doubled };

struct CatalogueRow {
    QString key;                   // the display text in front of its ";"
    QString displayText;           // the list entry, "key;" and what follows
    InterfaceClass interfaceClass; // the protocol its board is driven with
    QString line1;                 // caption of Label5
    QString line2;                 // caption of Label6 ("&&" shows as one "&")
    WeightSet weights;             // step weights and weight-label captions
    StepLayout layout;             // which of the outer steps it has
    bool seventhStep;              // has the 0.25 dB step
};

// The 28 rows in list order.
const std::vector<CatalogueRow>& CatalogueRows();

// The 28 display texts of the model list, in list order.
const QStringList& CatalogueDisplayTexts();
