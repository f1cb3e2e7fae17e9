// The address file: exact bytes written, and what reading makes of missing,
// empty, long, quoted, odd and binary contents.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
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

} // namespace

class TestAddressFile : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void cleanup() { QFile::remove(AddressFilePath(dir_.path())); }

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

    // A directory without write permission keeps the old address whole.
    void readOnlyDirectoryKeepsOldFile() {
        if (geteuid() == 0) {
            QSKIP("permissions do not bind the superuser");
        }
        PutFile(dir_.path(), "278\r\n");
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool written = WriteAddressFile("378", dir_.path());
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QCOMPARE(FileBytes(dir_.path()), QByteArray("278\r\n"));
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestAddressFile)
#include "test_address_file.moc"
