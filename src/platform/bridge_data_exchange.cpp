#include "platform/bridge_data_exchange.h"

#include "platform/wine_bridge.h"

#include <QMetaObject>

namespace {

DataExchangeClient::Failure toFailure(ExchangeFailure failure)
{
    switch (failure) {
    case ExchangeFailure::NoService:
        return DataExchangeClient::Failure::NoService;
    case ExchangeFailure::Refused:
        return DataExchangeClient::Failure::Refused;
    case ExchangeFailure::Cut:
        return DataExchangeClient::Failure::Cut;
    case ExchangeFailure::TooLong:
        return DataExchangeClient::Failure::TooLong;
    case ExchangeFailure::TimedOut:
        return DataExchangeClient::Failure::TimedOut;
    case ExchangeFailure::Invalid:
        break;
    }
    return DataExchangeClient::Failure::Invalid;
}

} // namespace

BridgeDataExchange::BridgeDataExchange(WineBridge& bridge, QObject* parent)
    : DataExchangeClient(parent), bridge_(bridge)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &BridgeDataExchange::onTimeout);
    connect(&bridge_, &WineBridge::answered, this, &BridgeDataExchange::onAnswered);
}

BridgeDataExchange::~BridgeDataExchange()
{
    newConversation();
    endConversation();
}

void BridgeDataExchange::connectToService(const QString& service, const QString& topic)
{
    newConversation();
    endConversation();
    if (!bridge_.ensureStarted()) {
        post([this] { Q_EMIT failed(Failure::NoService); });
        return;
    }
    service_ = service;
    topic_ = topic;
    state_ = State::Connected;
    post([this] { Q_EMIT connected(); });
}

void BridgeDataExchange::requestItem(const QString& item)
{
    if (state_ != State::Connected || item.contains(u'\n') || item.contains(u'\r')) {
        post([this] { Q_EMIT failed(Failure::Invalid); });
        return;
    }
    bridge::DdeRequest request;
    request.service = service_.toStdString();
    request.topic = topic_.toStdString();
    request.item = item.toStdString();
    request.timeoutMs = std::uint32_t(qMax(1, timeoutMs()));
    request.maxBytes = std::uint64_t(MaxReplyBytes);
    request_ = bridge_.send(request);
    if (request_ == 0) {
        fail(Failure::NoService);
        return;
    }
    state_ = State::Requesting;
    timer_.start(timeoutMs() + GraceMs);
}

void BridgeDataExchange::disconnectFromService()
{
    newConversation();
    endConversation();
}

bool BridgeDataExchange::isConnected() const
{
    return state_ != State::Idle;
}

void BridgeDataExchange::onAnswered(quint64 id, const bridge::Answer& answer)
{
    if (state_ != State::Requesting || id != request_)
        return;
    timer_.stop();
    request_ = 0;
    switch (answer.kind) {
    case bridge::Answer::Kind::Text: {
        state_ = State::Connected;
        const QString text = QString::fromUtf8(answer.text.data(), qsizetype(answer.text.size()));
        post([this, text] { Q_EMIT replied(text); });
        return;
    }
    case bridge::Answer::Kind::Failed:
        fail(toFailure(answer.failure));
        return;
    case bridge::Answer::Kind::None:
    case bridge::Answer::Kind::Ready:
        break;
    }
    fail(Failure::Invalid);
}

void BridgeDataExchange::onTimeout()
{
    if (state_ != State::Requesting)
        return;
    // The bridge keeps its own time-out; missing it means the bridge hangs.
    // One that is still starting is left to finish.
    const bool hung = bridge_.state() == WineBridge::State::Ready;
    fail(Failure::TimedOut);
    if (hung)
        bridge_.fail(ExchangeFailure::TimedOut);
}

void BridgeDataExchange::fail(Failure failure)
{
    endConversation();
    post([this, failure] { Q_EMIT failed(failure); });
}

void BridgeDataExchange::endConversation()
{
    timer_.stop();
    request_ = 0;
    state_ = State::Idle;
}
