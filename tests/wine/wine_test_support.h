#pragma once
// What the Wine tests share: the prefix and display that tests/wine/with-wine
// set up, the bridge's launch, and the GetRight stand-in on the Windows side
// (getright-dde-sim.exe --control) driven over its standard input.

#include "platform/bridge_protocol.h"
#include "platform/wine_bridge.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <vector>

inline QString testPrefix()
{
    return qEnvironmentVariable("WINEPREFIX");
}

inline QString binPath(const QString& name)
{
    return QStringLiteral(TAVRIN_BIN_DIR "/") + name;
}

inline WineBridge::Launch bridgeLaunch()
{
    return {QStringLiteral("wine"), binPath(QStringLiteral("tavrin-wine-bridge.exe")),
            testPrefix()};
}

// Runs a Wine command to its end (wine reg add, wineserver -w, ...).
inline int runWine(const QString& program, const QStringList& arguments, int ms = 60000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The longest time the event loop went without running a 10 ms timer.
class StallProbe {
public:
    StallProbe()
    {
        clock_.start();
        last_ = 0;
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            longest_ = qMax(longest_, now - last_);
            last_ = now;
        });
        timer_.start(10);
    }
    qint64 longestMs() const { return qMax(longest_, clock_.elapsed() - last_); }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

class DdeStandIn {
public:
    ~DdeStandIn() { stop(); }

    // Starts the stand-in and waits until its service is registered.
    bool start(const QStringList& arguments = {}, int ms = 60000)
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral("wine"),
                       QStringList{binPath(QStringLiteral("getright-dde-sim.exe")),
                                   QStringLiteral("--control")} +
                           arguments);
        return waitFor("READY", ms);
    }

    // Each setter returns once the stand-in has taken it.
    bool reply(int item, const QByteArray& bytes)
    {
        const std::string_view payload(bytes.constData(), std::size_t(bytes.size()));
        return send(bridge::encodeMessage({"REPLY", std::to_string(item)}, &payload));
    }
    bool replies(const QList<QByteArray>& texts)
    {
        bool ok = send(bridge::encodeMessage({"CLEAR"}));
        for (int i = 0; i < texts.size(); ++i)
            ok = ok && reply(i + 1, texts[i]);
        return ok;
    }
    bool clear() { return send(bridge::encodeMessage({"CLEAR"})); }
    bool slow(int ms) { return send(bridge::encodeMessage({"SLOW", std::to_string(ms)})); }
    // Holds back only one item's reply.
    bool slow(int ms, int item)
    {
        return send(bridge::encodeMessage({"SLOW", std::to_string(ms), std::to_string(item)}));
    }
    // Back to serving every reply at once.
    bool reset() { return slow(0) && refuse(false) && decline(false); }
    bool refuse(bool on) { return send(bridge::encodeMessage({"REFUSE", on ? "1" : "0"})); }
    bool decline(bool on) { return send(bridge::encodeMessage({"DECLINE", on ? "1" : "0"})); }

    // Starts the list of items asked for afresh.
    void forgetAsked()
    {
        pump(0);
        asked_.clear();
    }
    // The items asked for so far, in order.
    QStringList asked()
    {
        pump(0);
        return asked_;
    }
    bool waitAsked(const QString& item, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (!asked_.contains(item) && clock.elapsed() < ms)
            pump(20);
        return asked_.contains(item);
    }

    void kill()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.closeWriteChannel();
        if (!process_.waitForFinished(3000))
            kill();
    }

private:
    bool send(const std::string& message)
    {
        process_.write(message.data(), qint64(message.size()));
        const std::string token = std::to_string(++pings_);
        const std::string ping = bridge::encodeMessage({"PING", token});
        process_.write(ping.data(), qint64(ping.size()));
        return waitFor("PONG", 30000, token);
    }

    // Reads the stand-in's messages until one with `verb` (and `token`) is in.
    bool waitFor(const char* verb, int ms, const std::string& token = {})
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            for (std::size_t i = 0; i < seen_.size(); ++i) {
                const auto& f = seen_[i].fields;
                if (!f.empty() && f[0] == verb &&
                    (token.empty() || (f.size() > 1 && f[1] == token))) {
                    seen_.erase(seen_.begin() + std::ptrdiff_t(i));
                    return true;
                }
            }
            if (process_.state() == QProcess::NotRunning)
                return false;
            pump(20);
        }
        return false;
    }

    void pump(int ms)
    {
        // The tests' own event loop keeps running while the stand-in is waited for.
        if (ms > 0)
            QTest::qWait(ms);
        const QByteArray bytes = process_.readAllStandardOutput();
        std::vector<bridge::Message> messages;
        reader_.feed(std::string_view(bytes.constData(), std::size_t(bytes.size())), messages);
        for (bridge::Message& message : messages) {
            if (message.fields.size() == 2 && message.fields[0] == "ASKED")
                asked_ << QString::fromStdString(message.fields[1]);
            else
                seen_.push_back(std::move(message));
        }
    }

    QProcess process_;
    bridge::MessageReader reader_{1024, 0};
    std::vector<bridge::Message> seen_;
    QStringList asked_;
    int pings_ = 0;
};
