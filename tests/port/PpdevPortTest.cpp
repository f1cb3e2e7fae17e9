#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <linux/ppdev.h>
#include <map>
#include <sys/ioctl.h>

#include "PortTestSupport.h"
#include "port/PortAccess.h"
#include "port/PpdevPort.h"

namespace {

// The ppdev driver as far as the backend sees it: one register set per open
// file, failures switched on by the test.
// Release and close outlive the fake, which the backend owns and destroys.
struct Teardown {
    std::vector<int> released, closed;
};

class FakeSystem : public PpdevSystem {
public:
    explicit FakeSystem(Teardown& teardown) : teardown_(teardown) {}

    int Open(const std::string& path, int flags) override {
        opened.push_back(path);
        openFlags = flags;
        if (openErrno != 0) {
            errno = openErrno;
            return -1;
        }
        return nextFd++;
    }
    int Ioctl(int fd, unsigned long request, void* arg) override {
        calls.push_back(request);
        if (failAllErrno != 0) {
            errno = failAllErrno;
            return -1;
        }
        if (request == failRequest) {
            errno = failErrno;
            return -1;
        }
        auto* byte = static_cast<unsigned char*>(arg);
        switch (request) {
        case PPWDATA:
            data = *byte;
            break;
        case PPRDATA:
            *byte = data;
            break;
        case PPRSTATUS:
            *byte = status;
            break;
        case PPWCONTROL:
            control = *byte;
            break;
        case PPRCONTROL:
            *byte = static_cast<unsigned char>(control | 0xC0);
            break;
        case PPDATADIR:
            dataDir = *static_cast<int*>(arg);
            break;
        case PPRELEASE:
            teardown_.released.push_back(fd);
            break;
        default:
            break;
        }
        return 0;
    }
    int Close(int fd) override {
        teardown_.closed.push_back(fd);
        return 0;
    }
    int Count(unsigned long request) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), request));
    }

    int nextFd = 5;
    int openErrno = 0;
    unsigned long failRequest = 0;
    int failErrno = 0;
    int failAllErrno = 0; // every driver call fails with this

    std::vector<std::string> opened;
    int openFlags = 0;
    std::vector<unsigned long> calls;
    unsigned char data = 0, status = 0x78, control = 0;
    int dataDir = -1;

private:
    Teardown& teardown_;
};

} // namespace

class PpdevPortTest : public QObject {
    Q_OBJECT

    QTemporaryDir tree_;
    FakeSystem* system_ = nullptr;
    Teardown teardown_;

    void AddPort(const QString& dir, const std::string& baseAddr) {
        QVERIFY(QDir(tree_.path()).mkpath(dir));
        std::ofstream(tree_.filePath(dir + "/base-addr").toStdString()) << baseAddr;
    }
    std::unique_ptr<PpdevPort> MakePort(const QString& procRoot = {}) {
        teardown_ = {};
        auto system = std::make_unique<FakeSystem>(teardown_);
        system_ = system.get();
        return std::make_unique<PpdevPort>(
            (procRoot.isEmpty() ? tree_.path() : procRoot).toStdString(), "/dev",
            std::move(system));
    }

private slots:
    void initTestCase() {
        QVERIFY(tree_.isValid());
        AddPort("parport0", "888\t1912\n");
        AddPort("parport1", "53264\t-1\n");
        AddPort("parport2", "632\n");
        AddPort("default", "");
        AddPort("parport3", "none\n");
    }

    void discoversListedPorts() {
        const std::vector<ParportInfo> ports = DiscoverParports(tree_.path().toStdString());
        QCOMPARE(ports.size(), std::size_t{3});
        QCOMPARE(ports[0].number, 0);
        QCOMPARE(ports[0].base, 888);
        QCOMPARE(ports[0].ecrBase, 1912);
        QCOMPARE(ports[1].base, 53264);
        QCOMPARE(ports[1].ecrBase, -1);
        QCOMPARE(ports[2].base, 632);
        QCOMPARE(ports[2].ecrBase, -1);
        QVERIFY(DiscoverParports(tree_.filePath("missing").toStdString()).empty());
    }

    // Only the three registers of a listed port are ever opened.
    void refusesUnlistedPorts_data() {
        QTest::addColumn<int>("port");
        QTest::newRow("no port there") << 0x3BC;
        QTest::newRow("below base") << 887;
        QTest::newRow("past control") << 891;
        QTest::newRow("ECR") << 1912;
    }
    void refusesUnlistedPorts() {
        QFETCH(int, port);
        auto ppdev = MakePort();
        uint8_t value = 0;
        QCOMPARE(ppdev->Out32(port, 1), PortStatus::Unavailable);
        QCOMPARE(ppdev->Inp32(port, value), PortStatus::Unavailable);
        QVERIFY(system_->opened.empty());
    }

    void registerMapping() {
        auto ppdev = MakePort();
        uint8_t value = 0;
        QCOMPARE(ppdev->Out32(53264, 0xA5), PortStatus::Ok);
        QCOMPARE(system_->data, 0xA5);
        QCOMPARE(ppdev->Inp32(53264, value), PortStatus::Ok);
        QCOMPARE(value, 0xA5);

        QCOMPARE(ppdev->Out32(53265, 0xFF), PortStatus::Ok); // status: ignored
        QCOMPARE(ppdev->Inp32(53265, value), PortStatus::Ok);
        QCOMPARE(value, 0x78);

        QCOMPARE(ppdev->Out32(53266, 0xEB), PortStatus::Ok);
        QCOMPARE(system_->control, 0x0B);
        QCOMPARE(system_->dataDir, 1);
        QCOMPARE(ppdev->Inp32(53266, value), PortStatus::Ok);
        QCOMPARE(value, 0x2B);
        QCOMPARE(ppdev->Out32(53266, 0xD4), PortStatus::Ok);
        QCOMPARE(system_->dataDir, 0);
        QCOMPARE(ppdev->Inp32(53266, value), PortStatus::Ok);
        QCOMPARE(value, 0x04);

        // One open and one exclusive claim for all of it, released at the end.
        QCOMPARE(system_->opened, std::vector<std::string>{"/dev/parport1"});
        QCOMPARE(system_->openFlags & O_ACCMODE, O_RDWR);
        QCOMPARE(system_->Count(PPEXCL), 1);
        QCOMPARE(system_->Count(PPCLAIM), 1);
        QVERIFY(teardown_.closed.empty());
        ppdev.reset();
        QCOMPARE(teardown_.released, std::vector<int>{5});
        QCOMPARE(teardown_.closed, std::vector<int>{5});
    }

    void failedIoctlOnOpenPortIsAccessError() {
        auto ppdev = MakePort();
        QCOMPARE(ppdev->Out32(888, 0), PortStatus::Ok);
        system_->failRequest = PPRDATA;
        uint8_t value = 0;
        QCOMPARE(ppdev->Inp32(888, value), PortStatus::AccessError);
    }

    // A port that cannot be opened or claimed is tried again on the next access,
    // and the user is told what to do.
    void unusableDevice_data() {
        QTest::addColumn<int>("openErrno");
        QTest::addColumn<int>("claimErrno");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no device node")
            << ENOENT << 0
            << "Parallel port at 378 (decimal 888): /dev/parport0 is missing. "
               "Run: sudo modprobe ppdev";
        QTest::newRow("permission denied")
            << EACCES << 0
            << "Parallel port at 378 (decimal 888): no permission to use /dev/parport0. "
               "Join the lp group: sudo usermod -aG lp $USER, then log in again.";
        QTest::newRow("held by another driver")
            << 0 << EBUSY
            << "Parallel port at 378 (decimal 888) is held by another driver or program. "
               "Free it, for example: sudo rmmod lp";
    }
    void unusableDevice() {
        QFETCH(int, openErrno);
        QFETCH(int, claimErrno);
        auto ppdev = MakePort();
        system_->openErrno = openErrno;
        system_->failRequest = claimErrno != 0 ? PPCLAIM : 0;
        system_->failErrno = claimErrno;

        QCOMPARE(ppdev->Out32(888, 1), PortStatus::Unavailable);
        QTEST(QString::fromStdString(ppdev->UnavailableReason(888)), "reason");
        QCOMPARE(int(teardown_.closed.size()), claimErrno != 0 ? 1 : 0);

        system_->openErrno = 0;
        system_->failRequest = 0;
        QCOMPARE(ppdev->Out32(888, 1), PortStatus::Ok);
        QCOMPARE(system_->data, 1);
    }

    void noPortAtAddressReason() {
        auto ppdev = MakePort();
        QCOMPARE(ppdev->Out32(0x3BC, 0), PortStatus::Unavailable);
        QCOMPARE(QString::fromStdString(ppdev->UnavailableReason(0x3BC)),
                 "No parallel port at address 3BC (decimal 956). Parallel ports found: "
                 "378 (decimal 888), D010 (decimal 53264), 278 (decimal 632). Check the address "
                 "box; if your port is missing, run: sudo modprobe parport_pc");
    }

    // Clearing the control register at start-up verifies through the backend.
    void controlRegisterClearVerifies() {
        auto ppdev = MakePort();
        RecordingNotifier user;
        PortAccess module(*ppdev, user);
        QCOMPARE(module.WritePortVerified(888, PortRegister::Control, 0), int16_t(1));
        QCOMPARE(module.WritePortVerified(888, 0), int16_t(1));
        QCOMPARE(user.beeps, 0);
    }

    // A typed address that is a register of a listed port, or where no port
    // is, is refused before anything is opened, with one message that names
    // the address as typed and the bases the kernel lists.
    void onlyABaseIsAPortAddress_data() {
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("reason");
        const QString listed = "Parallel ports found: 378 (decimal 888), D010 (decimal 53264), "
                               "278 (decimal 632).";
        QTest::newRow("control register")
            << 0x37A
            << "37A (decimal 890) is the control register of the parallel port at 378 (decimal "
               "888), not a port address. " +
                   listed + " Type the base address of a port in the address box.";
        QTest::newRow("status register")
            << 0x379
            << "379 (decimal 889) is the status register of the parallel port at 378 (decimal "
               "888), not a port address. " +
                   listed + " Type the base address of a port in the address box.";
        const QString missing =
            " Check the address box; if your port is missing, run: sudo modprobe parport_pc";
        QTest::newRow("FFFF") << 0xFFFF
                              << "No parallel port at address FFFF (decimal 65535). " + listed +
                                     missing;
        QTest::newRow("12345") << 0x12345
                               << "No parallel port at address 12345 (decimal 74565). " + listed +
                                      missing;
    }
    void onlyABaseIsAPortAddress() {
        QFETCH(int, address);
        auto ppdev = MakePort();
        RecordingNotifier user;
        PortAccess module(*ppdev, user);

        QCOMPARE(module.WritePortVerified(address, PortRegister::Control, 0), int16_t(0));
        QCOMPARE(module.WritePortVerified(address, 0), int16_t(0));
        QCOMPARE(module.ReadPortValue(address), int16_t(0));

        QVERIFY(system_->opened.empty());
        QVERIFY(system_->calls.empty());
        QCOMPARE(user.messages.size(), 1);
        QTEST(user.messages.front(), "reason");
        QCOMPARE(module.ProblemOf(address), PortProblem::NotListed);
        QCOMPARE(user.beeps, 0);
    }

    // The device goes away under the open descriptor (adapter unplugged,
    // driver unloaded): the first failure makes the port unusable with one
    // message, the descriptor is closed, and the device is opened again when
    // the port is next used.
    void vanishedDeviceIsReportedClosedAndReopened_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("what");
        QTest::newRow("ENODEV") << ENODEV << "No such device";
        QTest::newRow("ENXIO") << ENXIO << "No such device or address";
        QTest::newRow("EIO") << EIO << "Input/output error";
    }
    void vanishedDeviceIsReportedClosedAndReopened() {
        QFETCH(int, error);
        QFETCH(QString, what);
        auto ppdev = MakePort();
        RecordingNotifier user;
        PortAccess module(*ppdev, user);
        QCOMPARE(module.WritePortVerified(888, 1), int16_t(1));
        const int writesBefore = system_->Count(PPWDATA);

        system_->failAllErrno = error;
        QCOMPARE(module.WritePortVerified(888, 2), int16_t(0));
        QCOMPARE(system_->Count(PPWDATA), writesBefore + 1);
        QVERIFY(module.PortUnavailable(888));
        QCOMPARE(teardown_.closed, std::vector<int>{5});
        QCOMPARE(module.ProblemOf(888), PortProblem::NoDevice);
        QCOMPARE(user.messages,
                 QStringList{"Parallel port at 378 (decimal 888) stopped working: /dev/parport0 "
                             "reports \"" +
                             what +
                             "\". Check that its adapter or card is "
                             "connected and its driver loaded (sudo modprobe parport_pc ppdev); "
                             "the program opens it again when it is next used."});
        QCOMPARE(user.beeps, 0);

        // Still gone: the node cannot be opened; no second message.
        system_->openErrno = ENOENT;
        QCOMPARE(module.WritePortVerified(888, 3), int16_t(0));
        QCOMPARE(system_->opened.size(), std::size_t{2});
        QCOMPARE(user.messages.size(), 1);

        // Back again: opened and claimed anew, and the byte goes out.
        system_->openErrno = 0;
        system_->failAllErrno = 0;
        QCOMPARE(module.WritePortVerified(888, 4), int16_t(1));
        QCOMPARE(system_->opened.size(), std::size_t{3});
        QCOMPARE(system_->data, 4);
        QVERIFY(!module.PortUnavailable(888));
        QCOMPARE(system_->Count(PPCLAIM), 2);
        QCOMPARE(user.messages.size(), 1);
    }

    // A serial Load on a device that has gone away ends at once and records nothing.
    void vanishedDeviceRecordsNoLoad() {
        auto ppdev = MakePort();
        RecordingNotifier user;
        PortAccess module(*ppdev, user);
        QCOMPARE(module.WritePortVerified(888, 0), int16_t(1));
        system_->failAllErrno = ENODEV;
        LeMemoryTable memory{};
        QVERIFY(!SendSerialWord(module, 888, Steps({0, 2}), 3, -5.0f, memory));
        QCOMPARE(memory, LeMemoryTable{});
        QCOMPARE(user.messages.size(), 1);
        QCOMPARE(user.beeps, 0);
        // Every writing call after the first failure was skipped.
        QCOMPARE(system_->Count(PPWDATA), 2);
    }

    // The port driver loaded while the program runs: an address not on the
    // kernel's list makes the backend read the list again, so the new port
    // works without a restart.
    void portLoadedWhileRunningIsFound() {
        QTemporaryDir proc;
        QVERIFY(proc.isValid());
        auto ppdev = MakePort(proc.path());
        RecordingNotifier user;
        PortAccess module(*ppdev, user);
        QCOMPARE(module.WritePortVerified(0x3BC, 7), int16_t(0));
        QCOMPARE(user.messages.size(), 1);
        QVERIFY(user.messages.front().startsWith("No parallel port at address 3BC"));

        QVERIFY(QDir(proc.path()).mkpath("parport4"));
        std::ofstream(proc.filePath("parport4/base-addr").toStdString()) << "956\t-1\n";

        QCOMPARE(module.WritePortVerified(0x3BC, 7), int16_t(1));
        QCOMPARE(system_->opened, std::vector<std::string>{"/dev/parport4"});
        QCOMPARE(system_->data, 7);
        QCOMPARE(ppdev->Ports().size(), std::size_t{1});
        QCOMPARE(user.messages.size(), 1);
    }
};

QTEST_GUILESS_MAIN(PpdevPortTest)
#include "PpdevPortTest.moc"
