// The state file of `dsactl serve --power-up last`: where it lives, what a
// written file reads back as, every kind of damaged file refused whole, and
// the power-up itself on the simulated board: Loads written, loaded back onto
// a board that starts empty, a damaged file survived without a Load.

#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

#include "InstrumentHarness.h"
#include "server/PowerUp.h"
#include "server/ServeState.h"

namespace {

const ModelProfile* Model(const char* key) {
    const ModelProfile* model = FindModel(QString::fromLatin1(key));
    Q_ASSERT(model != nullptr);
    return model;
}

// LE 2 and LE 5 on two serial models, the parallel latch, LE 5 selected last.
ServeState SampleState() {
    ServeState state;
    state.lines[2] = ServeState::Latched{Model("VK58-Q5-S1"), 14};
    state.lines[5] = ServeState::Latched{Model("VK58-Q1-S1"), 31};
    state.parallel = ServeState::Latched{Model("VK58-Q7-P1"), 0x41};
    state.model = Model("VK58-Q1-S1");
    state.le = 5;
    return state;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A replaced file is a new file: its inode number tells a rewrite apart.
ino_t Inode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class ServeStateTest : public QObject {
    Q_OBJECT

private slots:
    void folder_data() {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("folder");
        QTest::newRow("systemd's StateDirectory= first")
            << QStringList{"STATE_DIRECTORY=/var/lib/dsactl:/var/lib/other", "XDG_STATE_HOME=/x",
                           "HOME=/home/u"}
            << "/var/lib/dsactl";
        QTest::newRow("XDG_STATE_HOME")
            << QStringList{"XDG_STATE_HOME=/x/state", "HOME=/home/u"} << "/x/state/dsactl";
        QTest::newRow("a relative XDG_STATE_HOME is not used")
            << QStringList{"XDG_STATE_HOME=state", "HOME=/home/u"} << "/home/u/.local/state/dsactl";
        QTest::newRow("HOME") << QStringList{"HOME=/home/u"} << "/home/u/.local/state/dsactl";
    }

    void folder() {
        QFETCH(QStringList, environment);
        QFETCH(QString, folder);
        QProcessEnvironment values;
        for (const QString& entry : environment) {
            values.insert(entry.section(QLatin1Char('='), 0, 0),
                          entry.section(QLatin1Char('='), 1));
        }
        QCOMPARE(ServeStateFolder(values), folder);
        QCOMPARE(ServeStatePath(folder, false), folder + "/serve-state.json");
        QCOMPARE(ServeStatePath(folder, true), folder + "/serve-state-simulated.json");
    }

    void writtenStateReadsBackTheSame() {
        QTemporaryDir dir;
        // The folder is made when it is missing.
        const QString path = dir.path() + "/state/dsactl/serve-state.json";
        QString problem;
        QVERIFY2(WriteServeState(path, SampleState(), problem), qPrintable(problem));
        const ServeStateRead read = ReadServeState(path);
        QCOMPARE(read.outcome, ServeStateRead::Outcome::Read);
        QVERIFY(read.state == SampleState());
        QVERIFY(!QFile::exists(dir.path() + "/nothing.json") &&
                ReadServeState(dir.path() + "/nothing.json").outcome ==
                    ServeStateRead::Outcome::Missing);
    }

    void restoreLinesSelectEachModelAndLine() {
        const ServeStateLines lines = RestoreLines(SampleState());
        QCOMPARE(lines.loads, (QList<QByteArray>{R"(MOD "VK58-Q5-S1";LE 2;STEP:WORD 14)",
                                                 R"(MOD "VK58-Q1-S1";LE 5;STEP:WORD 31)",
                                                 R"(MOD "VK58-Q7-P1";STEP:WORD 65)"}));
        QCOMPARE(lines.selection, QByteArray(R"(MOD "VK58-Q1-S1";LE 5)"));
    }

    void damagedFilesAreRefusedWhole_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        const QByteArray good = ServeStateJson(SampleState());
        QTest::newRow("empty") << QByteArray() << "not JSON";
        QTest::newRow("truncated") << good.left(good.size() / 2) << "not JSON";
        QTest::newRow("binary") << QByteArray("\x00\xff\x13", 3) << "not JSON";
        QTest::newRow("an array") << QByteArray("[1, 2]") << "not a JSON object";
        QTest::newRow("no format")
            << QByteArray(R"({"model": "VK58-Q5-S1", "le": 1})") << "format missing";
        QTest::newRow("a later format")
            << QByteArray(R"({"format": 2, "model": "VK58-Q5-S1", "le": 1})") << "format 2";
        QTest::newRow("format as text")
            << QByteArray(R"({"format": "1", "model": "VK58-Q5-S1", "le": 1})") << "format";
        const auto row = [](const char* name, const char* body, const char* problem) {
            QTest::newRow(name) << QByteArray(R"({"format": 1, )") + body + '}'
                                << QString::fromLatin1(problem);
        };
        row("no model", R"("le": 1)", "\"model\" is not a model key");
        row("an unknown model", R"("model": "VK99", "le": 1)", "\"model\" is not a model key");
        row("a model key in another case", R"("model": "vk58-q5-s1", "le": 1)",
            "\"model\" is not a model key");
        row("a list position for the model", R"("model": 5, "le": 1)",
            "\"model\" is not a model key");
        row("no LE", R"("model": "VK58-Q5-S1")", "\"le\" is not a whole number from 1 to 6");
        row("LE 0", R"("model": "VK58-Q5-S1", "le": 0)", "\"le\" is not a whole number");
        row("LE 7", R"("model": "VK58-Q5-S1", "le": 7)", "\"le\" is not a whole number");
        row("LE 2.5", R"("model": "VK58-Q5-S1", "le": 2.5)", "\"le\" is not a whole number");
        row("LE as text", R"("model": "VK58-Q5-S1", "le": "2")", "\"le\" is not a whole number");
        const auto lines = [&row](const char* name, const char* entries, const char* problem) {
            row(name,
                (QByteArray(R"("model": "VK58-Q5-S1", "le": 1, "lines": )") + entries).constData(),
                problem);
        };
        lines("lines not an array", R"({"le": 1})", "\"lines\" is not an array");
        lines("a line not an object", R"([3])", "lines[0]: is not an object");
        lines("a line without LE", R"([{"model": "VK58-Q5-S1", "word": 1}])",
              "lines[0]: \"le\" is not a whole number");
        lines("a line on LE 9", R"([{"le": 9, "model": "VK58-Q5-S1", "word": 1}])",
              "lines[0]: \"le\" is not a whole number");
        lines("a line without word", R"([{"le": 1, "model": "VK58-Q5-S1"}])",
              "lines[0]: \"word\" is not a whole number from 0 to 255");
        lines("a negative word", R"([{"le": 1, "model": "VK58-Q5-S1", "word": -1}])",
              "\"word\" is not a whole number");
        lines("a word of more than 8 bits", R"([{"le": 1, "model": "VK58-Q5-S1", "word": 256}])",
              "\"word\" is not a whole number");
        lines("a 16 dB step on a model without it",
              R"([{"le": 1, "model": "VK58-Q1-S1", "word": 32}])",
              "lines[0]: word 32 switches steps VK58-Q1-S1 lacks");
        lines("a 0.25 dB step on a model without it",
              R"([{"le": 1, "model": "VK58-Q5-S1", "word": 64}])", "word 64 switches steps");
        lines("a parallel model on an LE line", R"([{"le": 1, "model": "VK58-Q5-P1", "word": 1}])",
              "lines[0]: VK58-Q5-P1 is a parallel model");
        lines("an LE line twice",
              R"([{"le": 4, "model": "VK58-Q5-S1", "word": 1},
                  {"le": 4, "model": "VK58-Q5-S1", "word": 2}])",
              "lines[1]: LE 4 comes twice");
        lines("a bad line after a good one",
              R"([{"le": 4, "model": "VK58-Q5-S1", "word": 1},
                  {"le": 5, "model": "VK58-Q5-S1", "word": 1.5}])",
              "lines[1]: \"word\" is not a whole number");
        row("a serial model on the parallel latch",
            R"("model": "VK58-Q5-S1", "le": 1, "parallel": {"model": "VK58-Q5-S1", "word": 1})",
            "parallel: VK58-Q5-S1 is a serial model");
        row("a parallel word with steps its model lacks",
            R"("model": "VK58-Q5-S1", "le": 1, "parallel": {"model": "VK58-Q1-P1", "word": 33})",
            "parallel: word 33 switches steps VK58-Q1-P1 lacks");
        row("parallel not an object", R"("model": "VK58-Q5-S1", "le": 1, "parallel": 25)",
            "parallel: is not an object");
    }

    void damagedFilesAreRefusedWhole() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        QString found;
        QVERIFY(!ParseServeState(bytes, found));
        QVERIFY2(found.contains(problem), qPrintable(found));
        // The same through the file.
        QTemporaryDir dir;
        const QString path = dir.path() + "/serve-state.json";
        WriteAll(path, bytes);
        const ServeStateRead read = ReadServeState(path);
        QCOMPARE(read.outcome, ServeStateRead::Outcome::Refused);
        QCOMPARE(read.problem, found);
    }

    void goodFilesFromElsewhereAreRead() {
        // No lines and no parallel word; keys this dsactl does not know are left alone.
        QString problem;
        const std::optional<ServeState> state = ParseServeState(
            R"({"format": 1, "model": "2VK58-Q8-P1", "le": 6, "note": "by hand"})", problem);
        QVERIFY2(state, qPrintable(problem));
        QCOMPARE(state->model, Model("2VK58-Q8-P1"));
        QCOMPARE(state->le, 6);
        QVERIFY(!state->parallel && !state->lines[1]);
    }

    void filesThatCannotBeUsed() {
        QTemporaryDir dir;
        // A folder where the file should be cannot be read; a file where
        // the folder should be cannot be written.
        const ServeStateRead read = ReadServeState(dir.path());
        QCOMPARE(read.outcome, ServeStateRead::Outcome::Refused);
        QVERIFY2(read.problem.startsWith("cannot be read"), qPrintable(read.problem));
        WriteAll(dir.path() + "/plain", "x");
        QString problem;
        QVERIFY(!WriteServeState(dir.path() + "/plain/serve-state.json", SampleState(), problem));
        QVERIFY2(problem.contains("cannot make the folder"), qPrintable(problem));
        // Too large to be a state file.
        const QString large = dir.path() + "/large.json";
        WriteAll(large, QByteArray(70000, ' ') + ServeStateJson(SampleState()));
        QCOMPARE(ReadServeState(large).problem, QStringLiteral("larger than 65536 bytes"));
    }

    void parsePowerUp_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("scpi");
        const int none = int(PowerUpSetting::Mode::None);
        const int last = int(PowerUpSetting::Mode::Last);
        const int fixed = int(PowerUpSetting::Mode::Fixed);
        QTest::newRow("none") << "none" << true << none << QByteArray();
        QTest::newRow("LAST") << "LAST" << true << last << QByteArray();
        QTest::newRow("SCPI") << "MOD 5;LE 3;ATT 31.5" << true << fixed
                              << QByteArray("MOD 5;LE 3;ATT 31.5");
        QTest::newRow("empty") << "" << false << 0 << QByteArray();
        QTest::newRow("blank") << "  " << false << 0 << QByteArray();
        QTest::newRow("two lines") << "MOD 5\nATT 3" << false << 0 << QByteArray();
    }

    void parsePowerUp() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, mode);
        QFETCH(QByteArray, scpi);
        const std::optional<PowerUpSetting> setting = ParsePowerUp(text);
        QCOMPARE(setting.has_value(), valid);
        if (setting) {
            QCOMPARE(int(setting->mode), mode);
            QCOMPARE(setting->scpi, scpi);
        }
    }

    void lastStateComesBackOnAnEmptyBoard() {
        QTemporaryDir dir;
        const QString path = dir.path() + "/serve-state.json";
        {
            InstrumentHarness h;
            PowerUp powerUp({PowerUpSetting::Mode::Last, {}}, h.instrument, path);
            powerUp.Run();
            QVERIFY(!QFile::exists(path));
            h.Run("MOD 5;LE 3;ATT 7;LE 6;ATT 31.5;MOD 1;LE 2;ATT 4");
            QCOMPARE(ReadServeState(path).outcome, ServeStateRead::Outcome::Read);
            // *RST forgets the words, the board and the file keep them.
            h.Run("*RST");
        }
        const QByteArray saved = ReadAll(path);
        const ino_t inode = Inode(path);
        InstrumentHarness h;
        PowerUp powerUp({PowerUpSetting::Mode::Last, {}}, h.instrument, path);
        powerUp.Run();
        QCOMPARE(h.Serial(3).value, uint8_t(14));
        QCOMPARE(h.Serial(6).value, uint8_t(63));
        QCOMPARE(h.Serial(2).value, uint8_t(8)); // VK58-Q1-S1 4 dB
        for (int le : {1, 4, 5}) {
            QCOMPARE(h.Serial(le).loads, 0);
        }
        QCOMPARE(h.Ask("MOD?;LE?;ATT?"), QByteArray(R"(1,"VK58-Q1-S1";2;4)"));
        QCOMPARE(h.NextErrorCode(), 0);
        // Loading it back changes nothing, so the file is not written again.
        QCOMPARE(ReadAll(path), saved);
        QCOMPARE(Inode(path), inode);
        h.Run("LE 3;ATT 0");
        QVERIFY(ReadServeState(path).state.lines[3] ==
                (ServeState::Latched{Model("VK58-Q1-S1"), 0}));
    }

    void aDamagedFileLoadsNothingAndTheNextLoadReplacesIt() {
        QTemporaryDir dir;
        const QString path = dir.path() + "/serve-state.json";
        const QByteArray damaged = R"({"format": 1, "model": "VK58-Q5-S1", "le": 2, "lines": [)";
        WriteAll(path, damaged);
        InstrumentHarness h;
        PowerUp powerUp({PowerUpSetting::Mode::Last, {}}, h.instrument, path);
        powerUp.Run();
        for (int le = 1; le <= kLeLineCount; ++le) {
            QCOMPARE(h.Serial(le).loads, 0);
        }
        QCOMPARE(h.Ask("MOD?;LE?"), QByteArray(R"(0,"";1)"));
        QCOMPARE(ReadAll(path), damaged);
        h.Run("MOD 5;ATT 1;ATT 1");
        QCOMPARE(ReadServeState(path).outcome, ServeStateRead::Outcome::Read);
    }

    void aSweepWritesTheFileWhenItEnds() {
        QTemporaryDir dir;
        const QString path = dir.path() + "/serve-state.json";
        InstrumentHarness h;
        PowerUp powerUp({PowerUpSetting::Mode::Last, {}}, h.instrument, path);
        powerUp.Run();
        h.Run("MOD 5;LE 4;SWE:LIST 1,2,3;MODE LIST;DWEL 0.05;COUN 1;:INIT");
        QVERIFY(h.instrument.SweepRunning());
        QVERIFY(!QFile::exists(path));
        QTRY_VERIFY_WITH_TIMEOUT(!h.instrument.SweepRunning(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 2000);
        QVERIFY(ReadServeState(path).state.lines[4] ==
                (ServeState::Latched{Model("VK58-Q5-S1"), 6}));
    }

    void aFixedSettingRunsAndKeepsNoFile() {
        QTemporaryDir dir;
        const QString path = dir.path() + "/serve-state.json";
        InstrumentHarness h;
        PowerUp powerUp({PowerUpSetting::Mode::Fixed, "MOD 5;LE 3;ATT 31.5;LE 9"}, h.instrument,
                        path);
        powerUp.Run();
        QCOMPARE(h.Serial(3).value, uint8_t(63));
        QCOMPARE(h.Ask("LE?"), QByteArray("3"));
        h.Run("ATT 1");
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(ServeStateTest)
#include "test_serve_state.moc"
