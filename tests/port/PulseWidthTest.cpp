// The minimum widths of the clock, LE and latch pulses as the simulated board
// saw them: each write it logs carries the moment it was done.

#include <QtTest>

#include "PortTestSupport.h"
#include "port/PortAccess.h"
#include "port/PulseTiming.h"

namespace {

constexpr int32_t kPort = 0x378;
using std::chrono::nanoseconds;

// How long each pulse of `line` (a mask of one data line) stayed high: from the
// write that raised it to the write that lowered it.
std::vector<nanoseconds> HighWidths(const SimulatedBoard& io, uint8_t line) {
    std::vector<nanoseconds> widths;
    bool high = false;
    std::chrono::steady_clock::time_point rose{};
    for (const SimulatedBoard::Access& access : io.Log()) {
        if (access.kind != SimulatedBoard::Kind::Write || access.port != kPort ||
            access.status != PortStatus::Ok) {
            continue;
        }
        const bool nowHigh = (access.value & line) != 0;
        if (nowHigh && !high) {
            rose = access.at;
        } else if (!nowHigh && high) {
            widths.push_back(access.at - rose);
        }
        high = nowHigh;
    }
    return widths;
}

nanoseconds Shortest(const std::vector<nanoseconds>& widths) {
    return *std::min_element(widths.begin(), widths.end());
}

QByteArray Micro(nanoseconds width) {
    return QByteArray::number(static_cast<double>(width.count()) / 1000.0) + " us";
}

} // namespace

class PulseWidthTest : public QObject {
    Q_OBJECT

private slots:
    void serialClockAndLeHolds() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        LeMemoryTable memory{};
        for (int16_t le = 1; le <= 6; ++le) {
            QVERIFY(SendSerialWord(module, kPort, Steps({0, 2, 4, 5}), le, 1.0f, memory));
        }

        const std::vector<nanoseconds> clock = HighWidths(io, 1);
        QCOMPARE(clock.size(), std::size_t{36});
        QVERIFY2(Shortest(clock) >= kClockHighHold, Micro(Shortest(clock)));
        for (int le = 1; le <= 6; ++le) {
            const std::vector<nanoseconds> latch = HighWidths(io, static_cast<uint8_t>(2 << le));
            QCOMPARE(latch.size(), std::size_t{1});
            QVERIFY2(latch.front() >= kLeHighHold, Micro(latch.front()));
        }
        QCOMPARE(user.beeps, 0);
    }

    void parallelLatchHold() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        for (const QList<int>& on : {QList<int>{}, QList<int>{0, 6}, QList<int>{1, 2, 3, 4, 5}}) {
            const PortAccess::Operation load(module);
            QVERIFY(ParallelLatchPulse(module, kPort, SendParallelWord(module, kPort, Steps(on))));
        }
        const std::vector<nanoseconds> latch = HighWidths(io, 64);
        QCOMPARE(latch.size(), std::size_t{3});
        QVERIFY2(Shortest(latch) >= kLatchHighHold, Micro(Shortest(latch)));
    }

    // A hold counts from the write that raised the line: when that was longer
    // ago than the minimum (a slow read-back), it returns at once.
    void holdCountsFromTheWrite() {
        const auto longAgo = std::chrono::steady_clock::now() - std::chrono::milliseconds(1);
        QVERIFY(!HoldPulseFrom(longAgo, kLatchHighHold));
        const auto since = std::chrono::steady_clock::now();
        HoldPulseFrom(since, std::chrono::microseconds(50));
        QVERIFY(std::chrono::steady_clock::now() - since >= std::chrono::microseconds(50));
    }
};

QTEST_GUILESS_MAIN(PulseWidthTest)
#include "PulseWidthTest.moc"
