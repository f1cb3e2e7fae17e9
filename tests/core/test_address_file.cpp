// The address file: exact bytes written, and what reading makes of missing,
// empty, long, quoted, odd and binary contents; saving that never damages the
// old file (full disk, a planted symbolic link, an unwritable folder or file),
// leaves no temporary behind even when killed, and reading that only takes a
// regular file and never hangs.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/AddressFile.h"

using Kind = AddressFileContent::Kind;
Q_DECLARE_METATYPE(Kind)

namespace {

void PutFile(const QString& dir, const QByteArray& bytes) {
    QFile file(AddressFilePath(dir));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray FileBytes(const QString& dir) {
    QFile file(AddressFilePath(dir));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray BytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Names in `dir` other than the address file itself (left-over temporaries).
QStringList OtherEntries(const QString& dir) {
    QStringList names =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeAll(QStringLiteral("IOaddress.001"));
    return names;
}

// Runs `program` with `arguments` and extra environment, and gives its exit
// code; on failure its output is printed so the reason is in the test log.
int RunChild(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment) {
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setProcessEnvironment(environment);
    child.start(program, arguments);
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
        qWarning() << "child did not finish:" << program << arguments;
        return -1;
    }
    const int code = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    if (code != 0) {
        qWarning().noquote() << "--- child" << program << arguments.join(' ') << "\n"
                             << child.readAll();
    }
    return code;
}

// Runs a copy of this test's `function` that is to be killed by SIGKILL; true
// when it was, else its output is printed.
bool RunChildKilled(const QString& function, const QProcessEnvironment& environment) {
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {function});
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
        qWarning() << "child did not finish:" << function;
        return false;
    }
    // Qt gives the signal's number as the exit code of a crashed process.
    if (child.exitStatus() == QProcess::CrashExit && child.exitCode() == SIGKILL) {
        return true;
    }
    qWarning().noquote() << "--- child" << function << "was not killed:\n" << child.readAll();
    return false;
}

// The id of a process that has ended.
qint64 EndedProcessId() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid;
}

// Set for a copy of this test that runs with the write fault library
// preloaded (the fault it tries), or as an unprivileged user.
const char* const kFaultChildVariable = "DSA_WRITE_FAULT_CHILD";
// Read by the fault library: the fault in force (unset: none).
const char* const kWriteFaultVariable = "DSA_WRITE_FAULT";
const char* const kUnprivilegedVariable = "DSA_TEST_UNPRIVILEGED";
// The folder a copy of this test saves in, for its parent to look at.
const char* const kSaveFolderVariable = "DSA_TEST_SAVE_FOLDER";

} // namespace

class TestAddressFile : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void cleanup() {
        QFile::remove(AddressFilePath(dir_.path()));
        if (QFileInfo(AddressFilePath(dir_.path())).isDir()) {
            QDir(dir_.path()).rmdir(QStringLiteral("IOaddress.001"));
        }
    }

    void fileName() {
        QCOMPARE(AddressFilePath(), QString("IOaddress.001"));
        QCOMPARE(AddressFilePath("/some/dir"), QString("/some/dir/IOaddress.001"));
    }

    void writesTrimmedTextWithCrLf_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("address") << "378" << QByteArray("378\r\n");
        QTest::newRow("case kept, blanks trimmed") << "  3bC " << QByteArray("3bC\r\n");
        QTest::newRow("not validated") << "37x" << QByteArray("37x\r\n");
        QTest::newRow("empty") << "" << QByteArray("\r\n");
        QTest::newRow("Latin-1") << QString(QChar(0xE9)) << QByteArray("\xE9\r\n");
    }

    void writesTrimmedTextWithCrLf() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        PutFile(dir_.path(), "a much longer earlier content\r\nsecond line\r\n");
        QVERIFY(WriteAddressFile(text, dir_.path()));
        QCOMPARE(FileBytes(dir_.path()), bytes);
    }

    void roundTrip() {
        QVERIFY(WriteAddressFile(" D010 ", dir_.path()));
        const AddressFileContent read = ReadAddressFile(dir_.path());
        QCOMPARE(read.kind, Kind::Field);
        QCOMPARE(read.field, QString("D010"));
    }

    void reads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("field");
        QTest::newRow("empty") << QByteArray() << Kind::Empty << "";
        QTest::newRow("address") << QByteArray("378\r\n") << Kind::Field << "378";
        QTest::newRow("no line end") << QByteArray("278") << Kind::Field << "278";
        QTest::newRow("LF only") << QByteArray("3bc\nFFFF\n") << Kind::Field << "3bc";
        QTest::newRow("second line ignored")
            << QByteArray("378\r\n999\r\n") << Kind::Field << "378";
        QTest::newRow("comma ends field")
            << QByteArray("  378  ,123456\r\n") << Kind::Field << "378";
        QTest::newRow("quoted") << QByteArray("\"0378\"\r\n") << Kind::Field << "0378";
        QTest::newRow("quoted, blanks and tail")
            << QByteArray("\"  378 \"xyz,1\r\n") << Kind::Field << "378";
        QTest::newRow("quoted comma kept") << QByteArray("\"3,78\"") << Kind::Field << "3,78";
        QTest::newRow("five characters") << QByteArray("12345\r\n") << Kind::Field << "12345";
        QTest::newRow("six characters") << QByteArray("123456\r\n") << Kind::TooLong << "";
        QTest::newRow("six after trimming") << QByteArray("\t3    7\r\n") << Kind::TooLong << "";
        QTest::newRow("inner blanks kept") << QByteArray("3  7   \r\n") << Kind::Field << "3  7";
        QTest::newRow("quoted six") << QByteArray("\"123456\"") << Kind::TooLong << "";
        QTest::newRow("not hex") << QByteArray("hello\r\n") << Kind::Field << "hello";
        QTest::newRow("blank line") << QByteArray("   \r\n378\r\n") << Kind::Field << "";
        QTest::newRow("Latin-1") << QByteArray("\xE9\xFF\r\n") << Kind::Field
                                 << QString::fromLatin1("\xE9\xFF");
        QTest::newRow("long run of blanks") << QByteArray(1 << 20, ' ') << Kind::Field << "";
    }

    void reads() {
        QFETCH(QByteArray, bytes);
        QFETCH(Kind, kind);
        QFETCH(QString, field);
        PutFile(dir_.path(), bytes);
        const AddressFileContent read = ReadAddressFile(dir_.path());
        QCOMPARE(read.kind, kind);
        QCOMPARE(read.field, field);
    }

    void missingFile() { QCOMPARE(ReadAddressFile(dir_.path()).kind, Kind::Missing); }

    void binaryJunkGivesAShortFieldOrTooLong() {
        QByteArray junk;
        for (int i = 0; i < 4096; ++i) {
            junk.append(static_cast<char>((i * 37 + 11) & 0xFF));
        }
        for (qsizetype start = 0; start < 512; start += 7) {
            PutFile(dir_.path(), junk.mid(start));
            const AddressFileContent read = ReadAddressFile(dir_.path());
            QVERIFY(read.kind == Kind::Field || read.kind == Kind::TooLong);
            QVERIFY(read.field.size() <= 5);
        }
    }

    void directoryOfThatName() {
        QVERIFY(QDir(dir_.path()).mkdir("IOaddress.001"));
        QCOMPARE(ReadAddressFile(dir_.path()).kind, Kind::Missing);
        QVERIFY(!WriteAddressFile("378", dir_.path()));
        QVERIFY(QDir(dir_.path()).rmdir("IOaddress.001"));
    }

    void unwritableDirectory() {
        QVERIFY(!WriteAddressFile("378", dir_.path() + "/no/such/folder"));
        PutFile(dir_.path(), "plain file");
        QVERIFY(!WriteAddressFile("378", AddressFilePath(dir_.path())));
    }

    // A directory without write permission keeps the old address whole. The
    // superuser is not bound by permissions, so as root the case runs in a
    // copy of this test as the unprivileged user "nobody".
    void readOnlyDirectoryKeepsOldFile() {
        if (geteuid() == 0) {
            QVERIFY2(!qEnvironmentVariableIsSet(kUnprivilegedVariable), "setpriv left us root");
            QCOMPARE(RunAsNobody(QStringLiteral("readOnlyDirectoryKeepsOldFile")), 0);
            return;
        }
        PutFile(dir_.path(), "278\r\n");
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool written = WriteAddressFile("378", dir_.path());
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QCOMPARE(FileBytes(dir_.path()), QByteArray("278\r\n"));
    }

    // An address file the user may not write (an administrator's way to pin a
    // PC's address) stays as it is, in a folder the user may write; one the
    // user may write is replaced with its bits. Whether the user may write it
    // is the system's rule, so as root (who may) the rows run as "nobody".
    void unwritableFileIsLeftAsItIs_data() {
        QTest::addColumn<uint>("mode");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("read-only") << 0444u << false;
        QTest::newRow("no permission at all") << 0000u << false;
        QTest::newRow("only others may write") << 0446u << false;
        QTest::newRow("owner may write") << 0644u << true;
    }

    void unwritableFileIsLeftAsItIs() {
        QFETCH(uint, mode);
        QFETCH(bool, replaced);
        if (geteuid() == 0) {
            QVERIFY2(!qEnvironmentVariableIsSet(kUnprivilegedVariable), "setpriv left us root");
            QCOMPARE(RunAsNobody(QStringLiteral("unwritableFileIsLeftAsItIs:") +
                                 QString::fromLatin1(QTest::currentDataTag())),
                     0);
            return;
        }
        const QByteArray path = QFile::encodeName(AddressFilePath(dir_.path()));
        PutFile(dir_.path(), "278\r\n");
        QVERIFY(::chmod(path.constData(), static_cast<mode_t>(mode)) == 0);
        struct stat before {};
        QVERIFY(::stat(path.constData(), &before) == 0);
        QCOMPARE(WriteAddressFile("378", dir_.path()), replaced);
        struct stat after {};
        QVERIFY(::stat(path.constData(), &after) == 0);
        QCOMPARE(after.st_mode & 0777, mode);
        QCOMPARE(after.st_ino != before.st_ino, replaced);
        QVERIFY(::chmod(path.constData(), 0600) == 0);
        QCOMPARE(FileBytes(dir_.path()), QByteArray(replaced ? "378\r\n" : "278\r\n"));
        QCOMPARE(OtherEntries(dir_.path()), QStringList());
    }

    // --- Saving never damages what is there ---------------------------------

    // A planted link is replaced by a regular file; its target stays as it was.
    void symbolicLinkIsReplacedNotWrittenThrough() {
        const QString victim = dir_.filePath(QStringLiteral("victim"));
        QFile::remove(victim);
        {
            QFile file(victim);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("root:x:0:0\n");
        }
        QVERIFY(QFile::link(victim, AddressFilePath(dir_.path())));
        QVERIFY(WriteAddressFile("378", dir_.path()));
        QCOMPARE(BytesOf(victim), QByteArray("root:x:0:0\n"));
        const QFileInfo saved(AddressFilePath(dir_.path()));
        QVERIFY(!saved.isSymLink());
        QVERIFY(saved.isFile());
        QCOMPARE(FileBytes(dir_.path()), QByteArray("378\r\n"));
        QFile::remove(victim);
    }

    // A link whose target does not exist: the link is replaced, no target is
    // made.
    void danglingLinkIsReplaced() {
        QVERIFY(QFile::link(dir_.filePath("no/such/file"), AddressFilePath(dir_.path())));
        QVERIFY(WriteAddressFile("3bc", dir_.path()));
        QVERIFY(!QFileInfo(AddressFilePath(dir_.path())).isSymLink());
        QCOMPARE(FileBytes(dir_.path()), QByteArray("3bc\r\n"));
        QVERIFY(!QFileInfo::exists(dir_.filePath("no")));
    }

    // The old bits, not those a new file gets under the usual umask 022.
    void replacedFileKeepsItsPermissions_data() {
        QTest::addColumn<uint>("mode");
        QTest::newRow("group may read") << 0640u;
        QTest::newRow("all may write") << 0666u;
    }

    void replacedFileKeepsItsPermissions() {
        QFETCH(uint, mode);
        PutFile(dir_.path(), "278\r\n");
        QVERIFY(::chmod(QFile::encodeName(AddressFilePath(dir_.path())).constData(),
                        static_cast<mode_t>(mode)) == 0);
        const mode_t umask = ::umask(022);
        const bool written = WriteAddressFile("378", dir_.path());
        ::umask(umask);
        QVERIFY(written);
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(AddressFilePath(dir_.path())).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 0777, mode);
        QCOMPARE(OtherEntries(dir_.path()), QStringList());
    }

    // A full disk, injected by the preloaded fault library in a copy of this
    // test: saving fails, the old file stays whole, no temporary is left.
    void fullDiskKeepsOldFile_data() {
        QTest::addColumn<QByteArray>("fault");
        QTest::newRow("no space") << QByteArray("enospc");
        QTest::newRow("short write") << QByteArray("short");
        QTest::newRow("flush fails") << QByteArray("fsync");
        QTest::newRow("no space, no unnamed files") << QByteArray("enospc,notmpfile");
    }

    void fullDiskKeepsOldFile() {
        QFETCH(QByteArray, fault);
        if (qEnvironmentVariable(kFaultChildVariable).toLatin1() != fault) {
            const QProcessEnvironment environment = ShimEnvironment(fault);
            const QString function = QStringLiteral("fullDiskKeepsOldFile:") +
                                     QString::fromLatin1(QTest::currentDataTag());
            QCOMPARE(RunChild(QCoreApplication::applicationFilePath(), {function}, environment), 0);
            return;
        }
        PutFile(dir_.path(), "278\r\n");
        // The fault library looks at this variable on every call.
        qputenv(kWriteFaultVariable, fault);
        const bool written = WriteAddressFile("D010", dir_.path());
        qunsetenv(kWriteFaultVariable);
        QVERIFY(!written);
        QCOMPARE(FileBytes(dir_.path()), QByteArray("278\r\n"));
        QCOMPARE(OtherEntries(dir_.path()), QStringList());
        // Nothing there yet: still nothing afterwards.
        QFile::remove(AddressFilePath(dir_.path()));
        qputenv(kWriteFaultVariable, fault);
        const bool writtenAfresh = WriteAddressFile("D010", dir_.path());
        qunsetenv(kWriteFaultVariable);
        QVERIFY(!writtenAfresh);
        QVERIFY(!QFileInfo::exists(AddressFilePath(dir_.path())));
        QCOMPARE(OtherEntries(dir_.path()), QStringList());
    }

    // Killed (SIGKILL, as by a power cut) in the middle of saving, in a copy
    // of this test: the old file stays whole and nothing else is left, at
    // once where the file system has unnamed files, else after the next save.
    void killedWhileSavingLeavesNothing_data() {
        QTest::addColumn<bool>("unnamed");
        QTest::newRow("unnamed temporary") << true;
        QTest::newRow("named temporary") << false;
    }

    void killedWhileSavingLeavesNothing() {
        QFETCH(bool, unnamed);
        const QByteArray fault = unnamed ? "kill" : "kill,notmpfile";
        if (qEnvironmentVariable(kFaultChildVariable).toLatin1() != fault) {
            QProcessEnvironment environment = ShimEnvironment(fault);
            environment.insert(QString::fromLatin1(kSaveFolderVariable), dir_.path());
            QVERIFY(RunChildKilled(QStringLiteral("killedWhileSavingLeavesNothing:") +
                                       QString::fromLatin1(QTest::currentDataTag()),
                                   environment));
            QCOMPARE(FileBytes(dir_.path()), QByteArray("3bc\r\n"));
            QCOMPARE(OtherEntries(dir_.path()).size(), unnamed ? 0 : 1);
            QVERIFY(WriteAddressFile("378", dir_.path()));
            QCOMPARE(FileBytes(dir_.path()), QByteArray("378\r\n"));
            QCOMPARE(OtherEntries(dir_.path()), QStringList());
            return;
        }
        const QString dir = qEnvironmentVariable(kSaveFolderVariable);
        // The first save goes the same way (unnamed or named) and completes.
        qputenv(kWriteFaultVariable, unnamed ? "none" : "notmpfile");
        QVERIFY(WriteAddressFile("3bc", dir));
        qputenv(kWriteFaultVariable, fault);
        WriteAddressFile("D010", dir);
        QFAIL("the save was not killed");
    }

    // Temporaries of processes that no longer exist are removed by the next
    // save; nothing else is. %1 is an ended process, %2 this one.
    void staleTemporariesAreRemoved_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::newRow("ended process") << ".IOaddress.001.new-%1-1" << true;
        QTest::newRow("ended process, later count") << ".IOaddress.001.new-%1-27" << true;
        QTest::newRow("running process") << ".IOaddress.001.new-1-1" << false;
        QTest::newRow("this process") << ".IOaddress.001.new-%2-1" << false;
        QTest::newRow("no count") << ".IOaddress.001.new-%1" << false;
        QTest::newRow("count not a number") << ".IOaddress.001.new-%1-1x" << false;
        QTest::newRow("more after the count") << ".IOaddress.001.new-%1-1-2" << false;
        QTest::newRow("leading zero") << ".IOaddress.001.new-0%1-1" << false;
        QTest::newRow("process 0") << ".IOaddress.001.new-0-1" << false;
        QTest::newRow("negative process") << ".IOaddress.001.new--%1-1" << false;
        QTest::newRow("no leading dot") << "IOaddress.001.new-%1-1" << false;
        QTest::newRow("another file's") << ".other.new-%1-1" << false;
        QTest::newRow("backup") << "IOaddress.001~" << false;
    }

    void staleTemporariesAreRemoved() {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        static const qint64 ended = EndedProcessId();
        const QString planted =
            dir_.filePath(QString(name)
                              .replace(QStringLiteral("%1"), QString::number(ended))
                              .replace(QStringLiteral("%2"),
                                       QString::number(QCoreApplication::applicationPid())));
        {
            QFile file(planted);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("3bc\r\n");
        }
        QVERIFY(WriteAddressFile("378", dir_.path()));
        QCOMPARE(FileBytes(dir_.path()), QByteArray("378\r\n"));
        QCOMPARE(QFileInfo::exists(planted), !removed);
        QFile::remove(planted);
    }

    // --- Only a regular file is read ----------------------------------------

    // A FIFO of that name is unreadable and must not hold up the caller. The
    // read runs aside; should it block, a writer is opened to release it.
    void fifoIsUnreadableAndDoesNotHang() {
        const QByteArray fifo = QFile::encodeName(AddressFilePath(dir_.path()));
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        const QString dir = dir_.path();
        std::future<AddressFileContent> read =
            std::async(std::launch::async, [dir] { return ReadAddressFile(dir); });
        const bool finished = read.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        if (!finished) {
            const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                ::close(writer);
            }
        }
        const AddressFileContent content = read.get();
        QVERIFY2(finished, "reading a FIFO blocked");
        QCOMPARE(content.kind, Kind::Missing);
    }

    void deviceIsUnreadable() {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), AddressFilePath(dir_.path())));
        QCOMPARE(ReadAddressFile(dir_.path()).kind, Kind::Missing);
    }

    // A link to a regular file is read like the file.
    void linkToARegularFileIsRead() {
        const QString real = dir_.filePath(QStringLiteral("real"));
        {
            QFile file(real);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("3bc\r\n");
        }
        QVERIFY(QFile::link(real, AddressFilePath(dir_.path())));
        const AddressFileContent content = ReadAddressFile(dir_.path());
        QCOMPARE(content.kind, Kind::Field);
        QCOMPARE(content.field, QString("3bc"));
        QFile::remove(real);
    }

private:
    // The environment of a copy of this test that tries `fault` with the fault
    // library preloaded.
    static QProcessEnvironment ShimEnvironment(const QByteArray& fault) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kFaultChildVariable), QString::fromLatin1(fault));
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(DSA_WRITE_FAULT_SHIM));
        // Under AddressSanitizer the fault library comes first on purpose.
        const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           asan + (asan.isEmpty() ? "" : ":") + "verify_asan_link_order=0");
        return environment;
    }

    // Runs `function` of a copy of this test as the user "nobody"; its exit code.
    // The copy lies in a folder that user can reach, with a temporary folder of
    // its own.
    static int RunAsNobody(const QString& function) {
        QTemporaryDir runFolder;
        if (!runFolder.isValid() || ::chmod(QFile::encodeName(runFolder.path()), 0755) != 0) {
            return -1;
        }
        const QString copy = runFolder.filePath(QStringLiteral("test_address_file"));
        const QString temporary = runFolder.filePath(QStringLiteral("tmp"));
        if (!QFile::copy(QCoreApplication::applicationFilePath(), copy) ||
            !QDir().mkdir(temporary) ||
            ::chmod(QFile::encodeName(temporary).constData(), 01777) != 0) {
            return -1;
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), temporary);
        environment.insert(QString::fromLatin1(kUnprivilegedVariable), QStringLiteral("1"));
        return RunChild(QStringLiteral("setpriv"),
                        {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                         QStringLiteral("--clear-groups"), copy, function},
                        environment);
    }

    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestAddressFile)
#include "test_address_file.moc"
