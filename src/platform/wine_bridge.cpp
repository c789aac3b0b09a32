#include "platform/wine_bridge.h"

#include "platform/wine_prefix.h"

#include <QProcessEnvironment>

#include <vector>

namespace {

QProcessEnvironment bridgeEnvironment(const QString& prefix)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), prefix);
    if (!environment.contains(QStringLiteral("WINEDEBUG")))
        environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    // Should Wine bring the prefix up to date, it must not stop to offer to
    // install Mono or Gecko: nobody would see the dialog.
    if (!environment.contains(QStringLiteral("WINEDLLOVERRIDES")))
        environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    return environment;
}

} // namespace

WineBridge::WineBridge(Launch launch, qint64 maxTextBytes, QObject* parent)
    : QObject(parent), launch_(std::move(launch)), maxTextBytes_(maxTextBytes),
      reader_(bridge::MaxAnswerHeaderBytes, std::uint64_t(maxTextBytes))
{
    qRegisterMetaType<bridge::Answer>();
    startLimit_.setSingleShot(true);
    connect(&startLimit_, &QTimer::timeout, this, &WineBridge::onStartLimit);
}

WineBridge::~WineBridge()
{
    stopChild(true);
}

WineBridge::State WineBridge::state() const
{
    if (process_)
        return ready_ ? State::Ready : State::Starting;
    if (restMs_ > 0 && restClock_.isValid() && restClock_.elapsed() < restMs_)
        return State::Resting;
    return State::Stopped;
}

bool WineBridge::ensureStarted()
{
    switch (state()) {
    case State::Resting:
        return false;
    case State::Stopped:
        start();
        return process_ != nullptr;
    case State::Starting:
    case State::Ready:
        return true;
    }
    return false;
}

quint64 WineBridge::send(const bridge::Request& request)
{
    if (!ensureStarted())
        return 0;
    const std::string bytes = bridge::encodeRequest(request);
    process_->write(bytes.data(), qint64(bytes.size()));
    waiting_.push_back(++lastId_);
    return lastId_;
}

std::optional<bridge::Answer> WineBridge::waitForAnswer(quint64 id, int ms)
{
    QElapsedTimer clock;
    clock.start();
    waitingFor_ = id;
    waitedFor_.reset();
    while (!waitedFor_ && process_ && clock.elapsed() < ms) {
        const int left = int(ms - clock.elapsed());
        if (process_->state() == QProcess::Starting)
            process_->waitForStarted(left);
        else if (!process_->waitForReadyRead(qMax(1, left)) && process_ &&
                 process_->state() == QProcess::NotRunning)
            break;
    }
    waitingFor_ = 0;
    std::optional<bridge::Answer> answer;
    answer.swap(waitedFor_);
    return answer;
}

void WineBridge::fail(ExchangeFailure failure)
{
    stopChild(false);
    restMs_ = nextRestMs_;
    nextRestMs_ = qMin(nextRestMs_ * 2, longestRestMs_);
    restClock_.start();
    std::deque<quint64> abandoned;
    abandoned.swap(waiting_);
    bridge::Answer answer;
    answer.kind = bridge::Answer::Kind::Failed;
    answer.failure = failure;
    for (const quint64 id : abandoned) {
        if (id == waitingFor_)
            waitedFor_ = answer;
        Q_EMIT answered(id, answer);
    }
}

qint64 WineBridge::processId() const
{
    return process_ ? process_->processId() : 0;
}

void WineBridge::setRests(int firstMs, int longestMs)
{
    firstRestMs_ = firstMs;
    longestRestMs_ = longestMs;
    nextRestMs_ = firstMs;
}

void WineBridge::start()
{
    if (launch_.prefixMustBeReady && !winePrefixReady(launch_.prefix)) {
        fail(ExchangeFailure::NoService); // rests, and looks again after the rest
        return;
    }
    restMs_ = 0;
    reader_ = bridge::MessageReader(bridge::MaxAnswerHeaderBytes, std::uint64_t(maxTextBytes_));
    ready_ = false;
    process_ = new QProcess(this);
    process_->setProgram(launch_.wineProgram);
    process_->setArguments({launch_.bridgePath});
    process_->setProcessEnvironment(bridgeEnvironment(launch_.prefix));
    // Wine's own chatter is of no use to the user.
    process_->setStandardErrorFile(QProcess::nullDevice());
    process_->setReadChannel(QProcess::StandardOutput);
    connect(process_, &QProcess::readyReadStandardOutput, this, &WineBridge::onReadyRead);
    connect(process_, &QProcess::finished, this, &WineBridge::onFinished);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onFinished();
    });
    startLimit_.start(StartLimitMs);
    process_->start();
}

void WineBridge::onReadyRead()
{
    if (!process_)
        return;
    std::vector<bridge::Message> messages;
    const QByteArray bytes = process_->readAllStandardOutput();
    const bool intact = reader_.feed(std::string_view(bytes.constData(), bytes.size()), messages);
    for (const bridge::Message& message : messages) {
        if (!process_)
            return;
        const std::optional<bridge::Answer> answer = bridge::parseAnswer(message);
        if (!answer || answer->tooLong) {
            fail(answer ? ExchangeFailure::TooLong : ExchangeFailure::NoService);
            return;
        }
        deliver(*answer);
    }
    if (!intact && process_)
        fail(ExchangeFailure::NoService);
    else if (reader_.skippingPayload() && process_)
        fail(ExchangeFailure::TooLong); // no need to read the rest of it
}

void WineBridge::deliver(const bridge::Answer& answer)
{
    if (answer.kind == bridge::Answer::Kind::Ready) {
        if (ready_ || answer.version != bridge::ProtocolVersion) {
            fail(ExchangeFailure::NoService);
            return;
        }
        ready_ = true;
        startLimit_.stop();
        Q_EMIT ready();
        return;
    }
    if (!ready_ || waiting_.empty()) { // an answer nobody asked for
        fail(ExchangeFailure::NoService);
        return;
    }
    const quint64 id = waiting_.front();
    waiting_.pop_front();
    if (answer.kind != bridge::Answer::Kind::Failed)
        nextRestMs_ = firstRestMs_;
    if (id == waitingFor_)
        waitedFor_ = answer;
    Q_EMIT answered(id, answer);
}

void WineBridge::onFinished()
{
    if (process_)
        fail(ExchangeFailure::NoService);
}

void WineBridge::onStartLimit()
{
    if (process_ && !ready_)
        fail(ExchangeFailure::NoService);
}

void WineBridge::stopChild(bool letItEnd)
{
    startLimit_.stop();
    if (!process_)
        return;
    QProcess* process = process_;
    process_ = nullptr;
    ready_ = false;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        // The bridge ends when its input does; a failed or hung one is killed.
        process->closeWriteChannel();
        if (!letItEnd || !process->waitForFinished(200)) {
            process->kill();
            process->waitForFinished(500);
        }
    }
    process->deleteLater();
}
