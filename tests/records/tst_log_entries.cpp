#include "records/log_entries.h"

#include <QTest>

namespace {

LogEntries::Fields recordFor(const QString& url)
{
    LogEntries::Fields f;
    f.key = url.toUpper();
    f.url = url;
    return f;
}

QStringList urlsInOrder(const LogEntries& entries)
{
    QStringList urls;
    for (int i = 1; i <= entries.count(); ++i)
        urls << entries.item(i)->url +
                    (entries.item(entries.item(i)->url) == entries.item(i) ? QStringLiteral("*") : QString());
    return urls;
}

} // namespace

class TestLogEntries : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readdedKeyMovesOldItemToTheEndWithoutKey()
    {
        // "*" marks an item the collection still finds under its URL.
        LogEntries entries;
        LogEntry* firstA = entries.add(recordFor(QStringLiteral("a")));
        entries.add(recordFor(QStringLiteral("b")));
        LogEntry* secondA = entries.add(recordFor(QStringLiteral("a")));
        QVERIFY(firstA && secondA && firstA != secondA);

        QCOMPARE(entries.count(), 3);
        QCOMPARE(urlsInOrder(entries), (QStringList{"b*", "a", "a*"}));
        QCOMPARE(entries.item(2), firstA);
        QCOMPARE(entries.item(3), secondA);
        QCOMPARE(entries.item(QStringLiteral("a")), secondA);
    }

    void manyReaddsKeepPositionsConsistent()
    {
        // Positions must stay right when items move out of the middle many times.
        LogEntries entries;
        QStringList expected;
        for (int i = 0; i < 200; ++i) {
            const QString url = QString::number(i % 37);
            entries.add(recordFor(url));
            expected.removeOne(url + QStringLiteral("*"));
            // The superseded record moves to the end, without a key, before the new one.
            if (expected.size() + 1 < entries.count())
                expected << url;
            expected << url + QStringLiteral("*");
        }
        QCOMPARE(entries.count(), 200);
        QCOMPARE(urlsInOrder(entries).size(), 200);
        QCOMPARE(urlsInOrder(entries).mid(163), expected.mid(expected.size() - 37));
    }

    void positionsMatchASimpleModel()
    {
        // Random adds, re-adds and removals against a plain list of the same items.
        LogEntries entries;
        QList<QPair<QString, bool>> model; // url, still keyed
        quint32 seed = 12345;
        auto next = [&seed](quint32 bound) {
            seed = seed * 1664525u + 1013904223u;
            return (seed >> 8) % bound;
        };
        for (int step = 0; step < 3000; ++step) {
            if (next(10) < 8 || model.isEmpty()) {
                const QString url = QString::number(next(300));
                entries.add(recordFor(url));
                for (qsizetype i = 0; i < model.size(); ++i) {
                    if (model[i].second && model[i].first == url) {
                        model.append({url, false});
                        model.removeAt(i);
                        break;
                    }
                }
                model.append({url, true});
            } else {
                const int position = int(next(quint32(model.size()))) + 1;
                entries.remove(position);
                model.removeAt(position - 1);
            }
        }
        QCOMPARE(entries.count(), int(model.size()));
        for (int i = 1; i <= entries.count(); ++i) {
            QCOMPARE(entries.item(i)->url, model[i - 1].first);
            QCOMPARE(entries.item(model[i - 1].first) == entries.item(i), model[i - 1].second);
        }
    }

    void itemLookup_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("found");
        QTest::newRow("as stored") << "HTTP://X/A.ZIP" << true;
        QTest::newRow("lower case") << "http://x/a.zip" << true;
        QTest::newRow("mixed case") << "Http://X/a.Zip" << true;
        QTest::newRow("absent") << "http://x/b.zip" << false;
        QTest::newRow("empty") << "" << false;
    }

    void itemLookup()
    {
        QFETCH(QString, key);
        QFETCH(bool, found);
        LogEntries entries;
        entries.add(recordFor(QStringLiteral("http://x/a.zip")));
        LogCurEntries cur;
        cur.add(QStringLiteral("a.zip"), QStringLiteral("a.zip"), QStringLiteral("HTTP://X/A.ZIP"),
                QStringLiteral("HTTP://X/A.ZIP"));
        QCOMPARE(entries.item(key) != nullptr, found);
        QCOMPARE(cur.item(key) != nullptr, found);
    }

    void positionFailures()
    {
        LogEntries entries;
        entries.add(recordFor(QStringLiteral("a")));
        for (int bad : {0, 2, -1}) {
            try {
                entries.item(bad);
                QFAIL("a position outside the collection must fail");
            } catch (const ClassError& e) {
                QCOMPARE(e.source(), QStringLiteral("LogEntries Collection Get"));
            }
        }
        LogCurEntries cur;
        cur.add(QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("a"));
        QCOMPARE(cur.item(0), nullptr);
        QCOMPARE(cur.item(2), nullptr);
        QVERIFY(cur.item(1));
    }

    void curEntriesWithoutKeyCannotBeFoundByName()
    {
        LogCurEntries cur;
        LogKeys* keys = cur.add(QStringLiteral("a.zip"), QStringLiteral("a.zip"), QStringLiteral("A"));
        QVERIFY(keys);
        QCOMPARE(cur.count(), 1);
        QCOMPARE(cur.item(QStringLiteral("a.zip")), nullptr);
        QCOMPARE(cur.item(1), keys);
    }

    void curEntriesPassFailuresOn()
    {
        LogCurEntries cur;
        cur.add(QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("a"));
        QVERIFY_THROWS_EXCEPTION(ClassError, cur.add(QStringLiteral("a"), QStringLiteral("a"),
                                                     QStringLiteral("A"), QStringLiteral("A")));
        QVERIFY_THROWS_EXCEPTION(ClassError, cur.remove(QStringLiteral("b")));
        cur.remove(QStringLiteral("A"));
        QCOMPARE(cur.count(), 0);
        // Once removed, the name can be taken again.
        QVERIFY(cur.add(QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("a")));
    }

    void removeByPositionRenumbers()
    {
        LogEntries entries;
        for (const char* url : {"a", "b", "c"})
            entries.add(recordFor(QString::fromLatin1(url)));
        entries.remove(2);
        QCOMPARE(urlsInOrder(entries), (QStringList{"a*", "c*"}));
        QCOMPARE(entries.item(QStringLiteral("b")), nullptr);
        entries.remove(QStringLiteral("C"));
        QCOMPARE(urlsInOrder(entries), (QStringList{"a*"}));
    }

    void newRecordDefaults()
    {
        const LogEntry entry;
        QCOMPARE(entry.resumes, -1);
        QCOMPARE(entry.restarts, 0);
        QCOMPARE(entry.mirrors, -1);
        QCOMPARE(entry.num, 0);
        QVERIFY(entry.dateFinished.isEmpty());
    }

    void classErrorConvention()
    {
        try {
            raiseClassError(ErrorNumbers::ClassFailure, QStringLiteral("LogEntry:URL Property Let"));
            QFAIL("raiseClassError must throw");
        } catch (const ClassError& e) {
            QCOMPARE(e.number(), -2147211505); // &H8004270F
            QCOMPARE(e.source(), QStringLiteral("LogEntry:URL Property Let"));
            QCOMPARE(e.description(), QStringLiteral("An unknown error has occurred!"));
        }
    }
};

QTEST_GUILESS_MAIN(TestLogEntries)
#include "tst_log_entries.moc"
