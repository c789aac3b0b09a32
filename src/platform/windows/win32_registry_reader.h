#pragma once

#include "platform/registry_reader.h"

// The registry of the Windows the program runs on, through advapi32
// (platform/win32/registry_value.h).
class Win32RegistryReader : public RegistryReader {
public:
    QString getRegString(std::uint32_t rootKey, const QString& subKey, const QString& valueName,
                         const QString& defaultValue) const override;
};
