#pragma once

#include "platform/data_exchange_client.h"

#include <QTimer>

#include <functional>

class WineBridge;
namespace bridge {
struct Answer;
}

// The data-exchange backend for a GetRight under Wine: every request is one
// DDE conversation that the Wine-side bridge holds with the server
// (platform/bridge_protocol.h).
//
// DDEML opens a conversation and requests in one go, so connectToService()
// succeeds at once when the bridge runs or can be started, and a service that
// nobody serves fails the request with NoService. The bridge enforces the
// time-out of the request itself; a bridge that does not answer it a grace
// period later is taken for hung and ended (it is started again on a later
// request, after its rest). While the bridge is still starting (Wine's first
// start in a prefix takes seconds) a request simply times out.
class BridgeDataExchange final : public DataExchangeClient {
    Q_OBJECT
public:
    static constexpr int GraceMs = 2000;

    // `bridge` must outlive the client.
    explicit BridgeDataExchange(WineBridge& bridge, QObject* parent = nullptr);
    ~BridgeDataExchange() override;

    void connectToService(const QString& service, const QString& topic) override;
    void requestItem(const QString& item) override;
    void disconnectFromService() override;
    bool isConnected() const override;

private:
    enum class State { Idle, Connected, Requesting };

    void onAnswered(quint64 id, const bridge::Answer& answer);
    void onTimeout();
    void fail(Failure failure);
    void endConversation();

    WineBridge& bridge_;
    QTimer timer_;
    State state_ = State::Idle;
    QString service_;
    QString topic_;
    quint64 request_ = 0; // the bridge's number of the waiting request
};
