#pragma once
// The simulated board put into words: what each of the eight data lines does,
// and for each device on the board the word it latched and the attenuation that
// word sets on a model ("LE3: 001110 = 7 dB"). The Test board window shows these
// texts and the command line prints them; neither words them on its own.

#include <QLocale>
#include <QString>
#include <array>
#include <cstdint>

#include "core/Board.h"
#include "core/ControlWord.h"
#include "core/ModelProfile.h"

constexpr int kDataLineCount = 8;
constexpr int kSerialDeviceCount = 6;

// The role of data line D`bit` (0 to 7) on the board: "clock", "data", "LE1" to
// "LE6", with D6 also the parallel latch ("LE5/latch").
QString DataLineRole(int bit);
// "D0\nclock", the caption under a line's lamp.
QString DataLineCaption(int bit);
bool DataLineHigh(uint8_t lines, int bit);

// What `word` means on `model`: "001110 = 7 dB" in the user's number form.
// Without a model only the digits and "(no model)". The digits follow the
// model; the 0.25 dB step is shown whenever the word sets it.
QString LatchedWordText(ControlWord word, const ModelProfile* model,
                        const QLocale& locale = QLocale());

// One device on the board: "LE3: 001110 = 7 dB", "PAR: 0001110 = 7 dB", or
// "LE3: nothing latched yet".
QString SerialDeviceText(const BoardState& board, int le, const ModelProfile* model,
                         const QLocale& locale = QLocale());
QString ParallelDeviceText(const BoardState& board, const ModelProfile* model,
                           const QLocale& locale = QLocale());

// The word the parallel device holds (its latched lines without D6, as steps).
ControlWord ParallelDeviceWord(const BoardState& board);

// "Simulated board at port 378", the address as typed in the address box.
QString BoardAddressText(int32_t base);
// "Model: VK58-Q3-S1", or that no model is chosen.
QString BoardModelText(const ModelProfile* model);

// Everything a display of the board shows at one moment.
struct BoardReadout {
    uint8_t lines = 0;
    std::array<bool, kDataLineCount> lineHigh{};
    std::array<QString, kSerialDeviceCount> serial; // LE1 to LE6
    QString parallel;
    QString model;
};
BoardReadout ReadBoard(const BoardState& board, const ModelProfile* model,
                       const QLocale& locale = QLocale());

// One device's latched word as values, for a front end that reports it after
// each Load (the command line's text and JSON).
struct DeviceReadout {
    int le = 0;           // LE line 1 to 6; 0 for the parallel device
    ControlWord word = 0; // bit i is step member i
    QString binary;       // the word's digits, as LatchedWordText writes them
    double db = 0.0;      // the attenuation the word means on the model
    int loads = 0;        // how many times the device was loaded
};

// The device on LE line `le` (1 to 6), read as a device of `model`.
DeviceReadout SerialDeviceReadout(const BoardState& board, int le, const ModelProfile& model);
// The parallel device, read as a device of `model`.
DeviceReadout ParallelDeviceReadout(const BoardState& board, const ModelProfile& model);
// The device `model` is loaded through: LE line `le` for a serial model, the
// parallel device for a parallel one.
DeviceReadout DeviceReadoutFor(const BoardState& board, const ModelProfile& model, int le);

// "LE3" or "parallel".
QString DeviceName(const DeviceReadout& readout);
// "LE3: 001110 = 7 dB"
QString ReadoutText(const DeviceReadout& readout, const QLocale& locale = QLocale());
// "LE3 latched 001110 = 7 dB"
QString LatchedText(const DeviceReadout& readout, const QLocale& locale = QLocale());
