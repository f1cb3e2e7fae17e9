#include "window/CheckValue.h"

#include <QCheckBox>

int16_t CheckValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void SetCheckValue(QCheckBox* box, int16_t value) {
    switch (value) {
    case 0:
        box->setCheckState(Qt::Unchecked);
        box->setTristate(false);
        break;
    case 1:
        box->setCheckState(Qt::Checked);
        box->setTristate(false);
        break;
    case 2:
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
        break;
    default:
        break;
    }
}
