// A peer on the data-exchange socket that misbehaves: replies of 10 MB, replies
// that never end (a flood or a trickle), NULs and broken UTF-8, replies cut off.
// The client answers each request once, within its time-out, and never holds
// more than the reply cap.
#include "platform/local_socket_data_exchange.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using Failure = DataExchangeClient::Failure;
Q_DECLARE_METATYPE(std::function<void(QLocalSocket*)>)

namespace {

// Short for the peer that trickles, so it times out soon; the other cases end
// on their own, well within the default.
constexpr int kTrickleTimeoutMs = 400;

// What the peer does once a request has arrived on a connection.
using Behaviour = std::function<void(QLocalSocket*)>;

class HostilePeer : public QObject {
    Q_OBJECT
public:
    explicit HostilePeer(Behaviour behaviour) : behaviour_(std::move(behaviour))
    {
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_.nextPendingConnection()) {
                sockets << socket;
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (!socket->canReadLine())
                        return;
                    requests << socket->readLine();
                    behaviour_(socket);
                });
            }
        });
    }
    bool listen()
    {
        return server_.listen(LocalSocketDataExchange::socketPath("GetRight", "DownloadInfo"));
    }

    QList<QPointer<QLocalSocket>> sockets;
    QList<QByteArray> requests;

private:
    QLocalServer server_;
    Behaviour behaviour_;
};

// Writes `chunk` again and again, whenever the last one has left, until the
// other side goes away.
void flood(QLocalSocket* socket, const QByteArray& chunk)
{
    auto* timer = new QTimer(socket);
    QObject::connect(timer, &QTimer::timeout, socket, [socket, chunk] {
        if (socket->state() == QLocalSocket::ConnectedState &&
            socket->bytesToWrite() < chunk.size())
            socket->write(chunk);
    });
    timer->start(0);
}

// One byte every 20 ms, forever.
void trickle(QLocalSocket* socket)
{
    auto* timer = new QTimer(socket);
    QObject::connect(timer, &QTimer::timeout, socket, [socket] {
        if (socket->state() == QLocalSocket::ConnectedState)
            socket->write("x");
    });
    timer->start(20);
}

} // namespace

class TestHostileExchange : public QObject {
    Q_OBJECT

    QTemporaryDir runtimeDir_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(runtimeDir_.isValid());
        qputenv("XDG_RUNTIME_DIR", runtimeDir_.path().toLocal8Bit());
    }

    void hostileReplies_data()
    {
        QTest::addColumn<Behaviour>("behaviour");
        QTest::addColumn<bool>("replied");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Failure>("failure");

        const QByteArray tenMb(10 << 20, 'x');
        auto send = [](QByteArray bytes, bool close = false) -> Behaviour {
            return [bytes, close](QLocalSocket* socket) {
                socket->write(bytes);
                if (close)
                    socket->disconnectFromServer();
            };
        };
        QTest::newRow("10 MB with a line end")
            << send(tenMb + '\n') << false << QString() << Failure::TooLong;
        QTest::newRow("10 MB, then closed")
            << send(tenMb, true) << false << QString() << Failure::TooLong;
        QTest::newRow("never ends: a flood")
            << Behaviour([](QLocalSocket* s) { flood(s, QByteArray(256 * 1024, 'y')); }) << false
            << QString() << Failure::TooLong;
        QTest::newRow("never ends: a trickle")
            << Behaviour(trickle) << false << QString() << Failure::TimedOut;
        QTest::newRow("only NULs")
            << send(QByteArray(4096, '\0') + '\n') << true << QString() << Failure::Invalid;
        QTest::newRow("NULs before the line end")
            << send(QByteArray("a|1|b|c\r\0\0\n", 11)) << true << QStringLiteral("a|1|b|c\r")
            << Failure::Invalid;
        QTest::newRow("broken UTF-8")
            << send("\xff\xfe|1|\xc0\xaf|\xed\xa0\x80\n") << true
            << QString::fromUtf8("\xff\xfe|1|\xc0\xaf|\xed\xa0\x80") << Failure::Invalid;
        QTest::newRow("closed after half a megabyte")
            << send(QByteArray(512 * 1024, 'z'), true) << false << QString() << Failure::Cut;
        QTest::newRow("reply, then a flood") << Behaviour([](QLocalSocket* s) {
            s->write("a|1|b|c\n");
            flood(s, QByteArray(256 * 1024, 'y'));
        }) << true << QStringLiteral("a|1|b|c")
                                             << Failure::Invalid;
        QTest::newRow("slow but within the time-out") << Behaviour([](QLocalSocket* s) {
            auto* sent = new int(0);
            auto* timer = new QTimer(s);
            QObject::connect(timer, &QTimer::timeout, s, [s, sent, timer] {
                const QByteArray reply("a|2048|b|c\n");
                s->write(reply.mid((*sent)++, 1));
                if (*sent == reply.size()) {
                    timer->stop();
                    delete sent;
                }
            });
            timer->start(10);
        }) << true << QStringLiteral("a|2048|b|c") << Failure::Invalid;
    }

    void hostileReplies()
    {
        QFETCH(Behaviour, behaviour);
        QFETCH(bool, replied);

        HostilePeer peer(behaviour);
        QVERIFY(peer.listen());
        LocalSocketDataExchange client;
        QFETCH(Failure, failure);
        if (failure == Failure::TimedOut)
            client.setTimeoutMs(kTrickleTimeoutMs);
        QSignalSpy connected(&client, &DataExchangeClient::connected);
        QSignalSpy answered(&client, &DataExchangeClient::replied);
        QSignalSpy failed(&client, &DataExchangeClient::failed);

        client.connectToService("GetRight", "DownloadInfo");
        QTRY_COMPARE(connected.count(), 1);
        client.requestItem("1");
        QTRY_VERIFY_WITH_TIMEOUT(answered.count() + failed.count() > 0, 20000);
        QCOMPARE(answered.count() > 0, replied);
        if (replied) {
            QTEST(answered.first().first().toString(), "text");
        } else {
            QCOMPARE(failed.first().first().value<Failure>(), failure);
            // A refused reply ends the conversation: the peer sees it closed.
            QVERIFY(!client.isConnected());
            QTRY_VERIFY(peer.sockets.first().isNull() ||
                        peer.sockets.first()->state() == QLocalSocket::UnconnectedState);
        }
        // One answer per request, and nothing after it.
        QTest::qWait(600);
        QCOMPARE(answered.count() + failed.count(), 1);
        client.disconnectFromService();
    }

    // The client is fit for the next conversation after any of the above.
    void nextConversationAfterAFlood()
    {
        int conversation = 0;
        HostilePeer peer([&](QLocalSocket* socket) {
            if (conversation++ == 0)
                flood(socket, QByteArray(256 * 1024, 'y'));
            else
                socket->write("a|1|b|c\n");
        });
        QVERIFY(peer.listen());
        LocalSocketDataExchange client;
        QSignalSpy connected(&client, &DataExchangeClient::connected);
        QSignalSpy answered(&client, &DataExchangeClient::replied);
        QSignalSpy failed(&client, &DataExchangeClient::failed);
        for (int round = 1; round <= 2; ++round) {
            client.connectToService("GetRight", "DownloadInfo");
            QTRY_COMPARE(connected.count(), round);
            client.requestItem(QString::number(round));
            QTRY_COMPARE(answered.count() + failed.count(), round);
        }
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().first().value<Failure>(), Failure::TooLong);
        QCOMPARE(answered.count(), 1);
        QCOMPARE(answered.first().first().toString(), QStringLiteral("a|1|b|c"));
    }
};

QTEST_GUILESS_MAIN(TestHostileExchange)
#include "tst_hostile_exchange.moc"
