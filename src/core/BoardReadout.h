#pragma once
// What the simulated board's devices latched, in the words a user reads: the
// device's line, the control word in binary and the attenuation it means
// ("LE3: 001110 = 7 dB"). Shared by every front end that shows the test board.

#include <QLocale>
#include <QString>

#include "core/ControlWord.h"
#include "core/ModelProfile.h"

class BoardDecoder;

struct DeviceReadout {
    int le = 0;           // LE line 1 to 6; 0 for the parallel device
    ControlWord word = 0; // bit i is step member i
    QString binary;       // WordBinaryText of the word for the model
    double db = 0.0;      // the attenuation the word means on the model
    int loads = 0;        // how many times the device was loaded
};

// The device on LE line `le` (1 to 6), read as a device of `model`.
DeviceReadout SerialDeviceReadout(const BoardDecoder& board, int le, const ModelProfile& model);
// The parallel device, read as a device of `model`.
DeviceReadout ParallelDeviceReadout(const BoardDecoder& board, const ModelProfile& model);
// The device `model` is loaded through: LE line `le` for a serial model, the
// parallel device for a parallel one.
DeviceReadout DeviceReadoutFor(const BoardDecoder& board, const ModelProfile& model, int le);

// "LE3" or "parallel".
QString DeviceName(const DeviceReadout& readout);
// "LE3: 001110 = 7 dB"
QString ReadoutText(const DeviceReadout& readout, const QLocale& locale = QLocale());
// "LE3 latched 001110 = 7 dB"
QString LatchedText(const DeviceReadout& readout, const QLocale& locale = QLocale());
