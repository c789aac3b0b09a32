#pragma once

#include <QLocalServer>
#include <QObject>

#include <functional>

class QLocalSocket;

// Serves GetRight|DownloadInfo over the local-socket protocol, with optional
// faults for testing clients.
class SimServer : public QObject {
    Q_OBJECT
public:
    struct Faults {
        int malformedItem = 0; // this item's reply has only two bars (0: none)
        int slowMs = 0;        // every reply is held back this long
        bool missing = false;  // conversations are closed without a reply
    };

    // `replyFor` gives the reply line for an item number (an empty text when
    // there is no such download); `malformedFor` its two-bar variant.
    SimServer(Faults faults, std::function<QString(int)> replyFor,
              std::function<QString(int)> malformedFor, bool verbose, QObject* parent = nullptr);

    // Listens on the topic's socket; false (with `error` set) when another
    // server answers there or the socket cannot be made.
    bool listen(QString* error);
    QString socketPath() const;

private:
    void onNewConnection();
    void onRequest(QLocalSocket* socket);
    QString answer(const QByteArray& request) const;

    QLocalServer server_;
    Faults faults_;
    std::function<QString(int)> replyFor_;
    std::function<QString(int)> malformedFor_;
    bool verbose_;
};
