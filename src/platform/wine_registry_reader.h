#pragma once

#include "platform/registry_reader.h"

#include <QString>

// Reads GetRight's configuration from the registry files of the Wine prefix it
// runs in: user.reg holds HKEY_CURRENT_USER, system.reg HKEY_LOCAL_MACHINE.
// The file is read afresh on every call and never written.
class WineRegistryReader : public RegistryReader {
public:
    // Files larger than this are refused (the default is returned).
    static constexpr qint64 MaxFileBytes = qint64(64) << 20;

    explicit WineRegistryReader(QString prefixDir);

    QString getRegString(std::uint32_t rootKey, const QString& subKey, const QString& valueName,
                         const QString& defaultValue) const override;

private:
    QString m_prefixDir;
};
