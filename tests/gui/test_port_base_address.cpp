// The window on an address that is no port's base: the activation's clearing
// writes and a Load reach no register, and the user is told once, by the
// address as typed.

#include <QLineEdit>
#include <QtTest>

#include "BoardHarness.h"

class PortBaseAddressTest : public QObject {
    Q_OBJECT

private slots:
    void registerAddressIsNotDriven_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("control register") << "37A";
        QTest::newRow("status register") << "379";
        QTest::newRow("no port there") << "FFFF";
    }
    void registerAddressIsNotDriven() {
        QFETCH(QString, typed);
        BoardHarness h;
        h.SaveAddress(typed);
        h.Start(false);
        QCOMPARE(h.form.AddText->text(), typed);

        h.ChooseModel(4);
        h.ClickStep(2);
        h.Click(h.form.Command1);

        QVERIFY(h.port.Log().empty());
        QCOMPARE(h.port.Decoder().SerialDevice(1).loads, 0);
        QCOMPARE(h.notifier.messages.size(), std::size_t{1});
        QVERIFY2(QString::fromStdString(h.notifier.messages.front()).contains(" " + typed + ";"),
                 h.notifier.messages.front().c_str());
        QCOMPARE(h.notifier.beeps, 0);
    }
};

QTEST_MAIN(PortBaseAddressTest)
#include "test_port_base_address.moc"
