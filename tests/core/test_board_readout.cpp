// The simulated board in words: line roles, the word each device latched and
// the attenuation it means for a model, in the user's number form.

#include <QtTest>

#include "core/BoardReadout.h"
#include "core/CollectingNotifier.h"
#include "core/ModelProfile.h"
#include "core/SimulatedState.h"
#include "port/PortAccess.h"
#include "port/SimulatedBoard.h"
#include "port/Transfers.h"

namespace {

constexpr int32_t kPort = 0x378;

uint8_t Steps(std::initializer_list<int> on) {
    uint8_t word = 0;
    for (int member : on) {
        word = static_cast<uint8_t>(word | 1u << member);
    }
    return word;
}

// A board driven by the real transfers, as the programs drive it.
struct DrivenBoard {
    void Serial(std::initializer_list<int> on, int16_t le) {
        QVERIFY(SendSerialWord(module, kPort, Steps(on), le));
    }
    void Parallel(std::initializer_list<int> on) {
        const uint8_t word = SendParallelWord(module, kPort, Steps(on));
        QVERIFY(ParallelLatchPulse(module, kPort, word));
    }
    BoardState Board() const { return StateOf(port.Decoder()); }

    SimulatedBoard port{kPort};
    CollectingNotifier notifier;
    PortAccess module{port, notifier};
};

const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);

} // namespace

class TestBoardReadout : public QObject {
    Q_OBJECT

private slots:
    void linesHaveTheirPinTableRoles() {
        const QStringList roles = {"clock", "data", "LE1", "LE2", "LE3", "LE4", "LE5/latch", "LE6"};
        for (int bit = 0; bit < kDataLineCount; ++bit) {
            QCOMPARE(DataLineRole(bit), roles.at(bit));
        }
        QCOMPARE(DataLineCaption(6), QStringLiteral("D6\nLE5/latch"));
        QVERIFY(DataLineHigh(0x81, 0));
        QVERIFY(!DataLineHigh(0x81, 6));
        QVERIFY(DataLineHigh(0x81, 7));
    }

    void aFreshBoardHasLatchedNothing() {
        const BoardState board;
        const BoardReadout readout = ReadBoard(board, ProfileAt(0), kC);
        for (int le = 1; le <= kSerialDeviceCount; ++le) {
            QCOMPARE(readout.serial.at(static_cast<std::size_t>(le - 1)),
                     QStringLiteral("LE%1: nothing latched yet").arg(le));
        }
        QCOMPARE(readout.parallel, QStringLiteral("PAR: nothing latched yet"));
        QCOMPARE(readout.lines, uint8_t{0});
    }

    // Only the device whose LE line was pulsed takes the word; the others keep
    // what they had, including a zero word that was latched.
    void serialWordsGoToTheirOwnDevice() {
        DrivenBoard driven;
        driven.Serial({1, 2, 3}, 3); // 1 + 2 + 4 dB
        driven.Serial({}, 5);
        const ModelProfile* model = FindModel(QStringLiteral("VK58-Q1-S1"));
        QVERIFY(model);
        QCOMPARE(SerialDeviceText(driven.Board(), 3, model, kC),
                 QStringLiteral("LE3: 001110 = 7 dB"));
        QCOMPARE(SerialDeviceText(driven.Board(), 5, model, kC),
                 QStringLiteral("LE5: 000000 = 0 dB"));
        QCOMPARE(SerialDeviceText(driven.Board(), 1, model, kC),
                 QStringLiteral("LE1: nothing latched yet"));
        // The serial transfer ends with all lines low.
        QCOMPARE(ReadBoard(driven.Board(), model, kC).lineHigh,
                 (std::array<bool, kDataLineCount>{}));
    }

    void attenuationUsesTheModelAndTheLocale() {
        DrivenBoard driven;
        driven.Serial({0, 5}, 6); // 0.5 + 16 dB, doubled on the cascaded model
        QCOMPARE(SerialDeviceText(driven.Board(), 6, FindModel("VK58-Q1-S1"), kGerman),
                 QStringLiteral("LE6: 100001 = 16,5 dB"));
        QCOMPARE(SerialDeviceText(driven.Board(), 6, FindModel("2VK58-Q8-P1"), kC),
                 QStringLiteral("LE6: 100001 = 33 dB"));
        QCOMPARE(SerialDeviceText(driven.Board(), 6, nullptr, kC),
                 QStringLiteral("LE6: 100001 (no model)"));
    }

    // The parallel word sits on D0 to D5 and D7; the 0.25 dB step (D7) shows as
    // a seventh digit, first, whether or not the model has that step.
    void parallelWordAndTheQuarterStep() {
        DrivenBoard driven;
        driven.Parallel({0, 4, 6});
        const ModelProfile* quarter = FindModel(QStringLiteral("VK58-Q7-P1"));
        QVERIFY(quarter && quarter->available[6]);
        QCOMPARE(ParallelDeviceWord(driven.Board()), ControlWord{0b1010001});
        QCOMPARE(ParallelDeviceText(driven.Board(), quarter, kC),
                 QStringLiteral("PAR: 1010001 = 8.75 dB"));
        QCOMPARE(ParallelDeviceText(driven.Board(), FindModel("VK58-Q1-P1"), kC),
                 QStringLiteral("PAR: 1010001 = 8.75 dB"));
        driven.Parallel({1});
        QCOMPARE(ParallelDeviceText(driven.Board(), quarter, kC),
                 QStringLiteral("PAR: 0000010 = 1 dB"));
        QCOMPARE(ParallelDeviceText(driven.Board(), FindModel("VK58-Q1-P1"), kC),
                 QStringLiteral("PAR: 000010 = 1 dB"));
        // The word stays on the lines after its latch pulse.
        const BoardReadout readout = ReadBoard(driven.Board(), quarter, kC);
        QCOMPARE(readout.lines, uint8_t{2});
        QVERIFY(readout.lineHigh[1] && !readout.lineHigh[6]);
    }

    void headingTexts() {
        QCOMPARE(BoardAddressText(0x378), QStringLiteral("Simulated board at port 378"));
        QCOMPARE(BoardAddressText(0x3bc), QStringLiteral("Simulated board at port 3BC"));
        QCOMPARE(BoardModelText(ProfileAt(2)), QStringLiteral("Model: VK58-Q3-S1"));
        QCOMPARE(BoardModelText(nullptr), QStringLiteral("Model: none chosen in the main window"));
    }
};

QTEST_APPLESS_MAIN(TestBoardReadout)
#include "test_board_readout.moc"
