// user.reg files that are huge, cut short, or full of broken escapes. The reader
// gives the value or the default, never more than the value cap, and never hangs.
#include "platform/wine_reg_file.h"
#include "platform/wine_registry_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kConfigKey = QStringLiteral("Software\\Headlight\\GetRight\\Config\\");
const QString kDefault = QStringLiteral("<default>");
const QByteArray kHeader = "WINE REGISTRY Version 2\n\n#arch=win32\n\n";
const QByteArray kKeyLine = "[Software\\\\Headlight\\\\GetRight\\\\Config] 1765363200\n";

QByteArray configWith(const QByteArray& values)
{
    return kHeader + kKeyLine + values + "\n";
}

template <qsizetype N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// Many keys of the size a long-used prefix collects.
QByteArray otherKeys(qsizetype bytes)
{
    QByteArray text;
    text.reserve(bytes + 256);
    for (int i = 0; text.size() < bytes; ++i)
        text += "[Software\\\\Vendor" + QByteArray::number(i) +
                "\\\\Settings] 1765363200\n#time=1db6a8f0c2e4a00\n"
                "\"Path\"=\"C:\\\\Program Files\\\\Vendor\\\\bin\"\n"
                "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,\\\n"
                "  10,11,12,13\n\n";
    return text;
}

std::optional<QString> logFile(const QByteArray& text)
{
    return findWineRegString(text, kConfigKey, u"LogFile");
}

} // namespace

class TestHostileRegistry : public QObject {
    Q_OBJECT

    QTemporaryDir prefix_;

    QString userReg() const { return prefix_.filePath(QStringLiteral("user.reg")); }

    void writeUserReg(const QByteArray& text)
    {
        QFile::remove(userReg());
        QFile file(userReg());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(text), text.size());
    }

    QString read() const
    {
        return WineRegistryReader(prefix_.path())
            .getRegString(RegistryReader::HKeyCurrentUser, kConfigKey, QStringLiteral("LogFile"),
                          kDefault);
    }

private Q_SLOTS:
    void brokenText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("value");

        const QByteArray whole = configWith("\"LogFile\"=\"C:\\\\dl\\\\g\\x41.log\"");
        for (const char* cut : {"[Software", "Config]", "\"LogF", "=", "=\"", "g\\", "g\\x4"}) {
            const qsizetype at = whole.indexOf(cut) + qsizetype(strlen(cut));
            QTest::addRow("truncated after %s", cut) << whole.left(at) << kDefault;
        }
        QTest::newRow("truncated in a UTF-8 sequence")
            << configWith("\"LogFile\"=\"C:\\\\\xc3").chopped(1) << kDefault;
        QTest::newRow("truncated in the hex(1) type")
            << configWith("\"LogFile\"=hex(1").chopped(1) << kDefault;
        QTest::newRow("hex escape of five digits")
            << configWith("\"LogFile\"=\"\\x00410\"") << QStringLiteral("A0");
        QTest::newRow("hex escape without digits")
            << configWith("\"LogFile\"=\"a\\xg\"") << QStringLiteral("axg");
        QTest::newRow("octal escape above a byte")
            << configWith("\"LogFile\"=\"\\777\"") << QString(QChar(0777));
        QTest::newRow("unicode escape is not one")
            << configWith("\"LogFile\"=\"\\u0041\"") << QStringLiteral("u0041");
        QTest::newRow("escape before a non-ASCII byte")
            << configWith("\"LogFile\"=\"\\\xc3\xa9\"") << QStringLiteral("\u00e9");
        QTest::newRow("NUL escape first")
            << configWith("\"LogFile\"=\"\\0C:\\\\g.log\"") << QString();
        QTest::newRow("a million backslashes")
            << configWith("\"LogFile\"=\"" + QByteArray(1000000, '\\') + "\"")
            << QString(500000, u'\\');
        QTest::newRow("raw NUL bytes before the key")
            << QByteArray(raw("\0\0\0\n") + configWith("\"LogFile\"=\"C:\\\\g.log\""))
            << QStringLiteral("C:\\g.log");
        QTest::newRow("raw NUL inside the value")
            << configWith(raw("\"LogFile\"=\"C:\\\\g\0.log\"")) << QStringLiteral("C:\\g");
        QTest::newRow("CR-only line ends")
            << QByteArray(kKeyLine).replace('\n', '\r') + "\"LogFile\"=\"C:\\\\g.log\"\r"
            << kDefault;
        QTest::newRow("binary") << QByteArray(4096, '\xff') + '\n' + QByteArray(4096, '\0')
                                << kDefault;
        QTest::newRow("hex(1) of odd digits")
            << configWith("\"LogFile\"=hex(1):4,,,1,0,0") << QString(QChar(0x0104));
        QTest::newRow("hex(1) byte above ff")
            << configWith("\"LogFile\"=hex(1):100,00") << kDefault;
        QTest::newRow("hex type beyond 32 bits")
            << configWith("\"LogFile\"=hex(100000001):41,00") << kDefault;
        QTest::newRow("hex continuation to the end of the file")
            << configWith("\"LogFile\"=hex(1):41,00,\\\n" + QByteArray(100000, '\\')) << kDefault;
    }

    void brokenText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, value);
        writeUserReg(text);
        QCOMPARE(read(), value);
    }

    // The cap counts the value's bytes in the file, quotes included.
    void valueCap_data()
    {
        QTest::addColumn<QByteArray>("valueLine");
        QTest::addColumn<int>("chars"); // of the value read; 0: refused
        const qsizetype cap = kMaxWineRegValueBytes;
        QTest::newRow("quoted, at the cap")
            << "\"LogFile\"=\"" + QByteArray(cap - 2, 'a') + "\"" << int(cap - 2);
        QTest::newRow("quoted, one over")
            << "\"LogFile\"=\"" + QByteArray(cap - 1, 'a') + "\"" << 0;
        QTest::newRow("quoted, 10 MB") << "\"LogFile\"=\"" + QByteArray(10 << 20, 'a') + "\"" << 0;
        QByteArray hex = "\"LogFile\"=hex(1):";
        for (int line = 0; line < 40000; ++line)
            hex += "61,00,61,00,61,00,61,00,61,00,61,00,61,00,61,00,\\\n  ";
        QTest::newRow("hex(1) over 2 MB of lines") << hex + "00,00" << 0;
        QTest::newRow("str: just under")
            << "\"LogFile\"=str:\"" + QByteArray(cap - 6, 'b') + "\"" << int(cap - 6);
    }

    void valueCap()
    {
        QFETCH(QByteArray, valueLine);
        QFETCH(int, chars);
        const std::optional<QString> value = logFile(configWith(valueLine));
        QCOMPARE(value.has_value(), chars > 0);
        if (value)
            QCOMPARE(value->size(), chars);
    }

    // A prefix of 48 MB, the value at its very end: read whole, found. Bigger
    // than the file cap: refused without reading it.
    void hugeFile()
    {
        const QByteArray keys = otherKeys(qsizetype(48) << 20);
        writeUserReg(kHeader + keys + kKeyLine + "\"LogFile\"=\"C:\\\\g.log\"\n");
        QCOMPARE(read(), QStringLiteral("C:\\g.log"));

        writeUserReg(kHeader + keys + keys + kKeyLine + "\"LogFile\"=\"C:\\\\g.log\"\n");
        QVERIFY(QFileInfo(userReg()).size() > WineRegistryReader::MaxFileBytes);
        QCOMPARE(read(), kDefault);
    }

    // One line of 60 MB with no line end: still one pass.
    void hugeSingleLine()
    {
        writeUserReg(kHeader + "[" + QByteArray(60 << 20, 'k'));
        QCOMPARE(read(), kDefault);
        writeUserReg(kHeader + kKeyLine + "\"LogFile\"=\"" + QByteArray(60 << 20, 'v'));
        QCOMPARE(read(), kDefault);
    }

    void deviceInsteadOfFile()
    {
        QFile::remove(userReg());
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), userReg()));
        QCOMPARE(read(), kDefault);
        QFile::remove(userReg());
        QVERIFY(QFile::link(QStringLiteral("/dev/urandom"), userReg()));
        QCOMPARE(read(), kDefault);
        QFile::remove(userReg());
    }
};

QTEST_GUILESS_MAIN(TestHostileRegistry)
#include "tst_hostile_registry.moc"
