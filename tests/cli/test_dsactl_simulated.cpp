// dsactl on the simulated board: what set prints and latches, the words a sweep
// and a hop latch in order, Ctrl+C, SIGTERM and SIGHUP during a sweep with and without
// --on-stop, and the JSON outputs with their keys.

#include <QJsonArray>
#include <QProcess>
#include <QtTest>

#include <csignal>

#include "DsactlRun.h"

namespace {

const QStringList kSim{QStringLiteral("--simulate")};

// The "board: ..." lines of a run, without the prefix.
QStringList BoardLines(const DsactlResult& result) {
    QStringList lines;
    for (const QString& line : result.OutLines()) {
        if (line.startsWith(QLatin1String("board: "))) {
            lines << line.mid(7);
        }
    }
    return lines;
}

void VerifyKeys(const QJsonObject& object, const QStringList& keys) {
    for (const QString& key : keys) {
        QVERIFY2(object.contains(key),
                 qPrintable(key + " missing in " +
                            QJsonDocument(object).toJson(QJsonDocument::Compact)));
    }
}

const QStringList kStepKeys{"step", "cycle",  "planned_us", "actual_us", "attenuation_db",
                            "word", "binary", "verified",   "board"};
const QStringList kEndKeys{"end",     "steps",      "unverified",   "signal",
                           "on_stop", "late_steps", "most_late_us", "slip_us"};

} // namespace

class DsactlSimulatedTest : public QObject {
    Q_OBJECT

    // Starts a sweep that runs until stopped, waits for a few steps, sends
    // `signalNumber`, and returns what it printed.
    DsactlResult StopSweep(int signalNumber, const QStringList& extra) {
        QProcess process;
        process.start(DsactlPath(),
                      kSim +
                          QStringList{"sweep", "--model", "5", "--from", "0", "--to", "3", "--step",
                                      "0.5", "--dwell", "20ms", "--forever", "--json"} +
                          extra);
        DsactlResult result;
        if (!process.waitForStarted()) {
            return result;
        }
        QByteArray out;
        while (out.count('\n') < 4 && process.waitForReadyRead(10000)) {
            out += process.readAllStandardOutput();
        }
        ::kill(static_cast<pid_t>(process.processId()), signalNumber);
        result.finished = process.waitForFinished(10000);
        result.out = out + process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        if (result.finished && process.exitStatus() == QProcess::NormalExit) {
            result.status = process.exitCode();
        }
        return result;
    }

private slots:
    void setPrintsWhatWasSentAndWhatTheBoardLatched() {
        const DsactlResult result =
            RunDsactl(kSim + QStringList{"set", "--model", "VK58-Q5-S1", "--db", "7", "--le", "3"});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.err, QByteArray());
        const QStringList lines = result.OutLines();
        QCOMPARE(lines,
                 QStringList({"model        5 VK58-Q5-S1 (serial)", "LE line      3",
                              "attenuation  7 dB", "word         001110 (14)",
                              "port         378 (simulated board)", "verified     yes, every write",
                              "board: LE3 latched 001110 = 7 dB"}));
        // The shared options after the subcommand, a key in another case, a step list.
        const DsactlResult steps =
            RunDsactl({"set", "--model", "vk58-q8-p1", "--steps", "1,32", "--simulate"});
        QCOMPARE(steps.status, 64); // no such key: the cascaded model is 2VK58-Q8-P1
        const DsactlResult cascaded =
            RunDsactl({"set", "--model", "2vk58-q8-p1", "--steps", "1,32", "--simulate"});
        QCOMPARE(cascaded.status, 0);
        QCOMPARE(BoardLines(cascaded), QStringList{"parallel latched 100001 = 33 dB"});
        const DsactlResult seventh =
            RunDsactl(kSim + QStringList{"set", "--model", "25", "--word", "0b1100001"});
        QCOMPARE(BoardLines(seventh), QStringList{"parallel latched 1100001 = 16.75 dB"});
        const DsactlResult nearest =
            RunDsactl(kSim + QStringList{"set", "--model", "3", "--db", "7.6", "--nearest"});
        QCOMPARE(nearest.status, 0);
        QCOMPARE(BoardLines(nearest), QStringList{"LE1 latched 010000 = 8 dB"});
    }

    void setJsonKeepsItsKeys() {
        const DsactlResult serial = RunDsactl(
            kSim + QStringList{"set", "--model", "5", "--db", "7.5", "--le", "6", "--json"});
        QCOMPARE(serial.status, 0);
        QCOMPARE(serial.OutLines().size(), 1);
        const QJsonObject object = serial.JsonLines().first();
        VerifyKeys(object, {"model", "interface", "le", "attenuation_db", "asked_db", "word",
                            "binary", "port", "simulated", "dry_run", "verified", "board"});
        QCOMPARE(object.value("model").toObject().value("position").toInt(), 5);
        QCOMPARE(object.value("model").toObject().value("key").toString(),
                 QStringLiteral("VK58-Q5-S1"));
        QCOMPARE(object.value("le").toInt(), 6);
        QCOMPARE(object.value("attenuation_db").toDouble(), 7.5);
        QCOMPARE(object.value("word").toInt(), 15);
        QCOMPARE(object.value("binary").toString(), QStringLiteral("001111"));
        QCOMPARE(object.value("verified").toBool(), true);
        QCOMPARE(object.value("port").toString(), QStringLiteral("378"));
        QCOMPARE(object.value("board").toObject().value("device").toString(),
                 QStringLiteral("LE6"));
        QCOMPARE(object.value("board").toObject().value("word").toInt(), 15);

        const DsactlResult parallel =
            RunDsactl(kSim + QStringList{"set", "--model", "13", "--word", "3", "--json"});
        const QJsonObject p = parallel.JsonLines().first();
        QVERIFY(p.value("le").isNull());
        QCOMPARE(p.value("interface").toString(), QStringLiteral("parallel"));
        QVERIFY(!p.contains("asked_db"));

        // A dry run needs no port and touches none.
        const DsactlResult dry =
            RunDsactl({"set", "--model", "5", "--db", "1", "--dry-run", "--json"});
        QCOMPARE(dry.status, 0);
        const QJsonObject d = dry.JsonLines().first();
        QCOMPARE(d.value("dry_run").toBool(), true);
        QCOMPARE(d.value("verified").toBool(true), false);
        QVERIFY(d.value("port").isNull());
        QVERIFY(!d.contains("board"));
        QCOMPARE(d.value("word").toInt(), 2);
    }

    void modelsListsTheCatalogue() {
        const DsactlResult text = RunDsactl({"models"});
        QCOMPARE(text.status, 0);
        const QStringList lines = text.OutLines();
        QCOMPARE(lines.size(), 29);
        QVERIFY(lines[1].startsWith(QLatin1String("  1  VK58-Q1-S1 ")));
        QVERIFY(lines[25].contains(QLatin1String("0.25 0.5 1 2 4 8 16")));
        const DsactlResult json = RunDsactl({"models", "--json"});
        const QJsonArray models =
            QJsonDocument::fromJson(json.out).object().value("models").toArray();
        QCOMPARE(models.size(), 28);
        for (int i = 0; i < models.size(); ++i) {
            const QJsonObject model = models[i].toObject();
            VerifyKeys(model, {"position", "key", "entry", "interface", "steps_db", "max_db",
                               "resolution_db"});
            QCOMPARE(model.value("position").toInt(), i + 1);
            QCOMPARE(model.value("interface").toString(),
                     i >= 12 && i <= 25 ? QStringLiteral("parallel") : QStringLiteral("serial"));
        }
        const QJsonObject cascaded = models[25].toObject();
        QCOMPARE(cascaded.value("key").toString(), QStringLiteral("2VK58-Q8-P1"));
        QCOMPARE(cascaded.value("max_db").toDouble(), 63.0);
        QCOMPARE(cascaded.value("steps_db").toArray(), QJsonArray({1, 2, 4, 8, 16, 32}));
        QCOMPARE(models[2].toObject().value("resolution_db").toDouble(), 1.0);

        const DsactlResult ports = RunDsactl({"ports", "--simulate", "--json"});
        const QJsonObject port =
            QJsonDocument::fromJson(ports.out).object().value("ports").toArray().first().toObject();
        QCOMPARE(port.value("device").toString(), QStringLiteral("simulated"));
        QCOMPARE(port.value("usable").toBool(), true);
    }

    void sweepLatchesItsWordsInOrder() {
        const DsactlResult up =
            RunDsactl(kSim + QStringList{"sweep", "--model", "5", "--from", "0", "--to", "3",
                                         "--step", "1", "--dwell", "2ms", "--le", "2"});
        QCOMPARE(up.status, 0);
        QCOMPARE(BoardLines(up),
                 QStringList({"LE2 latched 000000 = 0 dB", "LE2 latched 000010 = 1 dB",
                              "LE2 latched 000100 = 2 dB", "LE2 latched 000110 = 3 dB"}));
        QCOMPARE(up.OutLines().last(),
                 QStringLiteral("sweep: completed after 4 steps; every write verified"));
        // Downwards, twice, on a parallel model.
        const DsactlResult down =
            RunDsactl(kSim + QStringList{"sweep", "--model", "17", "--from", "4", "--to", "1",
                                         "--step", "1.5", "--dwell", "1", "--repeat", "2"});
        QCOMPARE(down.status, 0);
        const QStringList once{"parallel latched 001000 = 4 dB", "parallel latched 000101 = 2.5 dB",
                               "parallel latched 000010 = 1 dB"};
        QCOMPARE(BoardLines(down), once + once);
    }

    void hopLatchesItsWordsInOrderAndReportsTiming() {
        const DsactlResult hop =
            RunDsactl(kSim + QStringList{"hop", "--model", "2VK58-Q8-P1", "--list", "63,1,32,0",
                                         "--dwell", "5ms", "--json"});
        QCOMPARE(hop.status, 0);
        const QList<QJsonObject> lines = hop.JsonLines();
        QCOMPARE(lines.size(), 5);
        const QList<int> words{63, 1, 32, 0};
        for (int i = 0; i < 4; ++i) {
            VerifyKeys(lines[i], kStepKeys);
            QCOMPARE(lines[i].value("step").toInt(), i);
            QCOMPARE(lines[i].value("word").toInt(), words[i]);
            QCOMPARE(lines[i].value("board").toObject().value("word").toInt(), words[i]);
            QCOMPARE(lines[i].value("verified").toBool(), true);
            // Deadlines count from the start, a dwell apart unless a late step
            // moved them; a step never starts before its own.
            const qint64 planned = lines[i].value("planned_us").toInteger();
            QVERIFY(planned >= 5000LL * i);
            if (i > 0) {
                QVERIFY(planned - lines[i - 1].value("planned_us").toInteger() >= 5000);
            }
            QVERIFY(lines[i].value("actual_us").toInteger() >= planned);
        }
        // What the deadlines moved by is the slip the end record gives.
        QVERIFY(qAbs(lines[3].value("planned_us").toInteger() - 15000 -
                     lines[4].value("slip_us").toInteger()) <= 3);
        VerifyKeys(lines[4], kEndKeys);
        QCOMPARE(lines[4].value("end").toString(), QStringLiteral("completed"));
        QCOMPARE(lines[4].value("steps").toInt(), 4);
        QVERIFY(lines[4].value("signal").isNull());
        QVERIFY(lines[4].value("on_stop").isNull());
        // --on-stop is for a run ended by a signal: a run that completes ends
        // on its last value.
        const DsactlResult completed =
            RunDsactl(kSim + QStringList{"hop", "--model", "5", "--list", "1,2", "--dwell", "1",
                                         "--on-stop", "31.5"});
        QCOMPARE(completed.status, 0);
        QCOMPARE(BoardLines(completed),
                 QStringList({"LE1 latched 000010 = 1 dB", "LE1 latched 000100 = 2 dB"}));
        QCOMPARE(completed.OutLines().last(),
                 QStringLiteral("hop: completed after 2 steps; every write verified"));
        // Semicolons separate the list where the decimal separator is a comma.
        QProcessEnvironment german = QProcessEnvironment::systemEnvironment();
        german.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
        DsactlOptions options;
        options.environment = german;
        const DsactlResult semicolons = RunDsactl(
            kSim + QStringList{"hop", "--model", "5", "--list", "0.5;1.5", "--dwell", "1"},
            options);
        QCOMPARE(semicolons.status, 0);
        QCOMPARE(BoardLines(semicolons).size(), 2);
    }

    void ctrlCEndsASweepAfterTheStepUnderWay_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QString>("signalName");
        QTest::newRow("SIGINT") << int(SIGINT) << QStringLiteral("SIGINT");
        QTest::newRow("SIGTERM") << int(SIGTERM) << QStringLiteral("SIGTERM");
        QTest::newRow("SIGHUP") << int(SIGHUP) << QStringLiteral("SIGHUP");
    }

    void ctrlCEndsASweepAfterTheStepUnderWay() {
        QFETCH(int, signalNumber);
        QFETCH(QString, signalName);
        const DsactlResult result = StopSweep(signalNumber, {});
        QVERIFY(result.finished);
        QCOMPARE(result.status, 0);
        const QList<QJsonObject> lines = result.JsonLines();
        QVERIFY(lines.size() >= 5);
        const QJsonObject end = lines.last();
        VerifyKeys(end, kEndKeys);
        QCOMPARE(end.value("end").toString(), QStringLiteral("stopped"));
        QCOMPARE(end.value("signal").toString(), signalName);
        QVERIFY(end.value("on_stop").isNull());
        QCOMPARE(end.value("steps").toInt(), lines.size() - 1);
        // Every step before the end was a whole Load, in order: 0, 0.5, 1 ... dB.
        for (int i = 0; i + 1 < lines.size(); ++i) {
            QCOMPARE(lines[i].value("step").toInt(), i);
            QCOMPARE(lines[i].value("word").toInt(), i % 7);
            QCOMPARE(lines[i].value("board").toObject().value("word").toInt(), i % 7);
        }
    }

    // A sweep stopped for half a second (as a suspended terminal or a swap
    // storm does) slips instead of loading the steps due meanwhile in a burst,
    // and says how late it was.
    void aStalledSweepSlipsAndReportsIt() {
        QProcess process;
        process.start(DsactlPath(),
                      kSim + QStringList{"sweep", "--model", "5", "--from", "0", "--to", "10",
                                         "--step", "0.5", "--dwell", "10ms", "--json"});
        QVERIFY(process.waitForStarted());
        QByteArray out;
        while (out.count('\n') < 3 && process.waitForReadyRead(10000)) {
            out += process.readAllStandardOutput();
        }
        const auto pid = static_cast<pid_t>(process.processId());
        ::kill(pid, SIGSTOP);
        QTest::qSleep(500);
        ::kill(pid, SIGCONT);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 0);
        DsactlResult result;
        result.out = out + process.readAllStandardOutput();
        const QList<QJsonObject> lines = result.JsonLines();
        QCOMPARE(lines.size(), 22);
        // No step followed the one before sooner than the dwell less 0.5 ms.
        for (int i = 1; i < 21; ++i) {
            const qint64 apart = lines[i].value("actual_us").toInteger() -
                                 lines[i - 1].value("actual_us").toInteger();
            QVERIFY2(apart >= 9500, qPrintable(QStringLiteral("steps %1 and %2 were %3 us apart")
                                                   .arg(i - 1)
                                                   .arg(i)
                                                   .arg(apart)));
        }
        const QJsonObject end = lines.last();
        QCOMPARE(end.value("end").toString(), QStringLiteral("completed"));
        QVERIFY(end.value("late_steps").toInt() >= 1);
        QVERIFY(end.value("most_late_us").toInteger() >= 400000);
        QVERIFY(end.value("slip_us").toInteger() >= end.value("most_late_us").toInteger());
        QVERIFY(qAbs(lines[20].value("planned_us").toInteger() - 200000 -
                     end.value("slip_us").toInteger()) <= 25);
    }

    // With --max-late, a step that would start later than that ends the run
    // before it is loaded, with status 3.
    void aStepTooLateEndsTheRun() {
        QProcess process;
        process.start(DsactlPath(),
                      kSim + QStringList{"hop", "--model", "5", "--list", "1,2,3,4,5,6,7,8",
                                         "--dwell", "20ms", "--max-late", "100ms", "--json"});
        QVERIFY(process.waitForStarted());
        QByteArray out;
        while (out.count('\n') < 2 && process.waitForReadyRead(10000)) {
            out += process.readAllStandardOutput();
        }
        const auto pid = static_cast<pid_t>(process.processId());
        ::kill(pid, SIGSTOP);
        QTest::qSleep(400);
        ::kill(pid, SIGCONT);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 3);
        DsactlResult result;
        result.out = out + process.readAllStandardOutput();
        const QList<QJsonObject> lines = result.JsonLines();
        QVERIFY(lines.size() >= 3 && lines.size() < 9);
        QCOMPARE(lines.last().value("end").toString(), QStringLiteral("late"));
        QCOMPARE(lines.last().value("steps").toInt(), lines.size() - 1);
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(err.startsWith("dsactl hop: step ") && err.contains("late, more than --max-late"),
                 err.constData());
    }

    // --realtime where this user may not have it: one line says how to allow
    // it, and the run goes on as without the option.
    void realtimeRefusedSaysHowAndGoesOn() {
        DsactlOptions options;
        options.unprivileged = true;
        const DsactlResult result =
            RunDsactl(kSim + QStringList{"hop", "--model", "5", "--list", "1,2", "--dwell", "1",
                                         "--realtime"},
                      options);
        QCOMPARE(result.status, 0);
        QCOMPARE(BoardLines(result).size(), 2);
        const QStringList err = result.ErrLines();
        QCOMPARE(err.size(), 1);
        QVERIFY2(err.first().startsWith(QLatin1String("dsactl hop: --realtime: this user may not "
                                                      "have real-time scheduling (allow it with "
                                                      "'ulimit -r 10'")) &&
                     err.first().endsWith(QLatin1String("going on at normal priority.")),
                 qPrintable(err.first()));
    }

    void ctrlCWithOnStopParksTheDevice() {
        for (int signalNumber : {SIGINT, SIGTERM}) {
            const DsactlResult result = StopSweep(signalNumber, {"--on-stop", "31.5", "--le", "4"});
            QVERIFY(result.finished);
            QCOMPARE(result.status, 0);
            const QJsonObject end = result.JsonLines().last();
            QCOMPARE(end.value("signal").toString(),
                     signalNumber == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM"));
            const QJsonObject parked = end.value("on_stop").toObject();
            QCOMPARE(parked.value("word").toInt(), 63);
            QCOMPARE(parked.value("verified").toBool(), true);
            QCOMPARE(parked.value("board").toObject().value("device").toString(),
                     QStringLiteral("LE4"));
            QCOMPARE(parked.value("board").toObject().value("word").toInt(), 63);
        }
        // In text: the last board line is the parked value, then the summary.
        QProcess process;
        process.start(DsactlPath(), kSim + QStringList{"sweep", "--model", "1", "--from", "0",
                                                       "--to", "2", "--step", "1", "--dwell",
                                                       "20ms", "--forever", "--on-stop", "15.5"});
        QVERIFY(process.waitForStarted());
        QByteArray out;
        while (out.count('\n') < 3 && process.waitForReadyRead(10000)) {
            out += process.readAllStandardOutput();
        }
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(10000));
        out += process.readAllStandardOutput();
        QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
        // A busy machine may have made a step late: that line stands before the summary.
        if (lines[lines.size() - 2].startsWith(QLatin1String("sweep: "))) {
            lines.removeAt(lines.size() - 2);
        }
        QCOMPARE(lines[lines.size() - 2], QStringLiteral("board: LE1 latched 011111 = 15.5 dB"));
        QVERIFY2(lines.last().startsWith(QLatin1String("sweep: stopped by SIGINT after ")) &&
                     lines.last().endsWith(
                         QLatin1String(" steps, then set 15.5 dB (011111); every write verified")),
                 qPrintable(lines.last()));
        QCOMPARE(process.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(DsactlSimulatedTest)
#include "test_dsactl_simulated.moc"
