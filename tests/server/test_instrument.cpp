// The instrument's command set on the simulated board: what each command
// latches, what each query answers, and which error each bad command queues.

#include <QtTest>

#include "InstrumentHarness.h"
#include "core/ModelProfile.h"
#include "server/AnnouncedService.h"

namespace {

// VK58-Q5-S1: serial, 0.5 dB to 31.5 dB in 0.5 dB steps; 7 dB is steps 1, 2, 4 dB.
const QByteArray kSerialModel = "5";
// VK58-Q5-P1: the same steps on a parallel device.
const QByteArray kParallelModel = "17";
constexpr uint8_t kWordOf7Db = 0b001110;

} // namespace

class InstrumentTest : public QObject {
    Q_OBJECT

private slots:
    void identification() {
        InstrumentHarness h;
        QCOMPARE(h.Ask("*IDN?"), QByteArray("DSA Project,dsactl,0,1.0"));
        // The network announcement says the same.
        const QList<QByteArray> fields = h.Ask("*IDN?").split(',');
        QCOMPARE(IdentityTxt("1.0"),
                 (QList<QByteArray>{"manufacturer=" + fields[0], "model=" + fields[1],
                                    "version=" + fields[3]}));
    }

    void attenuationLatchesOnTheChosenLineOnly() {
        InstrumentHarness h;
        QCOMPARE(h.Run("MOD " + kSerialModel + ";LE 3;ATT 7"), std::nullopt);
        QCOMPARE(h.Serial(3).value, kWordOf7Db);
        QCOMPARE(h.Serial(3).loads, 1);
        for (int le : {1, 2, 4, 5, 6}) {
            QCOMPARE(h.Serial(le).loads, 0);
        }
        QCOMPARE(h.Ask("ATT?;STEP:WORD?;LE?"), QByteArray("7;14;3"));
        QCOMPARE(h.Ask("BOARD:LATC? 3"), QByteArray("7,14"));
        QCOMPARE(h.NextErrorCode(), 0);
    }

    void longShortAndLowerCaseHeadersAreOneCommand() {
        InstrumentHarness h;
        h.Run("MODEL " + kSerialModel);
        h.Run("ATTENUATION 1");
        QCOMPARE(h.Serial(1).value, uint8_t(0b10));
        h.Run("att 2");
        QCOMPARE(h.Serial(1).value, uint8_t(0b100));
        h.Run(":Att 4.5 DB");
        QCOMPARE(h.Serial(1).value, uint8_t(0b1001));
        QCOMPARE(h.Ask("attenuation?"), QByteArray("4.5"));
        QCOMPARE(h.NextErrorCode(), 0);
    }

    void numberForms() {
        InstrumentHarness h;
        h.Run("MOD " + kSerialModel);
        for (const char* seven : {"7", "7.0", "7E0", "7DB", "+7.0e0 dB", "0.7E1"}) {
            h.Run("ATT 0");
            h.Run(QByteArray("ATT ") + seven);
            QCOMPARE(h.Serial(1).value, kWordOf7Db);
        }
        h.Run("ATT MAX");
        QCOMPARE(h.Ask("ATT?;ATT? MIN;ATT? MAX;ATT:RES?"), QByteArray("31.5;0;31.5;0.5"));
        h.Run("ATT MIN");
        QCOMPARE(h.Serial(1).value, uint8_t(0));
        // The keywords' long forms, in any case.
        h.Run("ATT maximum");
        QCOMPARE(h.Serial(1).value, uint8_t(63));
        h.Run("ATT MINimum");
        QCOMPARE(h.Serial(1).value, uint8_t(0));
        QCOMPARE(h.Ask("ATT? MINIMUM;ATT? Maximum"), QByteArray("0;31.5"));
        QCOMPARE(h.NextErrorCode(), 0);
    }

    void parallelModelUsesTheLatch() {
        InstrumentHarness h;
        h.Run("MOD " + kParallelModel + ";ATT 7");
        QCOMPARE(h.board.Decoder().ParallelDevice().value, kWordOf7Db);
        QCOMPARE(h.board.Decoder().ParallelDevice().loads, 1);
        QCOMPARE(h.Ask("BOARD:LATC? PAR;ATT?"), QByteArray("7,14;7"));
        h.Run("MOD \"VK58-Q7-P1\";ATT 31.75");
        // The 0.25 dB step is on D7.
        QCOMPARE(h.board.Decoder().ParallelDevice().value, uint8_t(0xBF));
        QCOMPARE(h.Ask("BOARD:LATC? PAR;STEP:WORD?"), QByteArray("31.75,127;127"));
    }

    void modelByPositionOrKey() {
        InstrumentHarness h;
        QCOMPARE(h.Ask("MOD?"), QByteArray("0,\"\""));
        h.Run("MOD \"vk58-q5-p1\"");
        QCOMPARE(h.Ask("MOD?"), QByteArray("17,\"VK58-Q5-P1\""));
        h.Run("MOD GMX1-40");
        QCOMPARE(h.Ask("MOD?"), QByteArray("27,\"GMX1-40\""));
        const QList<QByteArray> keys = h.Ask("MOD:CAT?").split(',');
        QCOMPARE(keys.size(), qsizetype(ModelProfiles().size()));
        QCOMPARE(keys.first(), QByteArray("\"VK58-Q1-S1\""));
        QCOMPARE(h.NextErrorCode(), 0);
    }

    void queriesGetExactlyOneLine() {
        InstrumentHarness h;
        QCOMPARE(h.Run("MOD 5;LE 2"), std::nullopt);
        QCOMPARE(h.Run("LE?;MOD?"), std::optional<QByteArray>("2;5,\"VK58-Q5-S1\""));
        // A failing query still answers, with nothing, so a client never waits in vain.
        QCOMPARE(h.Run("NOPE?"), std::optional<QByteArray>(""));
        QCOMPARE(h.Run("ATT? LOUD;LE?"), std::optional<QByteArray>("2"));
        QCOMPARE(h.Run(""), std::nullopt);
    }

    void errors_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("undefined header") << QByteArray("ATTN 7") << -113 << "Undefined header";
        QTest::newRow("undefined query") << QByteArray("*IDN") << -113 << "Undefined header";
        QTest::newRow("syntax") << QByteArray("ATT 7,") << -102 << "Syntax error";
        QTest::newRow("missing parameter") << QByteArray("ATT") << -109 << "Missing parameter";
        QTest::newRow("parameter not allowed")
            << QByteArray("*IDN? 1") << -108 << "Parameter not allowed";
        QTest::newRow("two values") << QByteArray("LE 1,2") << -108 << "Parameter not allowed";
        QTest::newRow("not made by the model")
            << QByteArray("ATT 7.3") << -222 << "Data out of range";
        QTest::newRow("above the range") << QByteArray("ATT 32") << -222 << "Data out of range";
        QTest::newRow("negative") << QByteArray("ATT -1") << -222 << "Data out of range";
        QTest::newRow("LE 0") << QByteArray("LE 0") << -222 << "Data out of range";
        QTest::newRow("LE 7") << QByteArray("LE 7") << -222 << "Data out of range";
        QTest::newRow("position 29") << QByteArray("MOD 29") << -222 << "Data out of range";
        QTest::newRow("word with a missing step")
            << QByteArray("STEP:WORD 64") << -222 << "Data out of range";
        QTest::newRow("unknown model")
            << QByteArray("MOD \"XY-1\"") << -224 << "Illegal parameter value";
        QTest::newRow("sweep mode")
            << QByteArray("SWE:MODE LOG") << -224 << "Illegal parameter value";
        QTest::newRow("port") << QByteArray("SYST:PORT 0x378") << -224 << "Illegal parameter value";
        QTest::newRow("not a number") << QByteArray("ATT abc") << -104 << "Data type error";
        QTest::newRow("suffix") << QByteArray("ATT 7 V") << -131 << "Invalid suffix";
        QTest::newRow("dwell too short")
            << QByteArray("SWE:DWEL 100US") << -222 << "Data out of range";
        QTest::newRow("sweep count 0") << QByteArray("SWE:COUN 0") << -222 << "Data out of range";
    }
    void errors() {
        QFETCH(QByteArray, line);
        QFETCH(int, code);
        QFETCH(QString, text);
        InstrumentHarness h;
        h.Run("MOD " + kSerialModel + ";ATT 1");
        h.Run(line);
        const QByteArray entry = h.Ask("SYST:ERR?");
        QVERIFY2(entry.startsWith(QByteArray::number(code) + ",\"" + text.toLatin1()),
                 entry.constData());
        QCOMPARE(h.Ask("SYST:ERR?"), QByteArray("0,\"No error\""));
        // Nothing was loaded by the bad command.
        QCOMPARE(h.Serial(1).value, uint8_t(0b10));
        QCOMPARE(h.Serial(1).loads, 1);
    }

    void attenuationNeedsAModel() {
        InstrumentHarness h;
        h.Run("ATT 7");
        QCOMPARE(h.NextErrorCode(), -221);
        QCOMPARE(h.board.WritesTo(kBoardPort).size(), std::size_t{0});
    }

    void outOfRangeValuesNameTheNearest() {
        InstrumentHarness h;
        h.Run("MOD 5;ATT 7.3");
        QCOMPARE(h.Ask("SYST:ERR?"),
                 QByteArray("-222,\"Data out of range;VK58-Q5-S1 cannot make 7.3 dB; nearest 7 and "
                            "7.5 dB\""));
    }

    void nearestSetsTheNearestValue() {
        InstrumentHarness h(true);
        h.Run("MOD 5;ATT 7.2");
        QCOMPARE(h.Ask("ATT?"), QByteArray("7"));
        // A tie goes to the lower attenuation.
        h.Run("ATT 7.25");
        QCOMPARE(h.Ask("ATT?"), QByteArray("7"));
        h.Run("ATT 7.4");
        QCOMPARE(h.Ask("ATT?"), QByteArray("7.5"));
        h.Run("ATT 40");
        QCOMPARE(h.NextErrorCode(), -222);
        QCOMPARE(h.NextErrorCode(), 0);
    }

    void aCommandErrorDropsTheRestOfTheLine() {
        InstrumentHarness h;
        h.Run("MOD 5;FOO;ATT 7");
        QCOMPARE(h.Serial(1).loads, 0);
        // An execution error does not.
        h.Run("ATT 7.3;ATT 7");
        QCOMPARE(h.Serial(1).value, kWordOf7Db);
        QCOMPARE(h.NextErrorCode(), -113);
        QCOMPARE(h.NextErrorCode(), -222);
    }

    void errorQueueOverflows() {
        InstrumentHarness h;
        for (int i = 0; i < 30; ++i) {
            h.Run("FOO");
        }
        QCOMPARE(h.Ask("SYST:ERR:COUN?"), QByteArray("20"));
        for (int i = 0; i < 19; ++i) {
            QCOMPARE(h.NextErrorCode(), -113);
        }
        QCOMPARE(h.Ask("SYST:ERR?"), QByteArray("-350,\"Queue overflow\""));
        QCOMPARE(h.Ask("SYST:ERR:NEXT?"), QByteArray("0,\"No error\""));
    }

    void errorsBelongToTheirClient() {
        InstrumentHarness h;
        auto other = std::make_shared<scpi::ClientStatus>();
        h.instrument.Execute(other, "FOO");
        QCOMPARE(h.NextErrorCode(), 0);
        QCOMPARE(h.instrument.Execute(other, "SYST:ERR:COUN?"), std::optional<QByteArray>("1"));
        // The board is shared.
        h.instrument.Execute(other, "MOD 5;LE 2;ATT 7");
        QCOMPARE(h.Ask("MOD?;LE?;ATT?"), QByteArray("5,\"VK58-Q5-S1\";2;7"));
    }

    void eventStatus() {
        InstrumentHarness h;
        QCOMPARE(h.Ask("*ESR?;*STB?"), QByteArray("0;0"));
        h.Run("FOO");
        h.Run("MOD 99");
        h.Run("*ESE 48");
        QCOMPARE(h.Ask("*ESE?;*STB?"), QByteArray("48;36"));
        QCOMPARE(h.Ask("*ESR?"), QByteArray("48"));
        QCOMPARE(h.Ask("*ESR?"), QByteArray("0"));
        h.Run("*OPC");
        QCOMPARE(h.Ask("*ESR?;*OPC?"), QByteArray("1;1"));
        h.Run("FOO;*CLS");
        h.Run("*CLS");
        QCOMPARE(h.Ask("*STB?;SYST:ERR:COUN?;*ESR?"), QByteArray("0;0;0"));
    }

    void resetForgetsEverythingAndSendsNothing() {
        InstrumentHarness h;
        h.Run("MOD 5;LE 4;ATT 7;SWE:COUN 3");
        h.board.ClearLog();
        h.Run("*RST");
        QVERIFY(h.board.Log().empty());
        QCOMPARE(h.Ask("MOD?;LE?;ATT?;STEP:WORD?;SWE:COUN?"), QByteArray("0,\"\";1;0;0;1"));
        h.Run("MOD 5;LE 4");
        QCOMPARE(h.Ask("ATT?"), QByteArray("0"));
        // The board itself still holds what it latched.
        QCOMPARE(h.Ask("BOARD:LATC? 4"), QByteArray("7,14"));
    }

    void relativeHeadersFollowTheLastNode() {
        InstrumentHarness h;
        h.Run("SWE:STAR 2;STOP 6;STEP 2;:LE 3;SWE:DWEL 20MS");
        QCOMPARE(h.Ask("SWE:STAR?;STOP?;STEP?;DWEL?;POIN?;:LE?"), QByteArray("2;6;2;0.02;3;3"));
        QCOMPARE(h.NextErrorCode(), 0);
    }

    void portSetting() {
        InstrumentHarness h;
        QCOMPARE(h.Ask("SYST:PORT?"), QByteArray("378"));
        h.Run("SYST:PORT d010");
        QCOMPARE(h.Ask("SYST:PORT?"), QByteArray("D010"));
        h.Run("SYST:PORT \"278\"");
        QCOMPARE(h.Ask("SYST:PORT?"), QByteArray("278"));
        QCOMPARE(h.NextErrorCode(), 0);
    }

    void portProblemsBecomeDeviceErrors() {
        InstrumentHarness h;
        h.board.FaultsOf(0x278).unavailable = true;
        h.Run("MOD 5;SYST:PORT 278;ATT 7");
        const QByteArray unavailable = h.Ask("SYST:ERR?");
        QVERIFY2(unavailable.startsWith("201,\"Port not available;"), unavailable.constData());
        // The port layer's reason follows.
        QVERIFY2(unavailable.size() > 30, unavailable.constData());
        QCOMPARE(h.Ask("ATT?"), QByteArray("0"));

        h.Run("SYST:PORT 0;ATT 7");
        QCOMPARE(h.NextErrorCode(), 201);

        // D1 stuck high: the serial data never reads back as written.
        h.board.FaultsOf(kBoardPort).stuckHigh = 0x02;
        h.Run("SYST:PORT 378;ATT 7");
        const QByteArray unverified = h.Ask("SYST:ERR?");
        QVERIFY2(unverified.startsWith("202,\"Write not verified"), unverified.constData());
        QCOMPARE(h.NextErrorCode(), 0);
        QCOMPARE(h.Ask("*ESR?"), QByteArray("8"));
    }

    void boardQueryOnlyWhenSimulated() {
        InstrumentHarness h(false, false);
        h.Run("MOD 5");
        QCOMPARE(h.Run("BOARD:LATC? 1"), std::optional<QByteArray>(""));
        QCOMPARE(h.NextErrorCode(), -113);
    }

    void stepWord() {
        InstrumentHarness h;
        h.Run("MOD 5;LE 6;STEP:WORD #B001110");
        QCOMPARE(h.Serial(6).value, kWordOf7Db);
        QCOMPARE(h.Ask("ATT?;STEP:WORD?"), QByteArray("7;14"));
        // VK58-Q1-S1 has no 16 dB step (bit 5).
        h.Run("MOD 1;STEP:WORD 32");
        QCOMPARE(h.NextErrorCode(), -222);
        QCOMPARE(h.Serial(6).loads, 1);
    }

    void sweepRunsItsListThenEnds() {
        InstrumentHarness h;
        h.Run("MOD 5;LE 2;SWE:LIST 1,2,3;SWE:MODE LIST;SWE:DWEL 5MS;SWE:COUN 2");
        QCOMPARE(h.Ask("SWE:POIN?;SWE:LIST?"), QByteArray("3;1,2,3"));
        h.Run("INIT");
        // The first value is out before INITiate returns.
        QCOMPARE(h.Ask("SWE:STAT?;ATT?"), QByteArray("1;1"));
        h.Run("ATT 9");
        QCOMPARE(h.Ask("SYST:ERR?"),
                 QByteArray("-221,\"Settings conflict;a sweep is running; send ABORt first\""));
        h.Run("INIT");
        QCOMPARE(h.NextErrorCode(), -213);
        QTRY_COMPARE_WITH_TIMEOUT(h.Ask("SWE:STAT?"), QByteArray("0"), 5000);
        QCOMPARE(h.Serial(2).loads, 6);
        QCOMPARE(h.Ask("ATT?"), QByteArray("3"));
        QCOMPARE(h.NextErrorCode(), 0);
    }

    void theLastValueKeepsItsDwell() {
        InstrumentHarness h;
        h.Run("MOD 5;SWE:LIST 1,2;SWE:MODE LIST;SWE:DWEL 500MS;SWE:COUN 1;INIT");
        QTRY_COMPARE_WITH_TIMEOUT(h.Serial(1).loads, 2, 5000);
        // The sweep runs on for the last value's dwell, then ends.
        QCOMPARE(h.Ask("SWE:STAT?;ATT?"), QByteArray("1;2"));
        QTRY_COMPARE_WITH_TIMEOUT(h.Ask("SWE:STAT?"), QByteArray("0"), 5000);
        QCOMPARE(h.Serial(1).loads, 2);
    }

    // A server that could not run for a while (its event loop held here, as a
    // stopped process or a swap storm would) takes up its sweep where it was:
    // one step, then the dwell again, not the steps that fell due meanwhile.
    void aHeldSweepSlipsInsteadOfCatchingUp() {
        InstrumentHarness h;
        h.Run("MOD 5;SWE:STAR 0;STOP 10;STEP 0.5;DWEL 10MS;COUN 1;INIT");
        QTRY_VERIFY_WITH_TIMEOUT(h.Serial(1).loads >= 3, 5000);
        QTest::qSleep(300); // 30 dwells
        const int before = h.Serial(1).loads;
        QTest::qWait(4);
        QVERIFY2(h.Serial(1).loads <= before + 1,
                 qPrintable(QStringLiteral("%1 loads in 4 ms").arg(h.Serial(1).loads - before)));
        QTRY_COMPARE_WITH_TIMEOUT(h.Ask("SWE:STAT?"), QByteArray("0"), 10000);
        QCOMPARE(h.Serial(1).loads, 21);
        const QList<QByteArray> late = h.Ask("SWE:LATE?").split(',');
        QCOMPARE(late.size(), 3);
        QVERIFY(late[0].toInt() >= 1);
        QVERIFY2(late[1].toDouble() >= 0.25, late[1].constData());
        QVERIFY(late[2].toDouble() >= late[1].toDouble());
        // The figures start again with each INITiate.
        h.Run("SWE:STAR 0;STOP 0.5;STEP 0.5;DWEL 100MS;:INIT");
        QCOMPARE(h.Ask("SWE:LATE?").split(',').first(), QByteArray("0"));
        h.Run("ABOR");
    }

    void linearSweepSteps() {
        InstrumentHarness h;
        h.Run("MOD 5;SWE:STAR 4;STOP 1;STEP 1.5;DWEL 1MS;:INIT");
        QTRY_COMPARE_WITH_TIMEOUT(h.Ask("SWE:STAT?"), QByteArray("0"), 5000);
        QCOMPARE(h.Serial(1).loads, 3);
        QCOMPARE(h.Ask("ATT?"), QByteArray("1"));
    }

    void sweepValuesAreCheckedBeforeTheFirstIsSent() {
        InstrumentHarness h;
        h.Run("MOD 5;SWE:LIST 1,7.3;SWE:MODE LIST;INIT");
        QCOMPARE(h.NextErrorCode(), -222);
        QCOMPARE(h.Ask("SWE:STAT?"), QByteArray("0"));
        QCOMPARE(h.Serial(1).loads, 0);
        h.Run("SWE:LIST 1,40;INIT");
        QCOMPARE(h.NextErrorCode(), -222);
        h.Run("*RST;SWE:MODE LIST;INIT");
        QCOMPARE(h.NextErrorCode(), -221);
    }

    void abortStopsAnEndlessSweep() {
        InstrumentHarness h;
        h.Run("MOD 5;SWE:STAR 0;STOP 1;STEP 0.5;DWEL 1MS;COUN INF");
        QCOMPARE(h.Ask("SWE:COUN?"), QByteArray("INF"));
        h.Run("INIT");
        QTRY_VERIFY_WITH_TIMEOUT(h.Serial(1).loads >= 10, 5000);
        h.Run("ABOR");
        QCOMPARE(h.Ask("SWE:STAT?"), QByteArray("0"));
        const int loads = h.Serial(1).loads;
        QTest::qWait(30);
        QCOMPARE(h.Serial(1).loads, loads);
        h.Run("ATT 7");
        QCOMPARE(h.NextErrorCode(), 0);
    }

    void sweepOutlivesTheClientThatStartedIt() {
        InstrumentHarness h;
        auto starter = std::make_shared<scpi::ClientStatus>();
        h.instrument.Execute(starter, "MOD 5;SWE:DWEL 1MS;COUN INF;:INIT");
        starter.reset();
        const int loads = h.Serial(1).loads;
        QTRY_VERIFY_WITH_TIMEOUT(h.Serial(1).loads > loads + 5, 5000);
        QCOMPARE(h.Ask("SWE:STAT?"), QByteArray("1"));
        h.Run("ABOR");
        QCOMPARE(h.Ask("SWE:STAT?"), QByteArray("0"));
    }

    void aPortFailureEndsTheSweepAndTellsItsStarter() {
        InstrumentHarness h;
        h.Run("MOD 5;SWE:DWEL 2MS;COUN INF;:INIT");
        h.board.FaultsOf(kBoardPort).unavailable = true;
        QTRY_COMPARE_WITH_TIMEOUT(h.Ask("SWE:STAT?"), QByteArray("0"), 5000);
        QCOMPARE(h.NextErrorCode(), 201);
    }
};

QTEST_GUILESS_MAIN(InstrumentTest)
#include "test_instrument.moc"
