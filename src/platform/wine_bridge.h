#pragma once

#include "platform/bridge_protocol.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

#include <deque>
#include <optional>

Q_DECLARE_METATYPE(bridge::Answer)

// Tavrin's end of tavrin-wine-bridge.exe: one long-lived child process, the
// bridge run under Wine, spoken to over its standard input and output
// (platform/bridge_protocol.h). Answers come from the event loop, in the order
// of the requests; nothing here blocks but waitForAnswer().
//
// A bridge that cannot be started, dies, breaks the protocol or is ended by
// fail() rests before it is started again: one second after the first
// failure, twice as long after each further one up to a limit, and back to a
// second once it answers. So a broken Wine costs one attempt per rest, never
// a tight loop.
class WineBridge : public QObject {
    Q_OBJECT
public:
    struct Launch {
        QString wineProgram; // "wine" or a full path
        QString bridgePath;  // the .exe, as a path on this machine
        QString prefix;      // WINEPREFIX for the child
        // Wine makes a prefix that is not there yet, which nobody asked of us:
        // the bridge is then not started at all (off for stand-ins of Wine).
        bool prefixMustBeReady = true;
    };
    enum class State { Stopped, Starting, Ready, Resting };

    static constexpr int StartLimitMs = 60'000; // Wine's first start in a prefix can take long
    static constexpr int FirstRestMs = 1000;
    static constexpr int LongestRestMs = 30'000;

    // `maxTextBytes`: answers with a longer text break the stream (the bridge
    // itself refuses replies over the request's limit, so only a broken bridge
    // sends one).
    explicit WineBridge(Launch launch, qint64 maxTextBytes = DefaultMaxTextBytes,
                        QObject* parent = nullptr);
    ~WineBridge() override;

    static constexpr qint64 DefaultMaxTextBytes = qint64(4) << 20;

    const Launch& launch() const { return launch_; }
    State state() const;
    // Starts the bridge unless it runs or rests; false while it rests.
    bool ensureStarted();
    // Sends a request (starting the bridge when needed) and gives its number,
    // which answered() carries; 0 when the bridge rests and takes nothing.
    quint64 send(const bridge::Request& request);
    // Waits without an event loop for the answer to request `id`, at most
    // `ms`; for a caller that cannot wait for a signal (the start-up read of
    // the registry). Nothing when it did not come in time.
    std::optional<bridge::Answer> waitForAnswer(quint64 id, int ms);
    // Ends the child at once (it hangs or misbehaves); every waiting request is
    // answered with `failure`, and the bridge rests before its next start.
    void fail(ExchangeFailure failure = ExchangeFailure::NoService);

    // The running child's process id, 0 when none (for tests that kill it).
    qint64 processId() const;
    // For tests: shorter rests.
    void setRests(int firstMs, int longestMs);

Q_SIGNALS:
    void answered(quint64 id, const bridge::Answer& answer);
    // The bridge said READY: it takes requests.
    void ready();

private:
    void start();
    void onReadyRead();
    void onFinished();
    void onStartLimit();
    void deliver(const bridge::Answer& answer);
    // Ends the child; `letItEnd` gives it a moment to end on its own first.
    void stopChild(bool letItEnd);

    Launch launch_;
    qint64 maxTextBytes_;
    QProcess* process_ = nullptr;
    bridge::MessageReader reader_;
    bool ready_ = false;
    std::deque<quint64> waiting_; // requests sent, in order
    quint64 lastId_ = 0;
    QTimer startLimit_;
    QElapsedTimer restClock_;
    int restMs_ = 0; // 0: not resting
    int firstRestMs_ = FirstRestMs;
    int longestRestMs_ = LongestRestMs;
    int nextRestMs_ = FirstRestMs;
    // Answers taken off the pipe by waitForAnswer() for other requests.
    std::optional<bridge::Answer> waitedFor_;
    quint64 waitingFor_ = 0;
};
