#include "log/log_loader.h"
#include "log/log_session.h"
#include "support/fakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {


const DateTest& usDates()
{
    static const DateTest test{QLocale(QStringLiteral("en_US"))};
    return test;
}

QStringList linesOf(const LogLines& lines)
{
    QStringList out;
    for (int i = 1; i <= lines.count(); ++i)
        out << lines.line(i);
    return out;
}

} // namespace

class TestLogLoader : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& content)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write fixture");
        file.write(content);
        return path;
    }

private Q_SLOTS:
    void lineEndings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<qint64>("bad");
        const QStringList two{"03/15/01 a", "03/16/01 b"};
        QTest::newRow("CRLF") << QByteArray("03/15/01 a\r\n03/16/01 b\r\n") << two << qint64(0);
        QTest::newRow("LF") << QByteArray("03/15/01 a\n03/16/01 b\n") << two << qint64(0);
        QTest::newRow("CR") << QByteArray("03/15/01 a\r03/16/01 b\r") << two << qint64(0);
        QTest::newRow("no final ending")
            << QByteArray("03/15/01 a\r\n03/16/01 b") << two << qint64(0);
        QTest::newRow("mixed") << QByteArray("03/15/01 a\r03/16/01 b\n\r\n") << two << qint64(1);
        QTest::newRow("LF CR is two endings")
            << QByteArray("03/15/01 a\n\r03/16/01 b") << two << qint64(1);
        QTest::newRow("blank lines are bad")
            << QByteArray("\r\n03/15/01 a\r\n\r\n03/16/01 b\r\n") << two << qint64(2);
        QTest::newRow("undated lines are bad")
            << QByteArray("GetRight\r\n03/15/01 a\r\nnoise\r\n03/16/01 b\r\nend\r\n") << two
            << qint64(3);
    }

    void lineEndings()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        QFETCH(qint64, bad);
        const auto result = loadLogFile(write(QStringLiteral("endings.log"), content), usDates());
        QCOMPARE(result.status, LogLoadResult::Status::Loaded);
        QCOMPARE(linesOf(result.lines), lines);
        QCOMPARE(result.badRecords, bad);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("03/15/01 plain") << "03/15/01 plain";
        QTest::newRow("utf-8") << QByteArray("03/15/01 caf\xc3\xa9")
                               << QString::fromUtf8("03/15/01 café");
        QTest::newRow("windows-1252")
            << QByteArray("03/15/01 caf\xe9 \x80 \x96") << QString::fromUtf8("03/15/01 café € –");
    }

    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const auto result =
            loadLogFile(write(QStringLiteral("decode.log"), bytes + "\r\n"), usDates());
        QCOMPARE(linesOf(result.lines), QStringList{text});
    }

    void firstAndLastDates()
    {
        const auto result =
            loadLogFile(write(QStringLiteral("dates.log"),
                              "03/15/2001 09:00:00 - a\r\nnoise\r\n03/16/01 10:00:00 - b\r\n"),
                        usDates());
        QCOMPARE(result.firstLogDate, QStringLiteral("03/15/2001"));
        QCOMPARE(result.lastLogDate, QStringLiteral("03/16/01"));
        QVERIFY(!result.stamp.isEmpty());
    }

    void manyLinesInOrder()
    {
        QByteArray content;
        for (int i = 0; i < 250; ++i) {
            content += "03/15/01 09:00:00 - line " + QByteArray::number(i) + "\r\n";
            if (i == 10 || i == 100 || i == 200)
                content += "\r\n";
        }
        const auto result = loadLogFile(write(QStringLiteral("many.log"), content), usDates());
        QCOMPARE(result.lines.count(), 250);
        QCOMPARE(result.badRecords, qint64(3));
        QCOMPARE(result.lines.line(250), QStringLiteral("03/15/01 09:00:00 - line 249"));
    }

    // A log larger than the pieces it is read in (and read on a second thread),
    // with a CR LF placed across or just beside a piece's end: every line comes
    // out whole and in order, the undated ones counted.
    void largeLogAcrossPieces_data()
    {
        QTest::addColumn<qsizetype>("crAt");
        constexpr qsizetype MiB = 1024 * 1024;
        QTest::newRow("CR ends the first piece") << 4 * MiB - 1;
        QTest::newRow("CR LF starts the second piece") << 4 * MiB;
        QTest::newRow("CR LF ends the first piece") << 4 * MiB - 2;
        QTest::newRow("CR ends the second piece") << 8 * MiB - 1;
    }

    void largeLogAcrossPieces()
    {
        QFETCH(qsizetype, crAt);
        QByteArray content;
        QStringList expected;
        qint64 bad = 0;
        const char* const endings[] = {"\r\n", "\n", "\r"};
        auto addLines = [&](qsizetype until) {
            for (int i = int(expected.size()); content.size() < until; ++i) {
                if (i % 1000 == 999) {
                    content += "-- noise --\r\n";
                    ++bad;
                }
                QByteArray text = "03/15/01 09:00:00 - line " + QByteArray::number(i) + ' ' +
                                  QByteArray(i % 37, 'x');
                if (i % 777 == 0)
                    text += "caf\xc3\xa9";
                content += text + endings[i % 3];
                expected << QString::fromUtf8(text);
            }
        };
        addLines(crAt - 200);
        const QByteArray head = "03/15/01 09:00:00 - across ";
        const QByteArray across = head + QByteArray(crAt - content.size() - head.size(), 'y');
        content += across + "\r\n";
        expected << QString::fromLatin1(across);
        QCOMPARE(content.indexOf("\r\n", crAt - 1), crAt);
        addLines(9 * 1024 * 1024);

        const auto result = loadLogFile(write(QStringLiteral("large.log"), content), usDates());
        QCOMPARE(result.status, LogLoadResult::Status::Loaded);
        QCOMPARE(result.badRecords, bad);
        QCOMPARE(result.lines.count(), expected.size());
        QCOMPARE(linesOf(result.lines), expected);
    }

    void unreadablePaths()
    {
        QCOMPARE(loadLogFile(dir.filePath(QStringLiteral("missing.log")), usDates()).status,
                 LogLoadResult::Status::CannotOpen);
        QCOMPARE(loadLogFile(dir.path(), usDates()).status, LogLoadResult::Status::CannotOpen);
        QCOMPARE(loadLogFile(QStringLiteral("/dev/zero"), usDates()).status,
                 LogLoadResult::Status::CannotOpen);
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(loadLogFile(fifo, usDates()).status, LogLoadResult::Status::CannotOpen);
        if (::geteuid() != 0) { // root reads anything
            const QString locked = write(QStringLiteral("locked.log"), "03/15/01 a\r\n");
            QFile::setPermissions(locked, QFileDevice::WriteOwner);
            QCOMPARE(loadLogFile(locked, usDates()).status, LogLoadResult::Status::CannotOpen);
        }
    }

    // What a load that keeps no line leaves: no dates of a log that is gone,
    // the path and the stamp of one file, and a message that says why.
    void sessionAfterALoadWithoutLines()
    {
        using Message = LogSession::LoadOutcome::Message;
        SamePath resolver;
        LogSession session(resolver, QLocale(QStringLiteral("en_US")));
        const QString good = write(QStringLiteral("good.log"), "03/15/01 a\r\n03/16/01 b\r\n");
        auto outcome = session.loadLogFile(good);
        QCOMPARE(outcome.message, Message::None);
        QCOMPARE(session.loadedLogPath, good);
        QCOMPARE(session.firstLogDate, QStringLiteral("03/15/01"));
        const QString goodStamp = session.loadedLogStamp;

        // A missing file: the earlier path and its stamp stay together.
        const QString nowhere = dir.filePath(QStringLiteral("nowhere.log"));
        outcome = session.loadLogFile(nowhere);
        QCOMPARE(outcome.message, Message::FileError);
        QCOMPARE(outcome.problem, LogLoadResult::Problem::Missing);
        QCOMPARE(outcome.detail, nowhere + QStringLiteral("\n\nNo such file."));
        QCOMPARE(session.logLines.count(), 0);
        QCOMPARE(session.loadedLogPath, good);
        QCOMPARE(session.loadedLogStamp, goodStamp);
        QVERIFY(session.firstLogDate.isEmpty() && session.lastLogDate.isEmpty());

        // A folder is named as one.
        outcome = session.loadLogFile(dir.path());
        QCOMPARE(outcome.problem, LogLoadResult::Problem::Folder);
        QVERIFY(outcome.detail.endsWith(QStringLiteral("It is a folder.")));

        // An empty file: said so; the path and the stamp are both the new file's.
        const QString empty = write(QStringLiteral("empty.log"), "");
        outcome = session.loadLogFile(empty);
        QCOMPARE(outcome.message, Message::NoDatedLines);
        QVERIFY(!outcome.hasLines);
        QCOMPARE(session.loadedLogPath, empty);
        QCOMPARE(session.loadedLogStamp, fileStamp(empty));
        QCOMPARE(outcome.detail, empty + QStringLiteral("\n\nThe file is empty."));

        // Only bad records: their count, and that no line begins with a date.
        const QString bad = write(QStringLiteral("bad.log"), "x\r\ny\r\n");
        outcome = session.loadLogFile(bad);
        QCOMPARE(outcome.message, Message::BadRecords);
        QCOMPARE(outcome.badRecords, qint64(2));
        QCOMPARE(outcome.detail, bad + QStringLiteral("\n\nNo line begins with a date."));
        QCOMPARE(session.loadedLogPath, bad);

        outcome =
            session.loadLogFile(write(QStringLiteral("three.log"), "a\r\n03/15/01 a\r\n\r\nb\r\n"));
        QCOMPARE(outcome.message, Message::BadRecords);
        QCOMPARE(outcome.badRecords, qint64(3));
        QVERIFY(outcome.hasLines);
    }
};

QTEST_GUILESS_MAIN(TestLogLoader)
#include "tst_log_loader.moc"
