// dsactl on bad input: each mistake ends with its exit status and one line on
// standard error that names the command, says what is wrong and what to do,
// and nothing on standard output. Also the help texts and the version.

#include <QtTest>

#include "DsactlRun.h"

class DsactlUsageTest : public QObject {
    Q_OBJECT

    // Runs in `folder`, on a machine whose kernel lists no parallel port.
    static DsactlOptions InFolderWithoutPorts(const QTemporaryDir& folder) {
        DsactlOptions options;
        options.workingDirectory = folder.path();
        options.environment.insert(QStringLiteral("DSACTL_TEST_PROC_PARPORT"),
                                   folder.filePath(QStringLiteral("none")));
        return options;
    }

private slots:
    void badInputFails_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // a part of the line on standard error

        const QString sim = QStringLiteral("--simulate");
        auto row = [](const char* name, QStringList arguments, int status, const char* message) {
            QTest::newRow(name) << arguments << status << QString::fromUtf8(message);
        };
        row("no command", {}, 64, "dsactl: no command given");
        row("unknown command", {"frobnicate"}, 64, "dsactl: unknown command 'frobnicate'");
        row("unknown option", {"set", "--model", "5", "--db", "7", "--colour"}, 64,
            "dsactl set: Unknown option 'colour'");
        row("stray argument", {"models", "extra"}, 64, "dsactl models: unexpected argument");
        row("unknown model", {sim, "set", "--model", "VK99", "--db", "7"}, 64,
            "dsactl set: unknown model 'VK99'");
        row("model 0", {sim, "set", "--model", "0", "--db", "7"}, 64, "unknown model '0'");
        row("model 29", {sim, "set", "--model", "29", "--db", "7"}, 64, "unknown model '29'");
        row("no model", {sim, "set", "--db", "7"}, 64, "--model is required");
        row("LE 0", {sim, "set", "--model", "5", "--db", "7", "--le", "0"}, 64,
            "--le '0' is not an LE line. Give 1 to 6.");
        row("LE 7", {sim, "set", "--model", "5", "--db", "7", "--le", "7"}, 64,
            "--le '7' is not an LE line. Give 1 to 6.");
        row("LE on a parallel model", {sim, "set", "--model", "13", "--db", "7", "--le", "1"}, 64,
            "VK58-Q1-P1 is a parallel model and takes no --le");
        row("db abc", {sim, "set", "--model", "5", "--db", "abc"}, 64,
            "--db 'abc' is not a number of dB");
        row("negative dB", {sim, "set", "--model", "5", "--db", "-7"}, 65,
            "-7 dB is outside the range of VK58-Q5-S1 (0 to 31.5 dB in steps of 0.5 dB). "
            "Attenuation is a positive number");
        row("above the range", {sim, "set", "--model", "1", "--db", "16"}, 65,
            "16 dB is outside the range of VK58-Q1-S1 (0 to 15.5 dB");
        row("above the range with --nearest",
            {sim, "set", "--model", "1", "--db", "16", "--nearest"}, 65, "outside the range");
        row("between steps", {sim, "set", "--model", "3", "--db", "7.5"}, 65,
            "VK58-Q3-S1 cannot make 7.5 dB exactly; the nearest values are 7 dB and 8 dB");
        row("db and steps", {sim, "set", "--model", "5", "--db", "7", "--steps", "1,2,4"}, 64,
            "give only one of --db, --steps, --word, not --db and --steps");
        row("no value", {sim, "set", "--model", "5"}, 64, "give one of --db, --steps, --word");
        row("missing value", {sim, "set", "--model", "5", "--db"}, 64,
            "Missing value after '--db'");
        row("step the model lacks", {sim, "set", "--model", "1", "--steps", "16"}, 65,
            "VK58-Q1-S1 has no 16 dB step; its steps are 0.5,1,2,4,8 dB");
        row("steps not numbers", {sim, "set", "--model", "5", "--steps", "1,x"}, 64,
            "--steps item 'x' is not a number");
        row("word with a missing step", {sim, "set", "--model", "1", "--word", "32"}, 65,
            "--word 32 switches on steps that VK58-Q1-S1 does not have");
        row("word not a number", {sim, "set", "--model", "1", "--word", "ten"}, 64,
            "--word 'ten' is not a number");
        row("bad port text", {"set", "--model", "5", "--db", "7", "--port", "0x378"}, 64,
            "--port '0x378' is not a hexadecimal port address");
        row("no port", {"set", "--model", "5", "--db", "7"}, 64,
            "no port given and no IOaddress.001 in this folder");
        row("simulated board elsewhere", {sim, "set", "--model", "5", "--db", "7", "--port", "278"},
            69, "the simulated board answers at 378, not at 278");
        row("adapter and simulated board", {sim, "--adapter", "ftdi://ftdi:232h/1", "set", "--model",
            "5", "--db", "7"}, 64, "give --adapter or --simulate, not both");
        row("adapter address not one", {"set", "--adapter", "ftdi://xyz/1", "--model", "5", "--db",
            "7"}, 64, "--adapter: \"ftdi://xyz/1\" is no usable FTDI adapter address: the vendor");
        row("adapter interface past A", {"--adapter", "ftdi://ftdi:232h/3", "set", "--model", "5",
            "--db", "7"}, 64, "the FT232H has one interface");
        row("sweep bad dwell",
            {sim, "sweep", "--model", "5", "--from", "0", "--to", "3", "--step", "1", "--dwell",
             "soon"},
            64, "--dwell 'soon' is not a duration");
        row("hop bad max-late",
            {sim, "hop", "--model", "5", "--list", "1", "--dwell", "1", "--max-late", "soon"}, 64,
            "--max-late 'soon' is not a duration");
        row("sweep no dwell",
            {sim, "sweep", "--model", "5", "--from", "0", "--to", "3", "--step", "1"}, 64,
            "--dwell is required");
        row("sweep zero step",
            {sim, "sweep", "--model", "5", "--from", "0", "--to", "3", "--step", "0", "--dwell",
             "1"},
            64, "--step 0 does not make a sweep");
        row("sweep value between steps",
            {sim, "sweep", "--model", "3", "--from", "0", "--to", "3", "--step", "0.5", "--dwell",
             "1"},
            65, "VK58-Q3-S1 cannot make 0.5 dB exactly");
        row("sweep out of range",
            {sim, "sweep", "--model", "1", "--from", "10", "--to", "20", "--step", "1", "--dwell",
             "1"},
            65, "16 dB is outside the range");
        row("sweep repeat and forever",
            {sim, "sweep", "--model", "5", "--from", "0", "--to", "1", "--step", "1", "--dwell",
             "1", "--repeat", "2", "--forever"},
            64, "give only one of --repeat, --forever");
        row("sweep bad on-stop",
            {sim, "sweep", "--model", "5", "--from", "0", "--to", "1", "--step", "1", "--dwell",
             "1", "--on-stop", "99"},
            65, "99 dB is outside the range");
        row("hop unknown model", {sim, "hop", "--model", "x", "--list", "1,2", "--dwell", "1"}, 64,
            "dsactl hop: unknown model 'x'");
        row("hop LE 7", {sim, "hop", "--model", "5", "--list", "1,2", "--dwell", "1", "--le", "7"},
            64, "--le '7' is not an LE line");
        row("hop bad value", {sim, "hop", "--model", "5", "--list", "1,abc", "--dwell", "1"}, 64,
            "--list 'abc' is not a number of dB");
        row("hop negative value", {sim, "hop", "--model", "5", "--list", "1,-2", "--dwell", "1"},
            65, "-2 dB is outside the range");
        row("serve bad listen address", {"serve", "--listen", "nowhere"}, 64,
            "dsactl serve: --listen takes ADDR:PORT");
        row("serve bad listen address before the command", {sim, "--listen", "nowhere", "serve"},
            64, "dsactl serve: --listen takes ADDR:PORT");
        row("serve port 10", {"serve", "--port", "10"}, 64,
            "dsactl serve: --port '10' sets no port (an address of 64 hex or less means none)");
        row("set port 10", {"set", "--model", "5", "--db", "7", "--port", "10"}, 64,
            "dsactl set: --port '10' sets no port (an address of 64 hex or less means none)");
        row("set port 10 in front, single dash",
            {sim, "-port", "10", "set", "--model", "5", "--db", "7"}, 64,
            "dsactl set: --port '10' sets no port");
        row("another command's option in front",
            {"--listen", "127.0.0.1:5025", "set", "--model", "5", "--db", "7"}, 64,
            "dsactl set: Unknown option 'listen'");
    }

    void badInputFails() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        const DsactlResult result = RunDsactl(arguments);
        QVERIFY(result.finished);
        QCOMPARE(result.status, status);
        QCOMPARE(result.out, QByteArray());
        const QStringList lines = result.ErrLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(QLatin1String("dsactl")), qPrintable(lines.first()));
        QVERIFY2(lines.first().contains(message), qPrintable(lines.first()));
    }

    void addressFileNamesThePort() {
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("IOaddress.001")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("278\r\n");
        file.close();
        DsactlOptions options = InFolderWithoutPorts(folder);
        const DsactlResult unlisted = RunDsactl({"set", "--model", "5", "--db", "7"}, options);
        QCOMPARE(unlisted.status, 69);
        QVERIFY2(unlisted.err.startsWith("dsactl set: no parallel port at 278; the kernel lists: "
                                         "none."),
                 unlisted.err.constData());

        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("37x\r\n");
        file.close();
        const DsactlResult bad = RunDsactl({"set", "--model", "5", "--db", "7"}, options);
        QCOMPARE(bad.status, 64);
        QVERIFY2(bad.err.contains("IOaddress.001 holds '37x' is not a hexadecimal port address"),
                 bad.err.constData());

        // serve follows the same rule, and says the same, where set and serve
        // once differed; a server that started anyway is stopped by the time-out.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("10\r\n");
        file.close();
        options.timeoutMs = 10000;
        for (const char* command : {"set", "serve"}) {
            QStringList arguments{QString::fromLatin1(command)};
            if (arguments.first() == QLatin1String("set")) {
                arguments << "--model"
                          << "5"
                          << "--db"
                          << "7";
            } else {
                arguments << "--listen"
                          << "127.0.0.1:0";
            }
            const DsactlResult none = RunDsactl(arguments, options);
            QVERIFY2(none.finished, command);
            QCOMPARE(none.status, 64);
            QVERIFY2(none.err.startsWith("dsactl " + QByteArray(command) +
                                         ": IOaddress.001 holds '10' sets no port"),
                     none.err.constData());
        }
    }

    // Given both, --port wins over the address file, for every command that
    // drives a board (serve: in the server's own tests).
    void portOptionWinsOverTheAddressFile_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("set") << QStringList{"set", "--model", "5", "--db", "7"};
        QTest::newRow("sweep") << QStringList{"sweep", "--model", "5", "--from",  "0", "--to",
                                              "1",     "--step",  "1", "--dwell", "1"};
        QTest::newRow("hop") << QStringList{"hop", "--model", "5", "--list", "1", "--dwell", "1"};
    }

    void portOptionWinsOverTheAddressFile() {
        QFETCH(QStringList, arguments);
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("IOaddress.001")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("278\r\n");
        file.close();
        const DsactlOptions options = InFolderWithoutPorts(folder);
        const DsactlResult result = RunDsactl(arguments + QStringList{"--port", "3bc"}, options);
        QCOMPARE(result.status, 69);
        const QByteArray expected = "dsactl " + arguments.first().toLatin1() +
                                    ": no parallel port at 3BC; the kernel lists: none.";
        QVERIFY2(result.err.startsWith(expected), result.err.constData());
    }

    void everyCommandHasHelp() {
        for (const char* command : {"models", "ports", "set", "sweep", "hop", "serve"}) {
            const DsactlResult result = RunDsactl({QString::fromLatin1(command), "--help"});
            QCOMPARE(result.status, 0);
            QVERIFY2(result.out.startsWith("Usage: dsactl " + QByteArray(command)), command);
            QVERIFY(result.out.contains("--simulate"));
            QCOMPARE(result.err, QByteArray());
        }
        const DsactlResult set = RunDsactl({"--simulate", "set", "--help"});
        QVERIFY(set.out.contains("1 to 28"));
        QVERIFY(set.out.contains("--port <HEX>"));
        const DsactlResult overall = RunDsactl({"--help"});
        QCOMPARE(overall.status, 0);
        for (const char* command : {"models", "ports", "set", "sweep", "hop", "serve"}) {
            QVERIFY2(overall.out.contains("\n  " + QByteArray(command) + " "), command);
        }
        const DsactlResult version = RunDsactl({"--version"});
        QCOMPARE(version.status, 0);
        QVERIFY(version.out.startsWith("dsactl "));
    }
};

QTEST_GUILESS_MAIN(DsactlUsageTest)
#include "test_dsactl_usage.moc"
