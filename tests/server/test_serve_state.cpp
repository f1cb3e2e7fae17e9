// The state file of `dsactl serve --power-up last`: where it lives, what a
// written file reads back as, every kind of damaged file refused whole, and
// when the server writes it. Loading it back is tested end to end, through
// the server (test_serve_pyvisa.py).

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

    void damagedFilesAreRefusedWhole_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        const QByteArray good = ServeStateJson(SampleState());
        QTest::newRow("empty") << QByteArray() << "not JSON";
        QTest::newRow("truncated") << good.left(good.size() / 2) << "not JSON";
        QTest::newRow("an array") << QByteArray("[1, 2]") << "not a JSON object";
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
        row("LE 7", R"("model": "VK58-Q5-S1", "le": 7)", "\"le\" is not a whole number");
        row("LE 2.5", R"("model": "VK58-Q5-S1", "le": 2.5)", "\"le\" is not a whole number");
        const auto lines = [&row](const char* name, const char* entries, const char* problem) {
            row(name,
                (QByteArray(R"("model": "VK58-Q5-S1", "le": 1, "lines": )") + entries).constData(),
                problem);
        };
        lines("lines not an array", R"({"le": 1})", "\"lines\" is not an array");
        lines("a line not an object", R"([3])", "lines[0]: is not an object");
        lines("a line on LE 9", R"([{"le": 9, "model": "VK58-Q5-S1", "word": 1}])",
              "lines[0]: \"le\" is not a whole number");
        lines("a word of more than 8 bits", R"([{"le": 1, "model": "VK58-Q5-S1", "word": 256}])",
              "\"word\" is not a whole number");
        lines("a 16 dB step on a model without it",
              R"([{"le": 1, "model": "VK58-Q1-S1", "word": 32}])",
              "lines[0]: word 32 switches steps VK58-Q1-S1 lacks");
        lines("a parallel model on an LE line", R"([{"le": 1, "model": "VK58-Q5-P1", "word": 1}])",
              "lines[0]: VK58-Q5-P1 is a parallel model");
        lines("an LE line twice",
              R"([{"le": 4, "model": "VK58-Q5-S1", "word": 1},
                  {"le": 4, "model": "VK58-Q5-S1", "word": 2}])",
              "lines[1]: LE 4 comes twice");
        row("a serial model on the parallel latch",
            R"("model": "VK58-Q5-S1", "le": 1, "parallel": {"model": "VK58-Q5-S1", "word": 1})",
            "parallel: VK58-Q5-S1 is a serial model");
        row("a parallel word with steps its model lacks",
            R"("model": "VK58-Q5-S1", "le": 1, "parallel": {"model": "VK58-Q1-P1", "word": 33})",
            "parallel: word 33 switches steps VK58-Q1-P1 lacks");
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
        QTest::newRow("blank") << "  " << false << 0 << QByteArray();
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

    void theFileIsWrittenWhenALoadChangedIt() {
        QTemporaryDir dir;
        const QString path = dir.path() + "/serve-state.json";
        InstrumentHarness h;
        PowerUp powerUp({PowerUpSetting::Mode::Last, {}}, h.instrument, path);
        powerUp.Run();
        h.Run("MOD 5;LE 2;ATT 7");
        const ino_t written = Inode(path);
        QVERIFY(written != 0);
        h.Run("ATT 7");
        QCOMPARE(Inode(path), written);
        // A sweep's Loads are written once it has ended, not at each step.
        h.Run("LE 4;SWE:LIST 1,2,3;MODE LIST;DWEL 0.05;COUN 1;:INIT");
        QVERIFY(h.instrument.SweepRunning());
        QCOMPARE(Inode(path), written);
        QTRY_VERIFY_WITH_TIMEOUT(!h.instrument.SweepRunning(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(Inode(path) != written, 2000);
        const ServeState state = ReadServeState(path).state;
        QVERIFY(state.lines[4] == (ServeState::Latched{Model("VK58-Q5-S1"), 6}));
        QVERIFY(state.lines[2] == (ServeState::Latched{Model("VK58-Q5-S1"), 14}));
    }
};

QTEST_GUILESS_MAIN(ServeStateTest)
#include "test_serve_state.moc"
