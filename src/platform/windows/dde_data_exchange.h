#pragma once

#include "platform/data_exchange_client.h"

#include <QThread>
#include <QTimer>

#include <functional>

// The Windows backend: DDE through DDEML (platform/win32/dde_client.h). A
// DDEML request waits in a message loop of its own, so each runs on a thread
// of its own, with an instance of its own, and its result is handed back to
// this object's thread; nothing the window does waits for GetRight.
//
// As with the bridge, connectToService() succeeds at once and a service that
// nobody serves fails the request with NoService.
class DdeDataExchange final : public DataExchangeClient {
    Q_OBJECT
public:
    explicit DdeDataExchange(QObject* parent = nullptr);
    ~DdeDataExchange() override;

    void connectToService(const QString& service, const QString& topic) override;
    void requestItem(const QString& item) override;
    void disconnectFromService() override;
    bool isConnected() const override;

private:
    enum class State { Idle, Connected, Requesting };

    void fail(Failure failure);

    State state_ = State::Idle;
    QString service_;
    QString topic_;
};
