#include "platform/desktop_opener.h"
#include "support/fakes.h"
#include "platform/path_resolver.h"
#include "tree/open_command.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {


// Maps the stored Windows folder C:\dl\ onto a temporary folder.
struct FolderResolver : PathResolver {
    QString root;
    QString resolve(const QString& path) const override
    {
        QString local = path;
        if (local.startsWith(QLatin1String("C:\\dl\\")))
            local = root + QLatin1Char('/') + local.mid(6);
        return local;
    }
};

} // namespace

class TestOpenCommand : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    FolderResolver resolver;

    void touch(const QString& name)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private Q_SLOTS:
    void initTestCase()
    {
        resolver.root = dir.path();
        touch(QStringLiteral("setup.exe"));
        touch(QStringLiteral("My File & Co; $(rm).zip"));
        touch(QStringLiteral(".hidden.zip"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.zip")));
    }

    void targets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("target");
        const int none = int(OpenTarget::Kind::Nothing), url = int(OpenTarget::Kind::Url),
                  file = int(OpenTarget::Kind::LocalFile);
        QTest::newRow("URL detail") << "URL: http://h/a.zip" << url << "http://h/a.zip";
        QTest::newRow("URL-folder group") << "http://h/pub/" << url << "http://h/pub/";
        QTest::newRow("ftp download node") << "ftp.exe" << url << "ftp.exe";
        QTest::newRow("HTTP any case") << "HtTpd.conf" << url << "HtTpd.conf";
        QTest::newRow("URL named node") << "URLs.txt" << url << ".txt";
        QTest::newRow("url in small letters") << "urls.txt" << none << "";
        QTest::newRow("local path") << "Local Path: C:\\dl\\a b.zip " << file << "C:\\dl\\a b.zip";
        QTest::newRow("local path small") << "local path: C:\\x" << none << "";
        QTest::newRow("start detail") << "Added: 3/15/01 - 09:00:00 AM" << none << "";
        QTest::newRow("restarts") << "Restarts: 2" << none << "";
        QTest::newRow("finished") << "Finished: 3/15/01 - 09:10:00 PM" << none << "";
        QTest::newRow("date group") << "Thursday, March 15, 2001" << none << "";
        QTest::newRow("local group") << "C:\\dl\\" << none << "";
        QTest::newRow("empty") << "" << none << "";
    }

    void targets()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, target);
        const OpenTarget t = openTargetFor(text);
        QCOMPARE(int(t.kind), kind);
        QCOMPARE(t.target, target);
    }

    void opening_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("opened"); // what the opener received, as one argument
        const int opened = int(OpenResult::Outcome::Opened), refused = int(OpenResult::Outcome::Refused),
                  missing = int(OpenResult::Outcome::FileMissing), nothing = int(OpenResult::Outcome::Nothing);
        QTest::newRow("url") << "URL: http://h/pub/a.zip" << opened << "http://h/pub/a.zip";
        QTest::newRow("https") << "URL: https://h/a.zip" << opened << "https://h/a.zip";
        QTest::newRow("ftp folder") << "ftp://f/x/" << opened << "ftp://f/x/";
        QTest::newRow("shell metacharacters stay in one url")
            << "URL: http://x/&calc;$(rm -rf ~)`id`" << opened << "http://x/&calc;$(rm%20-rf%20~)%60id%60";
        QTest::newRow("blanks and quotes") << "URL: http://x/a \"b\".zip" << opened << "http://x/a%20%22b%22.zip";
        QTest::newRow("percent escapes kept") << "URL: http://x/a%20b.zip" << opened << "http://x/a%20b.zip";
        QTest::newRow("file scheme refused") << "URL: file:///etc/passwd" << refused << "";
        QTest::newRow("javascript refused") << "URL: javascript:alert(1)" << refused << "";
        QTest::newRow("custom handler refused") << "URL: steam://run/1" << refused << "";
        QTest::newRow("bare file name refused") << "httpd.conf" << refused << "";
        QTest::newRow("existing file") << "Local Path: C:\\dl\\setup.exe" << opened << "setup.exe";
        QTest::newRow("file with metacharacters") << "Local Path: C:\\dl\\My File & Co; $(rm).zip" << opened
                                                  << "My File & Co; $(rm).zip";
        QTest::newRow("missing file") << "Local Path: C:\\dl\\gone.zip" << missing << "";
        QTest::newRow("hidden file") << "Local Path: C:\\dl\\.hidden.zip" << missing << "";
        QTest::newRow("a folder") << "Local Path: C:\\dl\\folder.zip" << missing << "";
        QTest::newRow("leads nowhere") << "Resumes: 3" << nothing << "";
    }

    void opening()
    {
        QFETCH(QString, text);
        QFETCH(int, outcome);
        QFETCH(QString, opened);
        RecordingOpener opener;
        const OpenResult result = openNodeTarget(text, resolver, opener);
        QCOMPARE(int(result.outcome), outcome);
        if (outcome == int(OpenResult::Outcome::Opened)) {
            QCOMPARE(opener.opened.size(), 1);
            const QUrl url = opener.opened.first();
            if (url.isLocalFile())
                QCOMPARE(url.toLocalFile(), dir.filePath(opened));
            else
                QCOMPARE(url.toString(QUrl::FullyEncoded), opened);
        } else {
            QVERIFY(opener.opened.isEmpty());
        }
        if (outcome == int(OpenResult::Outcome::FileMissing))
            QCOMPARE(result.message, QStringLiteral("File has been moved or deleted."));
        if (outcome == int(OpenResult::Outcome::Refused))
            QVERIFY(result.message.contains(openTargetFor(text).target));
    }

    void desktopWithoutProgram()
    {
        RecordingOpener opener;
        opener.works = false;
        const OpenResult result = openNodeTarget(QStringLiteral("URL: http://h/a.zip"), resolver, opener);
        QCOMPARE(result.outcome, OpenResult::Outcome::OpenFailed);
        QVERIFY(result.message.contains(QStringLiteral("http://h/a.zip")));
    }
};

QTEST_GUILESS_MAIN(TestOpenCommand)
#include "tst_open_command.moc"
