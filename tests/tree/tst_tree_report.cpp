// A tree large enough to be sorted and written on two threads, in every order:
// the same tree as one made on one thread, the same report as the plain one
// (lines beyond Latin-1 included); a device that refuses a write stops it cleanly.
#include "log/formats.h"
#include "log/log_analyzer.h"
#include "log/log_session.h"
#include "support/fakes.h"
#include "tree/tree_filler.h"
#include "tree/tree_report.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {


const QLocale kUs(QStringLiteral("en_US"));

// Takes the first `room` bytes, then refuses.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 len) override
    {
        if (len > room_)
            return -1;
        room_ -= len;
        return len;
    }

private:
    qint64 room_;
};

// A Windows-1252 log of `downloads` downloads over a few days: most saved in one
// folder (a group too large for one piece of the report), some in a folder
// whose name has the euro sign (beyond Latin-1), some with Latin-1 names.
QByteArray largeLog(int downloads)
{
    QByteArray log;
    for (int i = 0; i < downloads; ++i) {
        const QByteArray day = QByteArray::number(10 + i % 5);
        const QByteArray date = "03/" + day + "/01 ";
        QByteArray folder = "C:\\dl\\";
        if (i % 97 == 0)
            folder = "C:\\Preise \x80\\";
        else if (i % 31 == 0)
            folder = "C:\\T\xe9l\xe9"
                     "chargements\\";
        const QByteArray name = "f" + QByteArray::number(i) + (i % 13 == 0 ? "\xe9.zip" : ".zip");
        const QByteArray host = "http://h" + QByteArray::number(i % 300) + "/p/";
        log += date + "09:00:00 - File: " + folder + name + "=" + host + name + "\r\n";
        log += date + "09:00:05 - (Re)Started downloading: " + folder + name + "\r\n";
        if (i % 3 == 0)
            log += date + "09:01:00 - Resumed: " + folder + name + " at: 4096\r\n";
        if (i % 4 != 0)
            log += date + "10:00:00 - Finished downloading " + folder + name + "\r\n";
    }
    return log;
}

// A filler whose texts cannot be read on another thread: its tree is sorted on
// one thread, and its report written on one.
class OneThreadFiller : public TreeFiller {
public:
    using TreeFiller::TreeFiller;
    std::unique_ptr<TreeModel::NodeSource> copyForThread() const override { return nullptr; }
};

QString plainReport(const TreeModel& model)
{
    QString plain;
    QTextStream stream(&plain);
    writeTreeReport(model, stream);
    stream.flush();
    return plain;
}

} // namespace

class TestTreeReport : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString logPath_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        logPath_ = dir_.filePath(QStringLiteral("large.log"));
        QFile file(logPath_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(largeLog(30000));
    }

    void sameAsPlainReport_data()
    {
        QTest::addColumn<SortOrder>("order");
        for (SortOrder order : {SortOrder::SortNone, SortOrder::SortByDate, SortOrder::SortByName,
                                SortOrder::SortByURL, SortOrder::SortByLocal})
            QTest::newRow(qPrintable(sortOrderName(order))) << order;
    }

    void sameAsPlainReport()
    {
        QFETCH(SortOrder, order);
        SamePath resolver;
        LogSession session(resolver, kUs);
        Formats formats(kUs);
        session.resetRecords();
        session.loadLogFile(logPath_);
        LogAnalyzer(session, formats).run();
        TreeModel model, oneThreadModel;
        TreeFiller filler(formats);
        OneThreadFiller oneThreadFiller(formats);
        filler.fill(model, *session.logEntries, order, session.wideDate);
        oneThreadFiller.fill(oneThreadModel, *session.logEntries, order, session.wideDate);
        QVERIFY(model.nodeCount() > 100000);

        const QString plain = plainReport(model);
        QVERIFY(plain.contains(QStringLiteral("Preise \u20ac")));
        QVERIFY(plain.contains(QStringLiteral("T\u00e9l\u00e9chargements")));
        QVERIFY(plain == plainReport(oneThreadModel));

        for (const TreeModel* tree : {&model, &oneThreadModel}) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(writeTreeReportUtf8(*tree, buffer));
            const QByteArray utf8 = buffer.data();
            QCOMPARE(utf8.size(), plain.toUtf8().size());
            QVERIFY(utf8 == plain.toUtf8());

            // A device that fills up part-way: false, and nothing hangs.
            FullDevice full(utf8.size() / 2);
            QVERIFY(!writeTreeReportUtf8(*tree, full));
        }
    }
};

QTEST_GUILESS_MAIN(TestTreeReport)
#include "tst_tree_report.moc"
