#include "platform/wine_registry_reader.h"

#include "platform/wine_reg_file.h"

#include <QFile>
#include <QFileInfo>

#include <optional>
#include <utility>

namespace {

// Other roots have no file of their own in a prefix. system.reg is read as it
// stands, without the redirection to Wow6432Node that a 32-bit program sees.
QString registryFileName(std::uint32_t rootKey)
{
    switch (rootKey) {
    case RegistryReader::HKeyCurrentUser:
        return QStringLiteral("user.reg");
    case RegistryReader::HKeyLocalMachine:
        return QStringLiteral("system.reg");
    default:
        return {};
    }
}

std::optional<QByteArray> readCapped(const QString& path)
{
    // Only regular files: opening a FIFO would block, a device may never end.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > WineRegistryReader::MaxFileBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray text;
    text.reserve(info.size());
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return text;
        text.append(chunk, n);
        if (text.size() > WineRegistryReader::MaxFileBytes)
            return std::nullopt; // grew while being read
    }
}

} // namespace

WineRegistryReader::WineRegistryReader(QString prefixDir) : m_prefixDir(std::move(prefixDir)) {}

QString WineRegistryReader::getRegString(std::uint32_t rootKey, const QString& subKey,
                                         const QString& valueName,
                                         const QString& defaultValue) const
{
    const QString fileName = registryFileName(rootKey);
    if (fileName.isEmpty())
        return defaultValue;
    const std::optional<QByteArray> text = readCapped(m_prefixDir + u'/' + fileName);
    if (!text)
        return defaultValue;
    return findWineRegString(*text, subKey, valueName).value_or(defaultValue);
}
