#include "sim_server.h"

#include "platform/data_exchange_client.h"
#include "platform/local_socket_data_exchange.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QTimer>

#include <cstdio>

namespace {

// Item names are short decimal numbers; anything longer is not a request.
constexpr qint64 MaxRequestBytes = 64;

} // namespace

SimServer::SimServer(Faults faults, std::function<QString(int)> replyFor,
                     std::function<QString(int)> malformedFor, bool verbose, QObject* parent)
    : QObject(parent), faults_(faults), replyFor_(std::move(replyFor)),
      malformedFor_(std::move(malformedFor)), verbose_(verbose)
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SimServer::onNewConnection);
}

QString SimServer::socketPath() const
{
    return LocalSocketDataExchange::socketPath(GetRightExchange::service(),
                                               GetRightExchange::topic());
}

bool SimServer::listen(QString* error)
{
    const QString path = socketPath();
    if (QFileInfo::exists(path)) {
        // A socket file left by a killed run is removed; a live one is kept.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(500)) {
            *error = QStringLiteral("another server already answers on %1").arg(path);
            return false;
        }
        QLocalServer::removeServer(path);
    }
    if (!server_.listen(path)) {
        *error = QStringLiteral("cannot listen on %1: %2").arg(path, server_.errorString());
        return false;
    }
    return true;
}

void SimServer::onNewConnection()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onRequest(socket); });
    }
}

void SimServer::onRequest(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray request = socket->readLine(MaxRequestBytes + 1).trimmed();
        if (faults_.missing) {
            if (verbose_)
                std::printf("item %s: closed without a reply\n", request.constData());
            socket->disconnectFromServer();
            return;
        }
        const QByteArray line = answer(request).toUtf8() + '\n';
        if (verbose_)
            std::printf("item %s: %s", request.constData(), line.constData());
        std::fflush(stdout);
        if (faults_.slowMs > 0)
            QTimer::singleShot(faults_.slowMs, socket, [socket, line] { socket->write(line); });
        else
            socket->write(line);
    }
    if (socket->bytesAvailable() > MaxRequestBytes)
        socket->disconnectFromServer();
}

QString SimServer::answer(const QByteArray& request) const
{
    bool ok = false;
    const int item = request.toInt(&ok);
    if (!ok || item < 1)
        return QString();
    if (item == faults_.malformedItem)
        return malformedFor_(item);
    return replyFor_(item);
}
