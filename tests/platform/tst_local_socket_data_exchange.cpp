#include "platform/local_socket_data_exchange.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using Failure = DataExchangeClient::Failure;

// A server that hands each request line to a handler along with its connection.
class ScriptedServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QLocalSocket*, const QByteArray&)>;

    explicit ScriptedServer(Handler handler) : handler_(std::move(handler))
    {
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_.nextPendingConnection()) {
                ++connections;
                sockets << socket;
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    while (socket->canReadLine()) {
                        const QByteArray line = socket->readLine();
                        requests << line;
                        handler_(socket, line);
                    }
                });
            }
        });
    }

    bool listen(const QString& service = "GetRight", const QString& topic = "DownloadInfo")
    {
        return server_.listen(LocalSocketDataExchange::socketPath(service, topic));
    }

    int connections = 0;
    QList<QPointer<QLocalSocket>> sockets;
    QList<QByteArray> requests;

private:
    QLocalServer server_;
    Handler handler_;
};

class TestLocalSocketDataExchange : public QObject {
    Q_OBJECT
private:
    QTemporaryDir runtimeDir;

    // Connects, asks item "1" and waits for the outcome.
    struct Outcome {
        bool replied = false;
        QString text;
        Failure failure = Failure::Invalid;
    };

    static Outcome ask(LocalSocketDataExchange& client)
    {
        QSignalSpy connected(&client, &DataExchangeClient::connected);
        QSignalSpy replied(&client, &DataExchangeClient::replied);
        QSignalSpy failed(&client, &DataExchangeClient::failed);
        client.connectToService("GetRight", "DownloadInfo");
        [&] { QTRY_VERIFY(connected.count() + failed.count() > 0); }();
        Outcome out;
        if (QTest::currentTestFailed())
            return out;
        if (!failed.isEmpty()) {
            out.failure = failed.first().first().value<Failure>();
            return out;
        }
        client.requestItem("1");
        [&] { QTRY_VERIFY_WITH_TIMEOUT(replied.count() + failed.count() > 0, 10000); }();
        if (QTest::currentTestFailed())
            return out;
        if (!replied.isEmpty()) {
            out.replied = true;
            out.text = replied.first().first().toString();
        } else {
            out.failure = failed.first().first().value<Failure>();
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(runtimeDir.isValid());
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    }

    void socketNaming_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("name");
        QTest::newRow("GetRight") << "GetRight"
                                  << "DownloadInfo"
                                  << "GetRight.DownloadInfo";
        QTest::newRow("separators") << "a/b|c"
                                    << "../x y"
                                    << "a_b_c..._x_y";
        QTest::newRow("non-ASCII") << "Gét"
                                   << "ä"
                                   << "G_t._";
    }

    void socketNaming()
    {
        QFETCH(QString, service);
        QFETCH(QString, topic);
        QFETCH(QString, name);
        QCOMPARE(LocalSocketDataExchange::socketPath(service, topic),
                 runtimeDir.path() + '/' + name);
    }

    void folderFallsBackToTemp()
    {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        QCOMPARE(LocalSocketDataExchange::socketFolder(), QDir::tempPath());
        qputenv("XDG_RUNTIME_DIR", runtimeDir.filePath("missing").toLocal8Bit());
        QCOMPARE(LocalSocketDataExchange::socketFolder(), QDir::tempPath());
        qputenv("XDG_RUNTIME_DIR", saved);
    }

    // What the server sends for the request, and what the client makes of it.
    void replies_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Failure>("failure");

        QTest::newRow("one line") << QByteArray("a|2048|b|c\n") << false << true << "a|2048|b|c"
                                  << Failure::Invalid;
        QTest::newRow("line then close")
            << QByteArray("a|1|b|\n") << true << true << "a|1|b|" << Failure::Invalid;
        QTest::newRow("empty line") << QByteArray("\n") << false << true << "" << Failure::Invalid;
        QTest::newRow("CR LF") << QByteArray("a|1|b|\r\n") << false << true << "a|1|b|"
                               << Failure::Invalid;
        QTest::newRow("NULs removed")
            << QByteArray("a|1|\0b|\0\n", 10) << false << true << "a|1|b|" << Failure::Invalid;
        QTest::newRow("UTF-8") << QByteArray("d\xc3\xa9j\xc3\xa0|1|b|\n") << false << true
                               << QString::fromUtf8("d\xc3\xa9j\xc3\xa0|1|b|") << Failure::Invalid;
        QTest::newRow("only the first line")
            << QByteArray("first\nsecond\n") << false << true << "first" << Failure::Invalid;
        QTest::newRow("closed without reply")
            << QByteArray() << true << false << "" << Failure::Refused;
        QTest::newRow("closed mid-reply")
            << QByteArray("a|2048|b") << true << false << "" << Failure::Cut;
        QTest::newRow("at the cap")
            << QByteArray(DataExchangeClient::MaxReplyBytes, 'x') + '\n'
            << false << true << QString(DataExchangeClient::MaxReplyBytes, u'x')
            << Failure::Invalid;
        QTest::newRow("over the cap, unended")
            << QByteArray(DataExchangeClient::MaxReplyBytes + 1, 'x') << false << false << ""
            << Failure::TooLong;
        QTest::newRow("over the cap, ended")
            << QByteArray(DataExchangeClient::MaxReplyBytes + 1, 'x') + '\n'
            << false << false << "" << Failure::TooLong;
    }

    void replies()
    {
        QFETCH(QByteArray, sent);
        QFETCH(bool, closeAfter);
        QFETCH(bool, ok);
        ScriptedServer server([&](QLocalSocket* socket, const QByteArray&) {
            socket->write(sent);
            if (closeAfter)
                socket->disconnectFromServer();
        });
        QVERIFY(server.listen());
        LocalSocketDataExchange client;
        const Outcome out = ask(client);
        QCOMPARE(server.requests, QList<QByteArray>{"1\n"});
        QCOMPARE(out.replied, ok);
        if (ok)
            QTEST(out.text, "text");
        else
            QTEST(out.failure, "failure");
    }

    void noServer()
    {
        LocalSocketDataExchange client;
        QSignalSpy failed(&client, &DataExchangeClient::failed);
        client.connectToService("GetRight", "DownloadInfo");
        // Results come from the event loop, never from inside the call.
        QCOMPARE(failed.count(), 0);
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(failed.first().first().value<Failure>(), Failure::NoService);
        QVERIFY(!client.isConnected());
    }

    void staleSocketFile()
    {
        // A server that was killed leaves its socket file behind.
        const QByteArray path =
            QFile::encodeName(LocalSocketDataExchange::socketPath("GetRight", "DownloadInfo"));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        QVERIFY(QFile::exists(QFile::decodeName(path)));

        LocalSocketDataExchange client;
        QCOMPARE(ask(client).failure, Failure::NoService);
        QFile::remove(QFile::decodeName(path));
    }

    void silentServerTimesOut()
    {
        ScriptedServer server([](QLocalSocket*, const QByteArray&) {});
        QVERIFY(server.listen());
        LocalSocketDataExchange client;
        QCOMPARE(client.timeoutMs(), 5000);
        client.setTimeoutMs(200);
        const Outcome out = ask(client);
        QVERIFY(!out.replied);
        QCOMPARE(out.failure, Failure::TimedOut);
        QVERIFY(!client.isConnected());
    }

    void peerClosedBeforeRequest()
    {
        ScriptedServer server([](QLocalSocket*, const QByteArray&) {});
        QVERIFY(server.listen());
        LocalSocketDataExchange client;
        QSignalSpy connected(&client, &DataExchangeClient::connected);
        QSignalSpy failed(&client, &DataExchangeClient::failed);
        client.connectToService("GetRight", "DownloadInfo");
        QTRY_COMPARE(connected.count(), 1);
        QTRY_COMPARE(server.connections, 1);
        // The server accepts and hangs up before anything is asked.
        QCOMPARE(server.sockets.size(), 1);
        server.sockets.first()->disconnectFromServer();
        QTRY_VERIFY(!client.isConnected());
        client.requestItem("1");
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(failed.first().first().value<Failure>(), Failure::Refused);
    }

    // After a disconnect nothing of that conversation arrives, neither a failure
    // already decided nor a reply on its way.
    void disconnectDropsPendingResults()
    {
        LocalSocketDataExchange client;
        QSignalSpy replied(&client, &DataExchangeClient::replied);
        QSignalSpy failed(&client, &DataExchangeClient::failed);
        client.connectToService("GetRight", "DownloadInfo");
        client.disconnectFromService();

        ScriptedServer server(
            [&](QLocalSocket* socket, const QByteArray&) { socket->write("reply\n"); });
        QVERIFY(server.listen());
        QSignalSpy connected(&client, &DataExchangeClient::connected);
        client.connectToService("GetRight", "DownloadInfo");
        QTRY_COMPARE(connected.count(), 1);
        client.requestItem("1");
        client.disconnectFromService();

        QVERIFY(ask(client).replied);
        QCOMPARE(replied.count(), 1);
        QCOMPARE(failed.count(), 0);
    }

    void requestsOutOfTurn()
    {
        LocalSocketDataExchange client;
        QSignalSpy failed(&client, &DataExchangeClient::failed);
        client.requestItem("1");
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(failed.first().first().value<Failure>(), Failure::Invalid);

        ScriptedServer server([](QLocalSocket*, const QByteArray&) {});
        QVERIFY(server.listen());
        QSignalSpy connected(&client, &DataExchangeClient::connected);
        client.connectToService("GetRight", "DownloadInfo");
        QTRY_COMPARE(connected.count(), 1);
        client.requestItem("1\n2");
        QTRY_COMPARE(failed.count(), 2);
        QCOMPARE(failed.last().first().value<Failure>(), Failure::Invalid);
        QVERIFY(server.requests.isEmpty());
    }

    void oneClientManyConversations()
    {
        int n = 0;
        ScriptedServer server([&](QLocalSocket* socket, const QByteArray& line) {
            socket->write("item " + line.trimmed() + " of " + QByteArray::number(++n) + "\n");
            socket->disconnectFromServer();
        });
        QVERIFY(server.listen());
        LocalSocketDataExchange client;
        for (int i = 1; i <= 3; ++i) {
            const Outcome out = ask(client);
            QVERIFY(out.replied);
            QCOMPARE(out.text, QString("item 1 of %1").arg(i));
        }
        QCOMPARE(server.connections, 3);
    }
};

QTEST_GUILESS_MAIN(TestLocalSocketDataExchange)
#include "tst_local_socket_data_exchange.moc"
