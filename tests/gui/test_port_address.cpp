// The port address box, its file and what each activation does with them.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

#include "BoardHarness.h"

namespace {

QByteArray FileBytes() {
    QFile file(AddressFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteRaw(const QByteArray& bytes) {
    QFile file(AddressFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Types `keys` into the emptied address box and records PortAddress after each key.
std::vector<int32_t> TypeAddress(BoardHarness& h, const QString& keys) {
    h.form.AddText->setFocus();
    h.form.AddText->clear();
    std::vector<int32_t> seen;
    for (const QChar key : keys) {
        QTest::keyClicks(h.form.AddText, QString(key));
        seen.push_back(h.form.PortAddress);
    }
    return seen;
}

} // namespace

class PortAddressTest : public QObject {
    Q_OBJECT

private slots:
    void noFileLeavesThePortAlone() {
        BoardHarness h;
        h.Start(false);
        QCOMPARE(h.form.PortAddress, 0);
        QCOMPARE(h.form.AddText->text(), QStringLiteral("0"));
        QVERIFY(h.port.Log().empty());
        QCOMPARE(h.notifier.beeps, 0);
        QVERIFY(h.notifier.messages.empty());
    }

    void savedAddressIsReadAndThePortCleared() {
        BoardHarness h;
        WriteRaw("378\r\n");
        h.Start(false);
        QCOMPARE(h.form.AddText->text(), QStringLiteral("378"));
        QCOMPARE(h.form.PortAddress, 888);
        // Control register first, then the data register, each verified.
        std::vector<std::pair<int32_t, int>> writes;
        for (const SimulatedBoard::Access& access : h.port.Log()) {
            if (access.kind == SimulatedBoard::Kind::Write) {
                writes.emplace_back(access.port, access.value);
            }
        }
        const std::vector<std::pair<int32_t, int>> expected{{890, 0}, {888, 0}};
        QCOMPARE(writes, expected);
    }

    void savedFileContents_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int32_t>("address");
        // The box held "278" (632) before the activation read the file.
        QTest::newRow("empty file sets no port and empties the box") << QByteArray("") << "" << 0;
        QTest::newRow("six characters are ignored") << QByteArray("000378\r\n") << "278" << 632;
        QTest::newRow("quoted field") << QByteArray("\"3bc\"\r\n") << "3bc" << 956;
        QTest::newRow("pci card") << QByteArray("D010\r\n") << "D010" << 53264;
        QTest::newRow("not a number is shown, address kept")
            << QByteArray("37x\r\n") << "37x" << 632;
        QTest::newRow("binary junk") << QByteArray("\x01\xff\x80", 3) << "278" << 632;
    }

    void savedFileContents() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, box);
        QFETCH(int32_t, address);
        BoardHarness h;
        WriteRaw(contents);
        h.form.AddText->setText(QStringLiteral("278"));
        h.Start();
        if (QTest::currentDataTag() != QByteArrayLiteral("binary junk")) {
            QCOMPARE(h.form.AddText->text(), box);
        }
        QCOMPARE(h.form.PortAddress, address);
    }

    void typingChangesTheAddressAndLeavingSavesIt() {
        BoardHarness h;
        h.Start();
        QCOMPARE(TypeAddress(h, QStringLiteral("378")), (std::vector<int32_t>{3, 55, 888}));
        QCOMPARE(FileBytes(), QByteArray("<missing>"));
        h.form.ModelCombo->setFocus();
        QCOMPARE(FileBytes(), QByteArray("378\r\n"));

        // An invalid key keeps the last valid address; the text is saved as typed
        // and the next activation shows it without changing the address.
        QCOMPARE(TypeAddress(h, QStringLiteral("37x")), (std::vector<int32_t>{3, 55, 55}));
        h.form.ModelCombo->setFocus();
        QCOMPARE(FileBytes(), QByteArray("37x\r\n"));
        h.form.Form_Activate();
        QCOMPARE(h.form.AddText->text(), QStringLiteral("37x"));
        QCOMPARE(h.form.PortAddress, 55);
    }

    void controlRegisterWithSpareBitsBeepsOnce() {
        BoardHarness h;
        WriteRaw("378\r\n");
        h.port.FaultsOf(BoardHarness::kControl).stuckHigh = 0xC0;
        h.Start(false);
        QCOMPARE(h.notifier.beeps, 1);
        QCOMPARE(h.port.WritesTo(BoardHarness::kControl), std::vector<int>(10, 0));
        QCOMPARE(h.DataWrites(), std::vector<int>{0});
    }

    void unusablePortIsReportedOnceForBothRegisters() {
        BoardHarness h;
        WriteRaw("378\r\n");
        h.port.FaultsOf(BoardHarness::kControl).unavailable = true;
        h.port.FaultsOf(BoardHarness::kData).unavailable = true;
        h.Start(false);
        QCOMPARE(h.notifier.messages.size(), std::size_t{1});
        QCOMPARE(h.notifier.beeps, 0);
        h.form.Form_Activate();
        QCOMPARE(h.notifier.messages.size(), std::size_t{1});
    }

    void activationResetsTheLeState() {
        BoardHarness h;
        h.Start();
        h.form.LeIndex = 5;
        h.form.LeMemory = {9, 1, 2, 3, 4, 5, 6};
        h.form.Form_Activate();
        QCOMPARE(h.form.LeIndex, int16_t(1));
        const LeMemoryTable cleared{9, 0, 0, 0, 0, 0, 0};
        QCOMPARE(h.form.LeMemory, cleared);
    }
};

QTEST_MAIN(PortAddressTest)
#include "test_port_address.moc"
