#pragma once
// Stand-ins for the platform layers that tests and benchmarks share.

#include "platform/desktop_opener.h"
#include "platform/path_resolver.h"
#include "platform/registry_reader.h"

#include <QList>
#include <QUrl>

#include <optional>

// Gives every stored path back as it is: the logs of tests are local files.
class SamePath : public PathResolver {
public:
    QString resolve(const QString& storedPath) const override;
};

// GetRight's configuration as a test sets it, with the last call remembered.
class FakeRegistry : public RegistryReader {
public:
    std::optional<QString> logFile; // nothing: the value is missing
    mutable int calls = 0;
    mutable std::uint32_t root = 0;
    mutable QString subKey, valueName, defaultValue;

    QString getRegString(std::uint32_t rootKey, const QString& key, const QString& name,
                         const QString& fallback) const override;
};

// Keeps what Execute hands to the desktop instead of opening it; `works`
// false makes every open fail.
class RecordingOpener : public DesktopOpener {
public:
    QList<QUrl> opened;
    bool works = true;
    bool openUrl(const QUrl& url) override;
};
