#pragma once

#include "platform/data_exchange_client.h"

#include <QObject>
#include <QString>
#include <QTimer>

class PathResolver;

// The live download monitor behind chkMonitor, lblLogChanged and txtGetright:
// while on, it polls once a second, checking the loaded log for changes on disk
// and asking GetRight item by item for the downloads it has in progress.
//
// Polls never block: every request is answered from the event loop, a new poll
// is not started while one is still waiting, and a request that gets no answer
// within the time-out ends its poll like any other failure.
class DownloadMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr int PollIntervalMs = 1000;
    static constexpr int MaxItems = 32767; // the poll's item number is a 16-bit count
    // The gathered list stops at this many characters: a GetRight that lists
    // without end, in replies of up to a megabyte each, cannot fill memory. The
    // poll ends at the download that would pass it, as at a malformed reply.
    static constexpr qsizetype MaxListChars = qsizetype(1) << 20;

    static QString notMonitoringText() { return QStringLiteral("Not monitoring..."); }
    static QString noDownloadsText() { return QStringLiteral("No downloads..."); }
    // What txtGetright shows before the monitor was ever switched on.
    static QString initialText() { return notMonitoringText() + QStringLiteral("\r\n"); }

    // Talks over `client` (taken over) or, by default, the local-socket backend.
    // `resolver` must outlive the monitor.
    explicit DownloadMonitor(const PathResolver& resolver, DataExchangeClient* client = nullptr,
                             QObject* parent = nullptr);
    ~DownloadMonitor() override;

    // chkMonitor's new value. Ticking starts the timer (the first poll follows
    // one interval later); unticking stops it, abandons a waiting poll and shows
    // "Not monitoring..." at once.
    void setChecked(bool checked);
    bool isChecked() const { return checked_; }

    // The log loaded last, as stored (resolved for this machine at each check),
    // and the text of its modification time taken at loading. An empty path
    // means no log is loaded: the log check is skipped.
    void setLoadedLog(const QString& storedPath, const QString& stamp);

    // What txtGetright shows, as far as the monitor knows. The window tells it
    // when it writes the box itself, so the next comparison is against that.
    QString shownText() const { return shownText_; }
    void setShownText(const QString& text) { shownText_ = text; }

    bool isPolling() const { return polling_; }
    // Timer1: interval 0 and stopped while off, the poll interval while on.
    const QTimer& timer1() const { return timer1_; }

    // For tests and demos: a shorter tick and request time-out.
    void setPollInterval(int ms);
    void setRequestTimeout(int ms);

    // Ends any conversation and stops the timer without showing anything; for
    // the window's close. The monitor stays off until ticked again.
    void shutDown();

public Q_SLOTS:
    // One poll, as on each tick of Timer1.
    void timer1_Timer();

Q_SIGNALS:
    // The loaded log differs on disk from what was loaded: show lblLogChanged.
    void logChanged();
    // txtGetright's new text; only emitted when it differs from shownText().
    void displayText(const QString& text);
    // A poll has run its course (whether or not the text changed).
    void pollFinished();

private:
    void checkLog();
    void askNextItem();
    void onConnected();
    void onReplied(const QString& reply);
    void onFailed();
    void endPoll();
    void show(const QString& text);

    const PathResolver& resolver_;
    DataExchangeClient* client_;
    QTimer timer1_; // a child too, so it can be found by its name
    int interval_ = PollIntervalMs;
    bool checked_ = false;
    bool polling_ = false;
    int item_ = 0;
    QString gathered_;
    QString shownText_ = initialText();
    QString loadedLogPath_;
    QString loadedLogStamp_;
};
