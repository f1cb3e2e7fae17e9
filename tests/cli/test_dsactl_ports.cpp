// dsactl against the kernel's parallel ports: which ones this user can use, and
// the exit status and advice when a port is not listed, has no device node, or
// may not be opened. The ports are a prepared folder that stands in for
// /proc/sys/dev/parport and /dev (DSACTL_TEST_PROC_PARPORT, DSACTL_TEST_DEV_DIR);
// the permission cases run as the unprivileged user nobody.

#include <QJsonArray>
#include <QtTest>

#include "DsactlRun.h"

namespace {

void MakeReadable(const QString& path) {
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                    QFile::ExeOther);
}

} // namespace

class DsactlPortsTest : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    DsactlOptions options_;

private slots:
    void initTestCase() {
        // parport0 at 378 with a device node nobody may open; parport1 at 278
        // without a device node.
        QDir dir(root_.path());
        MakeReadable(root_.path());
        QVERIFY(dir.mkpath(QStringLiteral("proc/parport0")));
        QVERIFY(dir.mkpath(QStringLiteral("proc/parport1")));
        QVERIFY(dir.mkpath(QStringLiteral("dev")));
        for (const char* sub : {"proc", "proc/parport0", "proc/parport1", "dev"}) {
            MakeReadable(dir.filePath(QString::fromLatin1(sub)));
        }
        const QList<QPair<const char*, QByteArray>> files{
            {"proc/parport0/base-addr", "888\t-1\n"},
            {"proc/parport1/base-addr", "632\t-1\n"},
            {"dev/parport0", ""}};
        for (const auto& [name, content] : files) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
            file.close();
            MakeReadable(file.fileName());
        }
        QFile::setPermissions(dir.filePath(QStringLiteral("dev/parport0")), QFile::Permissions());
        options_.environment.insert(QStringLiteral("DSACTL_TEST_PROC_PARPORT"),
                                    dir.filePath(QStringLiteral("proc")));
        options_.environment.insert(QStringLiteral("DSACTL_TEST_DEV_DIR"),
                                    dir.filePath(QStringLiteral("dev")));
        options_.unprivileged = true;
    }

    void portWithoutPermissionGivesTheLpGroupHint() {
        for (const QStringList& arguments :
             {QStringList{"set", "--model", "5", "--db", "7", "--port", "378"},
              QStringList{"--port", "378", "sweep", "--model", "5", "--from", "0", "--to", "2",
                          "--step", "1", "--dwell", "1"},
              QStringList{"hop", "--model", "13", "--list", "1", "--dwell", "1", "--port=378"}}) {
            const DsactlResult result = RunDsactl(arguments, options_);
            QCOMPARE(result.status, 77);
            QCOMPARE(result.ErrLines().size(), 1);
            QVERIFY2(result.err.contains("no permission to use " +
                                         options_.environment.value("DSACTL_TEST_DEV_DIR").toUtf8() +
                                         "/parport0"),
                     result.err.constData());
            QVERIFY2(result.err.contains("lp group"), result.err.constData());
        }
    }

    void missingDeviceNodeAndUnlistedPort() {
        const DsactlResult missing =
            RunDsactl({"set", "--model", "5", "--db", "7", "--port", "278"}, options_);
        QCOMPARE(missing.status, 69);
        QVERIFY2(missing.err.contains("/parport1 is missing. Run: sudo modprobe ppdev"),
                 missing.err.constData());

        const DsactlResult unlisted =
            RunDsactl({"set", "--model", "5", "--db", "7", "--port", "3bc"}, options_);
        QCOMPARE(unlisted.status, 69);
        QVERIFY2(unlisted.err.startsWith("dsactl set: no parallel port at 3BC; the kernel lists: "
                                         "378, 278."),
                 unlisted.err.constData());
    }

    void portsSaysWhoCanUseWhat() {
        const DsactlResult json = RunDsactl({"ports", "--json"}, options_);
        QCOMPARE(json.status, 0);
        const QJsonArray ports = QJsonDocument::fromJson(json.out).object().value("ports").toArray();
        QCOMPARE(ports.size(), 2);
        const QJsonObject first = ports[0].toObject();
        QCOMPARE(first.value("base").toString(), QStringLiteral("378"));
        QCOMPARE(first.value("base_decimal").toInt(), 888);
        QVERIFY(first.value("device").toString().endsWith(QLatin1String("/dev/parport0")));
        QCOMPARE(first.value("usable").toBool(true), false);
        QCOMPARE(first.value("problem").toString(), QStringLiteral("no_permission"));
        QVERIFY(first.value("reason").toString().contains(QLatin1String("lp group")));
        const QJsonObject second = ports[1].toObject();
        QCOMPARE(second.value("base").toString(), QStringLiteral("278"));
        QCOMPARE(second.value("problem").toString(), QStringLiteral("no_device"));

        const DsactlResult text = RunDsactl({"ports"}, options_);
        QCOMPARE(text.status, 0);
        const QStringList lines = text.OutLines();
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[1].startsWith(QLatin1String("378 ")));
        QVERIFY2(lines[1].contains(QLatin1String("no: ")) && lines[1].contains("lp group"),
                 qPrintable(lines[1]));
        QVERIFY(lines[2].startsWith(QLatin1String("278 ")));
        // No adapter on this machine's USB, or no USB to search.
        QVERIFY2(lines[3].startsWith(QLatin1String("FTDI adapters: ")), qPrintable(lines[3]));
        const QJsonObject object = QJsonDocument::fromJson(json.out).object();
        QVERIFY(object.value("adapters").isArray());
        QVERIFY(object.value("adapters_error").isNull() || object.value("adapters_error").isString());
    }

    void noPortsListed() {
        DsactlOptions options = options_;
        options.environment.insert(QStringLiteral("DSACTL_TEST_PROC_PARPORT"),
                                   root_.filePath(QStringLiteral("nothing")));
        const DsactlResult text = RunDsactl({"ports"}, options);
        QCOMPARE(text.status, 0);
        QVERIFY(text.out.contains("modprobe parport_pc ppdev"));
        const DsactlResult json = RunDsactl({"ports", "--json"}, options);
        QCOMPARE(QJsonDocument::fromJson(json.out).object().value("ports").toArray().size(), 0);
    }
};

QTEST_GUILESS_MAIN(DsactlPortsTest)
#include "test_dsactl_ports.moc"
