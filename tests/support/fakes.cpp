#include "support/fakes.h"

QString SamePath::resolve(const QString& storedPath) const
{
    return storedPath;
}

QString FakeRegistry::getRegString(std::uint32_t rootKey, const QString& key, const QString& name,
                                   const QString& fallback) const
{
    ++calls;
    root = rootKey;
    subKey = key;
    valueName = name;
    defaultValue = fallback;
    return logFile.value_or(fallback);
}

bool RecordingOpener::openUrl(const QUrl& url)
{
    opened << url;
    return works;
}
