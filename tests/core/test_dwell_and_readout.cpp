// Step durations read from text, and the simulated board's latched words as the
// user reads them after a Load through the core.

#include <QtTest>

#include "core/Board.h"
#include "core/BoardReadout.h"
#include "core/DwellText.h"
#include "port/SimulatedBoard.h"

using namespace std::chrono_literals;

namespace {

class QuietNotifier : public UserNotifier {
public:
    void Beep() override {}
    void ShowMessage(const std::string&) override {}
};

} // namespace

class DwellAndReadoutTest : public QObject {
    Q_OBJECT

private slots:
    void dwellTexts() {
        const QLocale c = QLocale::c();
        QCOMPARE(ParseDwell("20ms", c), std::optional<std::chrono::nanoseconds>(20ms));
        QCOMPARE(ParseDwell("0.5s", c), std::optional<std::chrono::nanoseconds>(500ms));
        QCOMPARE(ParseDwell("20", c), std::optional<std::chrono::nanoseconds>(20ms));
        QCOMPARE(ParseDwell(" 1.5 ", c), std::optional<std::chrono::nanoseconds>(1500us));
        QCOMPARE(ParseDwell("250us", c), std::optional<std::chrono::nanoseconds>(250us));
        QCOMPARE(ParseDwell("20 ms", c), std::optional<std::chrono::nanoseconds>(20ms));
        QCOMPARE(ParseDwell("2S", c), std::optional<std::chrono::nanoseconds>(2s));
        QCOMPARE(ParseDwell("0,5s", QLocale(QLocale::German)),
                 std::optional<std::chrono::nanoseconds>(500ms));
        for (const char* bad :
             {"", "ms", "abc", "0", "0ms", "-5ms", "5m", "5 m s", "1e9s", "nan"}) {
            QVERIFY2(!ParseDwell(QString::fromLatin1(bad), c).has_value(), bad);
        }
    }

    void serialReadoutShowsTheLatchedWordOfItsLine() {
        SimulatedBoard port(0x378);
        QuietNotifier notifier;
        Board access(port, notifier);
        const ModelProfile& model = *FindModel(QStringLiteral("VK58-Q5-S1"));
        const ControlWord word = *LookUpAttenuation(model, 7).word;
        QVERIFY(access.Load(0x378, InterfaceClass::Serial, word, 3).latched);
        const DeviceReadout readout = DeviceReadoutFor(access.SimulatedState(), model, 3);
        QCOMPARE(readout.le, 3);
        QCOMPARE(int(readout.word), 14);
        QCOMPARE(readout.loads, 1);
        QCOMPARE(ReadoutText(readout, QLocale::c()), QStringLiteral("LE3: 001110 = 7 dB"));
        QCOMPARE(LatchedText(readout, QLocale::c()), QStringLiteral("LE3 latched 001110 = 7 dB"));
        // Other lines were not loaded.
        QCOMPARE(SerialDeviceReadout(access.SimulatedState(), 1, model).loads, 0);
    }

    void parallelReadoutTakesTheSeventhStepFromD7() {
        SimulatedBoard port(0x378);
        QuietNotifier notifier;
        Board access(port, notifier);
        const ModelProfile& model = *ProfileAt(24); // 0.25 dB step on D7
        const ControlWord word = *LookUpAttenuation(model, 16.75).word;
        access.Load(0x378, InterfaceClass::Parallel, word, 1);
        const DeviceReadout readout = DeviceReadoutFor(access.SimulatedState(), model, 0);
        QCOMPARE(int(readout.word), int(word));
        QCOMPARE(ReadoutText(readout, QLocale(QLocale::German)),
                 QStringLiteral("parallel: 1100001 = 16,75 dB"));
    }
};

QTEST_MAIN(DwellAndReadoutTest)
#include "test_dwell_and_readout.moc"
