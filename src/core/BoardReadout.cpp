// Texts of the simulated board; see BoardReadout.h.

#include "core/BoardReadout.h"

#include "core/HexAddress.h"
#include "core/NumberText.h"
#include "port/PinMap.h"

namespace {

constexpr int kLatchLine = pins::kLatchBit; // LE5 and the parallel latch
constexpr int kSeventhStep = 6;

bool WordHasStep(ControlWord word, int member) {
    return (StepsOfWord(word)[static_cast<std::size_t>(member)]);
}

// The word's digits: the model's steps, plus the 0.25 dB step whenever the
// word sets it, so that a bit on the board is never hidden.
QString WordDigits(ControlWord word, const ModelProfile* model) {
    ModelProfile digits = model != nullptr ? *model : ModelProfile{};
    if (WordHasStep(word, kSeventhStep)) {
        digits.available[kSeventhStep] = true;
    }
    return WordBinaryText(digits, word);
}

DeviceReadout ReadoutOf(int le, ControlWord word, int loads, const ModelProfile& model) {
    DeviceReadout readout;
    readout.le = le;
    readout.word = word;
    readout.loads = loads;
    readout.binary = WordDigits(word, &model);
    readout.db = AttenuationOf(model, word);
    return readout;
}

} // namespace

QString DataLineRole(int bit) {
    switch (bit) {
    case 0:
        return QStringLiteral("clock");
    case 1:
        return QStringLiteral("data");
    case kLatchLine:
        return QStringLiteral("LE%1/latch").arg(bit - 1);
    default:
        return QStringLiteral("LE%1").arg(bit - 1);
    }
}

QString DataLineCaption(int bit) {
    return QStringLiteral("D%1\n%2").arg(bit).arg(DataLineRole(bit));
}

bool DataLineHigh(uint8_t lines, int bit) {
    return ((static_cast<unsigned>(lines) >> bit) & 1u) != 0;
}

QString LatchedWordText(ControlWord word, const ModelProfile* model, const QLocale& locale) {
    const QString binary = WordDigits(word, model);
    if (model == nullptr) {
        return QStringLiteral("%1 (no model)").arg(binary);
    }
    return QStringLiteral("%1 = %2 dB")
        .arg(binary, NumberText(AttenuationOf(*model, word), locale));
}

QString SerialDeviceText(const BoardState& board, int le, const ModelProfile* model,
                         const QLocale& locale) {
    const BoardState::Device& device = board.SerialDevice(le);
    const QString name = QStringLiteral("LE%1: ").arg(le);
    if (device.loads == 0) {
        return name + QStringLiteral("nothing latched yet");
    }
    return name + LatchedWordText(static_cast<ControlWord>(device.value), model, locale);
}

ControlWord ParallelDeviceWord(const BoardState& board) {
    return WordOfParallelLines(board.parallel.value);
}

QString ParallelDeviceText(const BoardState& board, const ModelProfile* model,
                           const QLocale& locale) {
    const QString name = QStringLiteral("PAR: ");
    if (board.parallel.loads == 0) {
        return name + QStringLiteral("nothing latched yet");
    }
    return name + LatchedWordText(ParallelDeviceWord(board), model, locale);
}

QString BoardAddressText(int32_t base) {
    return QStringLiteral("Simulated board at port %1").arg(HexAddressText(base));
}

QString BoardModelText(const ModelProfile* model) {
    if (model == nullptr) {
        return QStringLiteral("Model: none chosen in the main window");
    }
    return QStringLiteral("Model: %1").arg(model->key);
}

BoardReadout ReadBoard(const BoardState& board, const ModelProfile* model, const QLocale& locale) {
    BoardReadout readout;
    readout.lines = board.lines;
    for (int bit = 0; bit < kDataLineCount; ++bit) {
        readout.lineHigh[static_cast<std::size_t>(bit)] = DataLineHigh(readout.lines, bit);
    }
    for (int le = 1; le <= kSerialDeviceCount; ++le) {
        readout.serial[static_cast<std::size_t>(le - 1)] =
            SerialDeviceText(board, le, model, locale);
    }
    readout.parallel = ParallelDeviceText(board, model, locale);
    readout.model = BoardModelText(model);
    return readout;
}

DeviceReadout SerialDeviceReadout(const BoardState& board, int le, const ModelProfile& model) {
    if (le < 1 || le > kSerialDeviceCount) {
        DeviceReadout none;
        none.le = le;
        return none;
    }
    const BoardState::Device& device = board.SerialDevice(le);
    // The shift register holds step 5 in bit 5 down to step 0 in bit 0: the word itself.
    return ReadoutOf(le, static_cast<ControlWord>(device.value & 0x3Fu), device.loads, model);
}

DeviceReadout ParallelDeviceReadout(const BoardState& board, const ModelProfile& model) {
    return ReadoutOf(0, ParallelDeviceWord(board), board.parallel.loads, model);
}

DeviceReadout DeviceReadoutFor(const BoardState& board, const ModelProfile& model, int le) {
    return model.IsParallel() ? ParallelDeviceReadout(board, model)
                              : SerialDeviceReadout(board, le, model);
}

QString DeviceName(const DeviceReadout& readout) {
    return readout.le == 0 ? QStringLiteral("parallel") : QStringLiteral("LE%1").arg(readout.le);
}

QString ReadoutText(const DeviceReadout& readout, const QLocale& locale) {
    return QStringLiteral("%1: %2 = %3 dB")
        .arg(DeviceName(readout), readout.binary, NumberText(readout.db, locale));
}

QString LatchedText(const DeviceReadout& readout, const QLocale& locale) {
    return QStringLiteral("%1 latched %2 = %3 dB")
        .arg(DeviceName(readout), readout.binary, NumberText(readout.db, locale));
}
