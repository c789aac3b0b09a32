#include "platform/local_socket_data_exchange.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

namespace {

// Keeps reading in step with the cap, so a flooding server is noticed early.
constexpr qint64 ReadBufferBytes = 64 * 1024;

QString sanitised(const QString& part)
{
    QString out;
    out.reserve(part.size());
    for (const QChar c : part) {
        const bool keep = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                          (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' || c == u'.';
        out += keep ? c : QChar(u'_');
    }
    return out;
}

} // namespace

LocalSocketDataExchange::LocalSocketDataExchange(QObject* parent) : DataExchangeClient(parent)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &LocalSocketDataExchange::onTimeout);
}

LocalSocketDataExchange::~LocalSocketDataExchange()
{
    newConversation();
    endConversation();
}

QString LocalSocketDataExchange::socketFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir::cleanPath(runtime);
    return QDir::tempPath();
}

QString LocalSocketDataExchange::socketPath(const QString& service, const QString& topic)
{
    return socketFolder() + QLatin1Char('/') + sanitised(service) + QLatin1Char('.') +
           sanitised(topic);
}

void LocalSocketDataExchange::connectToService(const QString& service, const QString& topic)
{
    newConversation();
    endConversation();

    socket_ = new QLocalSocket(this);
    socket_->setReadBufferSize(ReadBufferBytes);
    connect(socket_, &QLocalSocket::connected, this, &LocalSocketDataExchange::onConnected);
    connect(socket_, &QLocalSocket::readyRead, this, &LocalSocketDataExchange::onReadyRead);
    connect(socket_, &QLocalSocket::disconnected, this, &LocalSocketDataExchange::onClosed);
    connect(socket_, &QLocalSocket::errorOccurred, this, &LocalSocketDataExchange::onClosed);
    state_ = State::Connecting;
    timer_.start(timeoutMs());
    socket_->connectToServer(socketPath(service, topic));
}

void LocalSocketDataExchange::requestItem(const QString& item)
{
    if (state_ == State::Closed) {
        fail(Failure::Refused);
        return;
    }
    if (state_ != State::Connected || item.contains(u'\n') || item.contains(u'\r')) {
        post([this] { Q_EMIT failed(Failure::Invalid); });
        return;
    }
    state_ = State::Requesting;
    buffer_.clear();
    timer_.start(timeoutMs());
    socket_->write(item.toUtf8() + '\n');
}

void LocalSocketDataExchange::disconnectFromService()
{
    newConversation();
    endConversation();
}

bool LocalSocketDataExchange::isConnected() const
{
    return state_ == State::Connected || state_ == State::Requesting;
}

void LocalSocketDataExchange::onConnected()
{
    if (state_ != State::Connecting)
        return;
    timer_.stop();
    state_ = State::Connected;
    post([this] { Q_EMIT connected(); });
}

void LocalSocketDataExchange::onReadyRead()
{
    if (state_ != State::Requesting) {
        socket_->readAll(); // nothing was asked: not a reply
        return;
    }
    buffer_ += socket_->readAll();
    takeReply();
}

void LocalSocketDataExchange::onClosed()
{
    switch (state_) {
    case State::Idle:
    case State::Closed:
        return;
    case State::Connecting:
        fail(Failure::NoService);
        return;
    case State::Connected:
        // Nothing was pending; a later request learns of it.
        endConversation();
        state_ = State::Closed;
        return;
    case State::Requesting:
        break;
    }
    buffer_ += socket_->readAll();
    if (takeReply())
        return;
    if (state_ == State::Requesting)
        fail(buffer_.isEmpty() ? Failure::Refused : Failure::Cut);
}

void LocalSocketDataExchange::onTimeout()
{
    if (state_ == State::Connecting || state_ == State::Requesting)
        fail(Failure::TimedOut);
}

bool LocalSocketDataExchange::takeReply()
{
    const qsizetype end = buffer_.indexOf('\n');
    if (end > MaxReplyBytes || (end < 0 && buffer_.size() > MaxReplyBytes)) {
        fail(Failure::TooLong);
        return true;
    }
    if (end < 0)
        return false;

    QByteArray line = buffer_.left(end);
    buffer_.clear();
    if (line.endsWith('\r'))
        line.chop(1);
    // A NUL would end the text in most consumers; dropping it keeps the rest.
    line.replace('\0', QByteArray());
    timer_.stop();
    state_ = State::Connected;
    const QString text = QString::fromUtf8(line);
    post([this, text] { Q_EMIT replied(text); });
    return true;
}

void LocalSocketDataExchange::fail(Failure failure)
{
    endConversation();
    post([this, failure] { Q_EMIT failed(failure); });
}


void LocalSocketDataExchange::endConversation()
{
    timer_.stop();
    buffer_.clear();
    state_ = State::Idle;
    if (!socket_)
        return;
    QLocalSocket* socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}
