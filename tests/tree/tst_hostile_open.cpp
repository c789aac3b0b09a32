// Execute on node texts that a hostile log can produce: control characters and
// escapes in URLs, schemes that are not web links, and file names full of what
// a shell would act on. Nothing reaches the desktop but one web or FTP link, or
// one existing regular file, and either goes as a single URL argument whose
// text has no blank or control character left in it.
#include "platform/desktop_opener.h"
#include "support/fakes.h"
#include "platform/path_resolver.h"
#include "tree/open_command.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {


// C:\dl\ is the temporary folder; anything else passes unchanged.
struct FolderResolver : PathResolver {
    QString root;
    QString resolve(const QString& path) const override
    {
        return path.startsWith(QLatin1String("C:\\dl\\")) ? root + u'/' + path.mid(6) : path;
    }
};

// What a desktop opener would hand on: printable ASCII, nothing a parser of
// command lines or of URLs could split.
bool isOneClean(const QUrl& url)
{
    const QByteArray text = url.toEncoded();
    for (const char c : text)
        if (c <= ' ' || c > '~')
            return false;
    return !text.isEmpty();
}

} // namespace

class TestHostileOpen : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FolderResolver resolver_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        resolver_.root = dir_.path();
        for (const QString& name :
             {QStringLiteral("line\nbreak.zip"), QStringLiteral("100%25 done.zip"),
              QStringLiteral("what?#frag.zip"), QStringLiteral("-rf.zip"),
              QStringLiteral("tab\there.zip"), QStringLiteral("caf\u00e9 \u20ac.zip")}) {
            QFile file(dir_.filePath(name));
            QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(name));
        }
        QCOMPARE(mkfifo(QFile::encodeName(dir_.filePath(QStringLiteral("fifo.zip"))), 0600), 0);
        QVERIFY(
            QFile::link(QStringLiteral("/dev/zero"), dir_.filePath(QStringLiteral("zero.zip"))));
    }

    void urls_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("opened"); // the URL handed over, encoded; empty: refused

        QTest::newRow("line break") << "URL: http://h/a\nb.zip"
                                    << "http://h/a%0Ab.zip";
        QTest::newRow("carriage return and tab") << "URL: http://h/a\r\tb"
                                                 << "http://h/a%0D%09b";
        QTest::newRow("NUL") << QStringLiteral("URL: http://h/a") + QChar(u'\0') + u'b'
                             << "http://h/a%00b";
        QTest::newRow("escaped line break kept") << "URL: http://h/a%0Ab%00"
                                                 << "http://h/a%0Ab%00";
        QTest::newRow("broken escape") << "URL: http://h/a%zz%"
                                       << "http://h/a%25zz%25";
        QTest::newRow("escaped dots, still a link to the same host")
            << "URL: http://h/%2e%2e/%2e%2e/etc/passwd"
            << "http://h/../../etc/passwd";
        QTest::newRow("pipes, redirections, globs") << "URL: http://h/a|b>c<d*e?f=$(g)"
                                                    << "http://h/a%7Cb%3Ec%3Cd*e?f=$(g)";
        QTest::newRow("backslash") << "URL: http://h/a\\b"
                                   << "http://h/a%5Cb";
        QTest::newRow("upper-case scheme, blanks") << "URL: HTTP://H/A B"
                                                   << "http://h/A%20B";
        QTest::newRow("non-ASCII host") << "URL: http://\u0435xample.com/"
                                        << "http://xn--xample-2of.com/";
        QTest::newRow("line break in the host") << "URL: http://h\n.evil/"
                                                << "";
        QTest::newRow("escaped line break in the host") << "URL: http://h%0a/"
                                                        << "";
        QTest::newRow("data") << "URL: data:text/html,<script>alert(1)</script>"
                              << "";
        QTest::newRow("vbscript") << "URL: vbscript:msgbox(1)"
                                  << "";
        QTest::newRow("mailto") << "URL: mailto:a@b?attach=/etc/passwd"
                                << "";
        QTest::newRow("smb share") << "URL: smb://server/share/x.exe"
                                   << "";
        QTest::newRow("upper-case file") << "URL: FILE:///etc/passwd"
                                         << "";
        QTest::newRow("UNC path") << "URL: \\\\server\\share\\x.exe"
                                  << "";
        QTest::newRow("scheme-relative") << "URL: //h/a.zip"
                                         << "";
        QTest::newRow("http without host") << "URL: http:/etc/passwd"
                                           << "";
        QTest::newRow("ftp without host") << "ftp:/etc/passwd"
                                          << "";
        QTest::newRow("empty http") << "URL: http://"
                                    << "";
        QTest::newRow("option-like") << "URL: --help http://h/"
                                     << "";
        QTest::newRow("dash before the scheme") << "URL: -http://h/"
                                                << "";
        QTest::newRow("tab before javascript") << "URL: \tjavascript:alert(1)"
                                               << "";
        QTest::newRow("tab inside javascript") << "URL: jav\tascript:alert(1)"
                                               << "";
        QTest::newRow("bad port") << "URL: http://h:99999/"
                                  << "";
    }

    void urls()
    {
        QFETCH(QString, text);
        QFETCH(QString, opened);
        RecordingOpener opener;
        const OpenResult result = openNodeTarget(text, resolver_, opener);
        if (opened.isEmpty()) {
            QCOMPARE(result.outcome, OpenResult::Outcome::Refused);
            QVERIFY(opener.opened.isEmpty());
            QVERIFY(result.message.endsWith(openTargetFor(text).target));
            return;
        }
        QCOMPARE(result.outcome, OpenResult::Outcome::Opened);
        QCOMPARE(opener.opened.size(), 1);
        QVERIFY(isOneClean(opener.opened.first()));
        QCOMPARE(QString::fromLatin1(opener.opened.first().toEncoded()), opened);
    }

    void localFiles_data()
    {
        QTest::addColumn<QString>("name"); // in C:\dl\ and the temporary folder
        QTest::addColumn<bool>("opened");
        QTest::newRow("line break in the name") << "line\nbreak.zip" << true;
        QTest::newRow("tab in the name") << "tab\there.zip" << true;
        QTest::newRow("percent escape as written") << "100%25 done.zip" << true;
        QTest::newRow("query and fragment marks") << "what?#frag.zip" << true;
        QTest::newRow("leading dash") << "-rf.zip" << true;
        QTest::newRow("non-ASCII") << "caf\u00e9 \u20ac.zip" << true;
        QTest::newRow("percent escape decoded") << "100% done.zip" << false;
        QTest::newRow("FIFO") << "fifo.zip" << false;
        QTest::newRow("link to a device") << "zero.zip" << false;
        QTest::newRow("climbing out") << "..\\..\\..\\..\\etc\\passwd" << false;
        QTest::newRow("nothing") << "" << false;
    }

    void localFiles()
    {
        QFETCH(QString, name);
        QFETCH(bool, opened);
        RecordingOpener opener;
        const OpenResult result =
            openNodeTarget(QStringLiteral("Local Path: C:\\dl\\") + name, resolver_, opener);
        if (!opened) {
            QCOMPARE(result.outcome, OpenResult::Outcome::FileMissing);
            QCOMPARE(result.message, QStringLiteral("File has been moved or deleted."));
            QVERIFY(opener.opened.isEmpty());
            return;
        }
        QCOMPARE(result.outcome, OpenResult::Outcome::Opened);
        QCOMPARE(opener.opened.size(), 1);
        const QUrl url = opener.opened.first();
        QVERIFY(url.isLocalFile());
        // The very file, whatever its name holds, as one clean absolute URL.
        QCOMPARE(url.toLocalFile(), dir_.filePath(name));
        QVERIFY(isOneClean(url));
    }
};

QTEST_GUILESS_MAIN(TestHostileOpen)
#include "tst_hostile_open.moc"
