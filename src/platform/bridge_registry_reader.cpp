#include "platform/bridge_registry_reader.h"

#include "platform/wine_bridge.h"

BridgeRegistryReader::BridgeRegistryReader(WineBridge& bridge, const RegistryReader& fallback,
                                           int waitMs)
    : bridge_(bridge), fallback_(fallback), waitMs_(waitMs)
{
}

QString BridgeRegistryReader::getRegString(std::uint32_t rootKey, const QString& subKey,
                                           const QString& valueName,
                                           const QString& defaultValue) const
{
    bridge::RegRequest request;
    request.rootKey = rootKey;
    request.subKey = subKey.toStdString();
    request.valueName = valueName.toStdString();
    const quint64 id = bridge_.send(request);
    const std::optional<bridge::Answer> answer =
        id ? bridge_.waitForAnswer(id, waitMs_) : std::nullopt;
    if (!answer || answer->kind == bridge::Answer::Kind::Failed)
        return fallback_.getRegString(rootKey, subKey, valueName, defaultValue);
    if (answer->kind != bridge::Answer::Kind::Text)
        return defaultValue;
    QString text = QString::fromUtf8(answer->text.data(), qsizetype(answer->text.size()));
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}
