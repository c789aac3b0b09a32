#include "sim_dde.h"

#include "platform/bridge_protocol.h"

#include <QProcessEnvironment>

SimDde::SimDde(QString standInPath, int count, Faults faults, std::function<QString(int)> replyFor,
               QObject* parent)
    : QObject(parent), standInPath_(std::move(standInPath)), count_(count), faults_(faults),
      replyFor_(std::move(replyFor))
{
    connect(&timer_, &QTimer::timeout, this, &SimDde::push);
}

SimDde::~SimDde()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel(); // the stand-in ends with its input
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(1000);
    }
}

bool SimDde::start(QString* error)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("wine"), {standInPath_, QStringLiteral("--control")});
    if (!process_.waitForStarted(10000)) {
        *error =
            QStringLiteral("cannot start wine %1: %2").arg(standInPath_, process_.errorString());
        return false;
    }
    QByteArray said;
    while (!said.contains('\n') && process_.waitForReadyRead(60000))
        said += process_.readAllStandardOutput();
    if (!said.startsWith("READY")) {
        *error = QStringLiteral("the DDE stand-in did not start under Wine (is there a display?)");
        return false;
    }
    if (faults_.slowMs > 0)
        write(bridge::encodeMessage({"SLOW", std::to_string(faults_.slowMs)}));
    if (faults_.missing)
        write(bridge::encodeMessage({"DECLINE", "1"}));
    // Whatever the stand-in says from now on (PONG, ASKED) is of no use here.
    connect(&process_, &QProcess::readyReadStandardOutput, this,
            [this] { process_.readAllStandardOutput(); });
    push();
    timer_.start(250);
    return true;
}

void SimDde::push()
{
    // The item after the last gets the empty reply that ends a poll.
    for (int item = 1; item <= count_ + 1; ++item) {
        const QByteArray text = item <= count_ ? replyFor_(item).toLatin1() : QByteArray();
        const std::string_view payload(text.constData(), std::size_t(text.size()));
        write(bridge::encodeMessage({"REPLY", std::to_string(item)}, &payload));
    }
}

void SimDde::write(const std::string& message)
{
    process_.write(message.data(), qint64(message.size()));
}

bool setLogFileWithWine(const QString& prefix, const QString& windowsPath, QString* error)
{
    QProcess reg;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), prefix);
    reg.setProcessEnvironment(environment);
    reg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    reg.start(QStringLiteral("wine"),
              {QStringLiteral("reg"), QStringLiteral("add"),
               QStringLiteral("HKEY_CURRENT_USER\\Software\\Headlight\\GetRight\\Config"),
               QStringLiteral("/v"), QStringLiteral("LogFile"), QStringLiteral("/t"),
               QStringLiteral("REG_SZ"), QStringLiteral("/d"), windowsPath, QStringLiteral("/f")});
    if (!reg.waitForFinished(60000) || reg.exitStatus() != QProcess::NormalExit ||
        reg.exitCode() != 0) {
        *error = QStringLiteral("wine reg add failed in %1").arg(prefix);
        return false;
    }
    return true;
}
