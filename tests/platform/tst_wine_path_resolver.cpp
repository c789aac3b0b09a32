#include "platform/wine_path_resolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace

// A prefix with c: linked to ../drive_c as Wine makes it, d: linked to a folder
// outside the prefix, and a dangling e:.
class TestWinePathResolver : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void resolve_data();
    void resolve();

    void driveLinkIsFollowedWhereverItPoints();

private:
    QTemporaryDir m_root;
    QString m_prefix;
    QString m_driveC; // as the resolver reaches it, through the link
};

void TestWinePathResolver::initTestCase()
{
    QVERIFY(m_root.isValid());
    QDir root(m_root.path());
    QVERIFY(root.mkpath(QStringLiteral("prefix/dosdevices")));
    QVERIFY(root.mkpath(QStringLiteral("prefix/drive_c/Downloads/Sub Dir")));
    QVERIFY(root.mkpath(QStringLiteral("prefix/drive_c/Cases")));
    QVERIFY(root.mkpath(QStringLiteral("elsewhere/Music")));
    m_prefix = root.filePath(QStringLiteral("prefix"));
    m_driveC = QFileInfo(root.filePath(QStringLiteral("prefix/drive_c"))).canonicalFilePath();

    QVERIFY(QFile::link(QStringLiteral("../drive_c"), m_prefix + QStringLiteral("/dosdevices/c:")));
    QVERIFY(QFile::link(QStringLiteral("../../elsewhere"),
                        m_prefix + QStringLiteral("/dosdevices/d:")));
    QVERIFY(QFile::link(QStringLiteral("../no-such-drive"),
                        m_prefix + QStringLiteral("/dosdevices/e:")));

    QVERIFY(touch(m_driveC + QStringLiteral("/Downloads/Setup.EXE")));
    QVERIFY(touch(m_driveC + QStringLiteral("/Downloads/Sub Dir/.hidden")));
    // Names that differ only in case, listed here out of sorted order.
    for (const char* name : {"readme.txt", "Readme.txt", "README.TXT"})
        QVERIFY(touch(m_driveC + QStringLiteral("/Cases/") + QLatin1String(name)));
}

void TestWinePathResolver::resolve_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected"); // relative to drive_c, or absolute when it starts with /

    QTest::newRow("exact") << QStringLiteral("C:\\Downloads\\Setup.EXE")
                           << QStringLiteral("Downloads/Setup.EXE");
    QTest::newRow("components differ in case") << QStringLiteral("c:\\DOWNLOADS\\sub dir\\.HIDDEN")
                                               << QStringLiteral("Downloads/Sub Dir/.hidden");
    QTest::newRow("forward and repeated separators")
        << QStringLiteral("C:/downloads\\\\/setup.exe\\") << QStringLiteral("Downloads/Setup.EXE");
    QTest::newRow("exact match preferred")
        << QStringLiteral("C:\\Cases\\Readme.txt") << QStringLiteral("Cases/Readme.txt");
    QTest::newRow("else first in sorted order")
        << QStringLiteral("C:\\Cases\\rEADME.txt") << QStringLiteral("Cases/README.TXT");
    QTest::newRow("dot and dot-dot") << QStringLiteral("C:\\..\\Downloads\\.\\x\\..\\setup.exe")
                                     << QStringLiteral("Downloads/Setup.EXE");
    QTest::newRow("missing file kept as written")
        << QStringLiteral("C:\\downloads\\Missing.ZIP") << QStringLiteral("Downloads/Missing.ZIP");
    QTest::newRow("missing folder, rest kept as written")
        << QStringLiteral("C:\\NoDir\\downloads\\setup.exe")
        << QStringLiteral("NoDir/downloads/setup.exe");
    QTest::newRow("drive alone") << QStringLiteral("C:") << QString();
    QTest::newRow("drive root") << QStringLiteral("C:\\") << QString();

    QTest::newRow("unix path unchanged") << QStringLiteral("/home/user/Downloads/setup.exe")
                                         << QStringLiteral("/home/user/Downloads/setup.exe");
}

void TestWinePathResolver::resolve()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    if (!expected.startsWith(u'/'))
        expected = expected.isEmpty() ? m_driveC : m_driveC + u'/' + expected;

    const WinePathResolver resolver(m_prefix);
    QCOMPARE(resolver.resolve(stored), expected);
}

void TestWinePathResolver::driveLinkIsFollowedWhereverItPoints()
{
    const WinePathResolver resolver(m_prefix);
    const QString elsewhere =
        QFileInfo(m_root.filePath(QStringLiteral("elsewhere"))).canonicalFilePath();
    QCOMPARE(resolver.resolve(QStringLiteral("D:\\music\\a.mp3")),
             elsewhere + QStringLiteral("/Music/a.mp3"));

    // Without a usable drive, and for what names no drive, the text comes back.
    for (const QString& stored :
         {QStringLiteral("E:\\dangling\\a.zip"), QStringLiteral("Q:\\no\\entry.zip"),
          QStringLiteral("\\\\server\\share\\a.zip"), QStringLiteral("Downloads\\a.zip"),
          QString()})
        QCOMPARE(resolver.resolve(stored), stored);
}

QTEST_GUILESS_MAIN(TestWinePathResolver)
#include "tst_wine_path_resolver.moc"
