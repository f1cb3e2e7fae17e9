// The simulated board's latched words as the user reads them.
#include "core/BoardReadout.h"

#include "core/NumberText.h"
#include "port/SimulatedBoard.h"

DeviceReadout SerialDeviceReadout(const BoardDecoder& board, int le, const ModelProfile& model) {
    DeviceReadout readout;
    readout.le = le;
    if (le < 1 || le > 6) {
        return readout;
    }
    const BoardDecoder::Latched& device = board.SerialDevice(le);
    // The shift register holds step 5 in bit 5 down to step 0 in bit 0: the word itself.
    readout.word = static_cast<ControlWord>(device.value & 0x3Fu);
    readout.loads = device.loads;
    readout.binary = WordBinaryText(model, readout.word);
    readout.db = AttenuationOf(model, readout.word);
    return readout;
}

DeviceReadout ParallelDeviceReadout(const BoardDecoder& board, const ModelProfile& model) {
    DeviceReadout readout;
    const BoardDecoder::Latched& device = board.ParallelDevice();
    readout.word = WordOfParallelLines(device.value);
    readout.loads = device.loads;
    readout.binary = WordBinaryText(model, readout.word);
    readout.db = AttenuationOf(model, readout.word);
    return readout;
}

DeviceReadout DeviceReadoutFor(const BoardDecoder& board, const ModelProfile& model, int le) {
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
