#include "platform/wine_registry_reader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

namespace {

const QString kConfigKey = QStringLiteral("Software\\Headlight\\GetRight\\Config\\");
const QString kDefault = QStringLiteral("<default>");

const QByteArray kHeader = "WINE REGISTRY Version 2\n"
                           ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
                           "\n"
                           "#arch=win32\n"
                           "\n";

// A file whose only key is GetRight's, holding the given value lines.
QByteArray configWith(const QByteArray& values)
{
    return kHeader +
           "[Software\\\\Headlight\\\\GetRight\\\\Config] 1765363200\n"
           "#time=1db6a8f0c2e4a00\n" +
           values + "\n";
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestWineRegistryReader : public QObject {
    Q_OBJECT

private slots:
    void init();

    void getRegString_data();
    void getRegString();

    void missingFileGivesDefault();
    void rootKeyChoosesFile();
    void oversizedFileGivesDefault();
    void oversizedValueGivesDefault();
    void specialFilesGiveDefault();

private:
    QString userReg() const { return m_prefix->filePath(QStringLiteral("user.reg")); }

    std::unique_ptr<QTemporaryDir> m_prefix;
};

void TestWineRegistryReader::init()
{
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
}

void TestWineRegistryReader::getRegString_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("subKey");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<QString>("expected");

    const QString logFile = QStringLiteral("LogFile");

    QTest::newRow("plain REG_SZ")
        << configWith("\"LogFile\"=\"C:\\\\Program Files\\\\GetRight\\\\getright.log\"")
        << kConfigKey << logFile << QStringLiteral("C:\\Program Files\\GetRight\\getright.log");
    QTest::newRow("key without trailing backslash")
        << configWith("\"LogFile\"=\"C:\\\\g.log\"")
        << QStringLiteral("Software\\Headlight\\GetRight\\Config") << logFile
        << QStringLiteral("C:\\g.log");
    QTest::newRow("C escapes") << configWith("\"LogFile\"=\"a\\\"b\\tc\\nd\\re\\af\\eg\"")
                               << kConfigKey << logFile << QStringLiteral("a\"b\tc\nd\re\af\x1bg");
    QTest::newRow("hex escapes are UTF-16 units")
        << configWith("\"LogFile\"=\"C:\\\\T\\xe9l\\x00e9chargements\\\\\\xd83d\\xde00\\x00e9\"")
        << kConfigKey << logFile
        << QString::fromUtf8("C:\\Téléchargements\\\xF0\x9F\x98\x80\xC3\xA9");
    QTest::newRow("octal escapes") << configWith("\"LogFile\"=\"\\101\\1011\\12x\"") << kConfigKey
                                   << logFile << QStringLiteral("AA1\nx");
    QTest::newRow("raw UTF-8") << configWith("\"LogFile\"=\"C:\\\\\xC3\xA9t\xC3\xA9.log\"")
                               << kConfigKey << logFile << QString::fromUtf8("C:\\été.log");
    QTest::newRow("embedded NUL cuts the text")
        << configWith("\"LogFile\"=\"C:\\\\a.log\\0C:\\\\b.log\"") << kConfigKey << logFile
        << QStringLiteral("C:\\a.log");
    QTest::newRow("embedded NUL before an octal digit")
        << configWith("\"LogFile\"=\"ab\\0001\"") << kConfigKey << logFile << QStringLiteral("ab");
    QTest::newRow("str: is REG_SZ") << configWith("\"LogFile\"=str:\"C:\\\\s.log\"") << kConfigKey
                                    << logFile << QStringLiteral("C:\\s.log");
    QTest::newRow("hex(1) is REG_SZ, over continuation lines")
        << configWith("\"LogFile\"=hex(1):43,00,3a,00,5c,00,\\\n"
                      "  61,00,2e,00,6c,00,6f,00,67,00")
        << kConfigKey << logFile << QStringLiteral("C:\\a.log");
    QTest::newRow("hex(1) with NUL and odd last byte")
        << configWith("\"LogFile\"=hex(1):61,00,00,00,62,00,63") << kConfigKey << logFile
        << QStringLiteral("a");
    QTest::newRow("spaces around =") << configWith("\"LogFile\" =  \"x.log\"  ") << kConfigKey
                                     << logFile << QStringLiteral("x.log");
    QTest::newRow("CRLF line ends")
        << QByteArray(kHeader + "[Software\\\\Headlight\\\\GetRight\\\\Config] 1\r\n"
                                "\"LogFile\"=\"C:\\\\crlf.log\"\r\n")
        << kConfigKey << logFile << QStringLiteral("C:\\crlf.log");
    QTest::newRow("default value @") << configWith("@=\"dflt\"\n\"LogFile\"=\"x\"") << kConfigKey
                                     << QString() << QStringLiteral("dflt");
    QTest::newRow("empty string") << configWith("\"LogFile\"=\"\"") << kConfigKey << logFile
                                  << QString();

    QTest::newRow("REG_EXPAND_SZ") << configWith("\"LogFile\"=str(2):\"%USERPROFILE%\\\\g.log\"")
                                   << kConfigKey << logFile << kDefault;
    QTest::newRow("REG_MULTI_SZ") << configWith("\"LogFile\"=str(7):\"a\\0b\\0\"") << kConfigKey
                                  << logFile << kDefault;
    QTest::newRow("dword") << configWith("\"LogFile\"=dword:00000001") << kConfigKey << logFile
                           << kDefault;
    QTest::newRow("hex") << configWith("\"LogFile\"=hex:43,00,3a,00") << kConfigKey << logFile
                         << kDefault;
    QTest::newRow("hex(2)") << configWith("\"LogFile\"=hex(2):43,00,3a,00,00,00") << kConfigKey
                            << logFile << kDefault;

    QTest::newRow("missing key") << QByteArray(kHeader +
                                               "[Software\\\\Other] 1\n\"LogFile\"=\"x\"\n")
                                 << kConfigKey << logFile << kDefault;
    QTest::newRow("missing value")
        << configWith("\"LogFolder\"=\"C:\\\\\"") << kConfigKey << logFile << kDefault;
    QTest::newRow("empty file") << QByteArray() << kConfigKey << logFile << kDefault;
    QTest::newRow("value before any key")
        << QByteArray(kHeader + "\"LogFile\"=\"stray\"\n") << kConfigKey << logFile << kDefault;

    QTest::newRow("key and value name case")
        << QByteArray(kHeader + "[SOFTWARE\\\\headlight\\\\GetRight\\\\CONFIG] 1\n"
                                "\"LOGFILE\"=\"C:\\\\upper.log\"\n")
        << QStringLiteral("software\\HEADLIGHT\\getright\\config\\") << QStringLiteral("logFile")
        << QStringLiteral("C:\\upper.log");
    QTest::newRow("similar keys and names do not match")
        << QByteArray(kHeader + "[Software\\\\Headlight\\\\GetRight\\\\Config2] 1\n"
                                "\"LogFile\"=\"wrong: Config2\"\n"
                                "[Software\\\\Headlight\\\\GetRight\\\\Config\\\\Sub] 1\n"
                                "\"LogFile\"=\"wrong: subkey\"\n"
                                "[Software\\\\Headlight\\\\GetRight\\\\Config] 1\n"
                                "\"LogFile2\"=\"wrong: LogFile2\"\n"
                                "\"Log\"=\"wrong: Log\"\n"
                                "\"LogFile\"=\"right\"\n"
                                "[Software\\\\Headlight\\\\GetRight] 1\n"
                                "\"LogFile\"=\"wrong: parent\"\n")
        << kConfigKey << logFile << QStringLiteral("right");
    QTest::newRow("escaped quote in a value name")
        << configWith("\"Log\\\"File\"=\"wrong\"\n\"LogFile\"=\"right\"") << kConfigKey << logFile
        << QStringLiteral("right");
    QTest::newRow("continuation lines are not read as keys or values")
        << QByteArray(kHeader + "[Software\\\\Headlight\\\\GetRight\\\\Config] 1\n"
                                "\"Blob\"=hex:01,02,\\\n"
                                "  \"LogFile\"=\"wrong: inside hex data\"\n"
                                "\"Other\"=hex:01,\\\n"
                                "  [Software\\\\Elsewhere] 1\n"
                                "\"LogFile\"=\"right\"\n")
        << kConfigKey << logFile << QStringLiteral("right");
    QTest::newRow("continuation under another key")
        << QByteArray(kHeader + "[Software\\\\Elsewhere] 1\n"
                                "\"Blob\"=hex:01,\\\n"
                                "  [Software\\\\Headlight\\\\GetRight\\\\Config] 1\n"
                                "\"LogFile\"=\"wrong: not in the key\"\n")
        << kConfigKey << logFile << kDefault;
    QTest::newRow("last definition counts")
        << configWith("\"LogFile\"=\"first\"\n\"LogFile\"=\"second\"") << kConfigKey << logFile
        << QStringLiteral("second");

    QTest::newRow("unknown escapes stand for themselves")
        << configWith("\"LogFile\"=\"C:\\\\dir\\q\\x\\8.log\"") << kConfigKey << logFile
        << QStringLiteral("C:\\dirqx8.log");
    QTest::newRow("escaped closing quote leaves the string open")
        << configWith("\"LogFile\"=\"C:\\\\dir\\\"") << kConfigKey << logFile << kDefault;
    QTest::newRow("backslash at the end of the line")
        << configWith("\"LogFile\"=\"C:\\") << kConfigKey << logFile << kDefault;
    QTest::newRow("broken UTF-8") << configWith("\"LogFile\"=\"a\xC3\"") << kConfigKey << logFile
                                  << QStringLiteral("a\uFFFD");
    QTest::newRow("bad hex(1) data")
        << configWith("\"LogFile\"=hex(1):61,zz,00") << kConfigKey << logFile << kDefault;
    QTest::newRow("key header never closed")
        << QByteArray(kHeader + "[Software\\\\Headlight\\\\GetRight\\\\Config\n"
                                "\"LogFile\"=\"wrong\"\n")
        << kConfigKey << logFile << kDefault;

    const QByteArray whole = configWith("\"LogFile\"=\"C:\\\\whole.log\"");
    QTest::newRow("truncated in the value")
        << whole.left(whole.indexOf("whole")) << kConfigKey << logFile << kDefault;
    QTest::newRow("truncated in the key header")
        << whole.left(whole.indexOf("GetRight")) << kConfigKey << logFile << kDefault;
    QTest::newRow("truncated after the closing quote")
        << whole.left(whole.lastIndexOf('"') + 1) << kConfigKey << logFile
        << QStringLiteral("C:\\whole.log");
    QTest::newRow("truncated in hex continuation")
        << configWith("\"LogFile\"=hex(1):61,00,\\").chopped(1) << kConfigKey << logFile
        << kDefault;
}

void TestWineRegistryReader::getRegString()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, subKey);
    QFETCH(QString, valueName);
    QFETCH(QString, expected);

    writeFile(userReg(), file);
    const WineRegistryReader reader(m_prefix->path());
    QCOMPARE(reader.getRegString(RegistryReader::HKeyCurrentUser, subKey, valueName, kDefault),
             expected);
}

void TestWineRegistryReader::missingFileGivesDefault()
{
    const WineRegistryReader reader(m_prefix->filePath(QStringLiteral("no-such-prefix")));
    QCOMPARE(reader.getRegString(RegistryReader::HKeyCurrentUser, kConfigKey,
                                 QStringLiteral("LogFile"), kDefault),
             kDefault);
}

void TestWineRegistryReader::rootKeyChoosesFile()
{
    writeFile(userReg(), configWith("\"LogFile\"=\"user\""));
    writeFile(m_prefix->filePath(QStringLiteral("system.reg")),
              configWith("\"LogFile\"=\"machine\""));
    const WineRegistryReader reader(m_prefix->path());
    const QString name = QStringLiteral("LogFile");
    QCOMPARE(reader.getRegString(RegistryReader::HKeyCurrentUser, kConfigKey, name, kDefault),
             QStringLiteral("user"));
    QCOMPARE(reader.getRegString(RegistryReader::HKeyLocalMachine, kConfigKey, name, kDefault),
             QStringLiteral("machine"));
    QCOMPARE(reader.getRegString(0x80000003u, kConfigKey, name, kDefault), kDefault);
}

void TestWineRegistryReader::oversizedFileGivesDefault()
{
    writeFile(userReg(), configWith("\"LogFile\"=\"C:\\\\g.log\""));
    const WineRegistryReader reader(m_prefix->path());
    QCOMPARE(reader.getRegString(RegistryReader::HKeyCurrentUser, kConfigKey,
                                 QStringLiteral("LogFile"), kDefault),
             QStringLiteral("C:\\g.log"));

    QFile file(userReg()); // grown sparsely, so the test writes little
    QVERIFY(file.resize(WineRegistryReader::MaxFileBytes + 1));
    QCOMPARE(reader.getRegString(RegistryReader::HKeyCurrentUser, kConfigKey,
                                 QStringLiteral("LogFile"), kDefault),
             kDefault);
}

void TestWineRegistryReader::oversizedValueGivesDefault()
{
    const QByteArray huge((qsizetype(1) << 20) + 1, 'a');
    writeFile(userReg(), configWith("\"Big\"=\"" + huge + "\"\n\"LogFile\"=\"" + huge + "\""));
    const WineRegistryReader reader(m_prefix->path());
    QCOMPARE(reader.getRegString(RegistryReader::HKeyCurrentUser, kConfigKey,
                                 QStringLiteral("LogFile"), kDefault),
             kDefault);
}

void TestWineRegistryReader::specialFilesGiveDefault()
{
    const WineRegistryReader reader(m_prefix->path());
    const QString name = QStringLiteral("LogFile");

    QVERIFY(QDir(m_prefix->path()).mkdir(QStringLiteral("user.reg")));
    QCOMPARE(reader.getRegString(RegistryReader::HKeyCurrentUser, kConfigKey, name, kDefault),
             kDefault);

    // Opening a FIFO without a writer would block for ever.
    const QByteArray fifo = QFile::encodeName(m_prefix->filePath(QStringLiteral("system.reg")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QCOMPARE(reader.getRegString(RegistryReader::HKeyLocalMachine, kConfigKey, name, kDefault),
             kDefault);
}

QTEST_GUILESS_MAIN(TestWineRegistryReader)
#include "tst_wine_registry_reader.moc"
