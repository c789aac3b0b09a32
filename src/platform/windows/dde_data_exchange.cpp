#include "platform/windows/dde_data_exchange.h"

#include "platform/win32/dde_client.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

namespace {

DataExchangeClient::Failure toFailure(ExchangeFailure failure)
{
    return static_cast<DataExchangeClient::Failure>(static_cast<int>(failure));
}

static_assert(int(DataExchangeClient::Failure::NoService) == int(ExchangeFailure::NoService) &&
              int(DataExchangeClient::Failure::Refused) == int(ExchangeFailure::Refused) &&
              int(DataExchangeClient::Failure::Cut) == int(ExchangeFailure::Cut) &&
              int(DataExchangeClient::Failure::TooLong) == int(ExchangeFailure::TooLong) &&
              int(DataExchangeClient::Failure::TimedOut) == int(ExchangeFailure::TimedOut) &&
              int(DataExchangeClient::Failure::Invalid) == int(ExchangeFailure::Invalid));

} // namespace

DdeDataExchange::DdeDataExchange(QObject* parent) : DataExchangeClient(parent) {}

DdeDataExchange::~DdeDataExchange()
{
    newConversation();
}

void DdeDataExchange::connectToService(const QString& service, const QString& topic)
{
    newConversation();
    service_ = service;
    topic_ = topic;
    state_ = State::Connected;
    post([this] { Q_EMIT connected(); });
}

void DdeDataExchange::requestItem(const QString& item)
{
    if (state_ != State::Connected || item.contains(u'\n') || item.contains(u'\r')) {
        post([this] { Q_EMIT failed(Failure::Invalid); });
        return;
    }
    state_ = State::Requesting;
    const std::wstring service = service_.toStdWString();
    const std::wstring topic = topic_.toStdWString();
    const std::wstring name = item.toStdWString();
    const auto timeout = std::uint32_t(qMax(1, timeoutMs()));
    const quint64 ticket = conversation();
    QPointer<DdeDataExchange> self(this);
    QThread* worker = QThread::create([=] {
        DdeClient client;
        const DdeClient::Result result =
            client.request(service, topic, name, timeout, std::uint64_t(MaxReplyBytes));
        // The reply goes back before the conversation ends, which a hung
        // server can make take seconds.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, ticket, result] {
                if (!self || self->conversation() != ticket || self->state_ != State::Requesting)
                    return;
                if (result.failure) {
                    self->fail(toFailure(*result.failure));
                    return;
                }
                self->state_ = State::Connected;
                Q_EMIT self->replied(QString::fromStdString(result.text));
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void DdeDataExchange::disconnectFromService()
{
    newConversation();
    state_ = State::Idle;
}

bool DdeDataExchange::isConnected() const
{
    return state_ != State::Idle;
}

void DdeDataExchange::fail(Failure failure)
{
    state_ = State::Idle;
    post([this, failure] { Q_EMIT failed(failure); });
}
