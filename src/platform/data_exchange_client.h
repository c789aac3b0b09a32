#pragma once

#include <QObject>
#include <QString>

#include <functional>

// A data-exchange client: one conversation at a time with a service on a topic,
// asking for items as text.
//
// Every result arrives later, from the event loop, never from inside the call
// that caused it, and nothing waits: connectToService() is answered by
// connected() or failed(), requestItem() by replied() or failed(). After
// disconnectFromService() (or a failure) the conversation is over and no signal
// of it follows. A request that is not answered within timeoutMs() fails with
// TimedOut; so does a conversation that cannot be opened in that time.
//
// Backends: BridgeDataExchange (Windows DDE through the Wine bridge, for a
// GetRight under Wine; bridge_data_exchange.h) and LocalSocketDataExchange
// (getright-sim's protocol); data_exchange_choice.h says which is used.
//
// The local-socket protocol:
//   - a conversation is one connection to the local socket
//     <$XDG_RUNTIME_DIR or the temporary folder>/<service>.<topic>, where
//     characters other than letters, digits, "-", "_" and "." become "_"
//     (so GetRight|DownloadInfo is "GetRight.DownloadInfo");
//   - the client sends the item name and "\n";
//   - the server answers with one line of UTF-8 text ending in "\n" (a "\r"
//     before it is dropped), an empty line when it has no data for the item;
//     or it refuses by closing the connection;
//   - a reply longer than MaxReplyBytes, or one cut off by the server closing,
//     fails; NUL characters in a reply are removed;
//   - the server may answer further requests on the same connection or close
//     it after the reply; the client asks one item per conversation.
class DataExchangeClient : public QObject {
    Q_OBJECT
public:
    // The same kinds as ExchangeFailure, which the Windows side uses.
    enum class Failure {
        NoService, // nobody serves the topic (or the connection was refused)
        Refused,   // the server closed the conversation without a reply
        Cut,       // the server closed the conversation in the middle of a reply
        TooLong,   // the reply exceeded MaxReplyBytes
        TimedOut,  // no (complete) answer within the time-out
        Invalid,   // a request out of turn, or an item name holding a line break
    };
    Q_ENUM(Failure)

    static constexpr int DefaultTimeoutMs = 5000;
    static constexpr qsizetype MaxReplyBytes = 1024 * 1024;

    using QObject::QObject;

    virtual void connectToService(const QString& service, const QString& topic) = 0;
    virtual void requestItem(const QString& item) = 0;
    // Ends the conversation, if any; a waiting call is abandoned without a signal.
    virtual void disconnectFromService() = 0;
    virtual bool isConnected() const = 0;

    int timeoutMs() const { return timeoutMs_; }
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }

Q_SIGNALS:
    void connected();
    void replied(const QString& text);
    void failed(DataExchangeClient::Failure failure);

protected:
    // Starts a new conversation: what was posted for the one before is dropped.
    void newConversation() { ++conversation_; }
    quint64 conversation() const { return conversation_; }
    // Runs `emitter` from the event loop, unless the conversation has ended by then.
    void post(std::function<void()> emitter);

private:
    int timeoutMs_ = DefaultTimeoutMs;
    quint64 conversation_ = 0;
};

// GetRight's side of the exchange.
namespace GetRightExchange {
inline QString service()
{
    return QStringLiteral("GetRight");
}
inline QString topic()
{
    return QStringLiteral("DownloadInfo");
}
} // namespace GetRightExchange
