#include "monitor/download_monitor.h"

#include "log/log_loader.h"
#include "platform/local_socket_data_exchange.h"
#include "platform/path_resolver.h"
#include "monitor/download_info.h"

DownloadMonitor::DownloadMonitor(const PathResolver& resolver, DataExchangeClient* client,
                                 QObject* parent)
    : QObject(parent), resolver_(resolver),
      client_(client ? client : new LocalSocketDataExchange(this)), timer1_(this)
{
    client_->setParent(this);
    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer1_.setInterval(0);
    connect(client_, &DataExchangeClient::connected, this, &DownloadMonitor::onConnected);
    connect(client_, &DataExchangeClient::replied, this, &DownloadMonitor::onReplied);
    connect(client_, &DataExchangeClient::failed, this, &DownloadMonitor::onFailed);
    connect(&timer1_, &QTimer::timeout, this, &DownloadMonitor::timer1_Timer);
}

DownloadMonitor::~DownloadMonitor()
{
    shutDown();
}

void DownloadMonitor::setChecked(bool checked)
{
    checked_ = checked;
    if (checked) {
        timer1_.start(interval_);
        return;
    }
    timer1_.stop();
    timer1_.setInterval(0);
    if (polling_) {
        client_->disconnectFromService();
        polling_ = false;
    }
    show(notMonitoringText());
}

void DownloadMonitor::setLoadedLog(const QString& storedPath, const QString& stamp)
{
    loadedLogPath_ = storedPath;
    loadedLogStamp_ = stamp;
}

void DownloadMonitor::setPollInterval(int ms)
{
    interval_ = ms;
    if (timer1_.isActive())
        timer1_.start(interval_);
}

void DownloadMonitor::setRequestTimeout(int ms)
{
    client_->setTimeoutMs(ms);
}

void DownloadMonitor::shutDown()
{
    checked_ = false;
    timer1_.stop();
    timer1_.setInterval(0);
    polling_ = false;
    client_->disconnectFromService();
}

void DownloadMonitor::timer1_Timer()
{
    if (!checked_) {
        show(notMonitoringText());
        return;
    }
    // The log check is cheap and never waits, so it runs on every tick, even
    // while GetRight keeps the previous poll waiting.
    checkLog();
    if (polling_)
        return;
    polling_ = true;
    item_ = 1;
    gathered_.clear();
    askNextItem();
}

void DownloadMonitor::checkLog()
{
    if (loadedLogPath_.isEmpty())
        return;
    // A log that cannot be examined (deleted, moved, unreadable folder) gives no
    // stamp; the indicator then keeps its state and GetRight is still asked.
    const QString stamp = fileStamp(resolver_.resolve(loadedLogPath_));
    if (!stamp.isEmpty() && stamp != loadedLogStamp_)
        Q_EMIT logChanged();
}

void DownloadMonitor::askNextItem()
{
    // One conversation per item; the previous one is closed first.
    client_->disconnectFromService();
    client_->connectToService(GetRightExchange::service(), GetRightExchange::topic());
}

void DownloadMonitor::onConnected()
{
    if (polling_)
        client_->requestItem(QString::number(item_));
}

void DownloadMonitor::onReplied(const QString& reply)
{
    if (!polling_)
        return;
    const std::optional<DownloadInfoItem> info = splitDownloadInfo(reply);
    if (!info) {
        endPoll();
        return;
    }
    const QString line = info->title + QStringLiteral(": ") + info->detail + QStringLiteral("\r\n");
    if (gathered_.size() + line.size() > MaxListChars) {
        endPoll();
        return;
    }
    gathered_ += line;
    if (++item_ > MaxItems) {
        endPoll();
        return;
    }
    askNextItem();
}

void DownloadMonitor::onFailed()
{
    if (polling_)
        endPoll();
}

void DownloadMonitor::endPoll()
{
    client_->disconnectFromService();
    polling_ = false;
    // Every gathered line holds ": ", so the text is blank only when nothing was gathered.
    show(gathered_.isEmpty() ? noDownloadsText() : gathered_);
    Q_EMIT pollFinished();
}

void DownloadMonitor::show(const QString& text)
{
    // Leaving an unchanged box alone keeps its scroll position.
    if (text == shownText_)
        return;
    shownText_ = text;
    Q_EMIT displayText(text);
}
