#pragma once

#include "platform/data_exchange_client.h"

#include <QByteArray>
#include <QLocalSocket>
#include <QTimer>

#include <functional>

// The Linux data-exchange backend: conversations over local sockets (protocol
// beside DataExchangeClient).
class LocalSocketDataExchange final : public DataExchangeClient {
    Q_OBJECT
public:
    explicit LocalSocketDataExchange(QObject* parent = nullptr);
    ~LocalSocketDataExchange() override;

    void connectToService(const QString& service, const QString& topic) override;
    void requestItem(const QString& item) override;
    void disconnectFromService() override;
    bool isConnected() const override;

    // The socket file that serves `topic` of `service` for this user.
    static QString socketPath(const QString& service, const QString& topic);
    // The folder for the socket files: $XDG_RUNTIME_DIR, or the temporary folder.
    static QString socketFolder();

private:
    enum class State { Idle, Connecting, Connected, Requesting, Closed };

    void onConnected();
    void onReadyRead();
    void onClosed();
    void onTimeout();
    // Ends the conversation and reports the failure from the event loop.
    void fail(Failure failure);
    // Completes a request when the buffer holds a whole line; true when it did.
    bool takeReply();
    void endConversation();

    QLocalSocket* socket_ = nullptr;
    QTimer timer_;
    QByteArray buffer_;
    State state_ = State::Idle;
};
