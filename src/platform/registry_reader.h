#pragma once

#include <QString>

#include <cstdint>

// Read-only access to GetRight's configuration in the registry.
class RegistryReader {
public:
    static constexpr std::uint32_t HKeyCurrentUser = 0x80000001u;
    static constexpr std::uint32_t HKeyLocalMachine = 0x80000002u;

    virtual ~RegistryReader() = default;

    // The text of a string value (REG_SZ), cut at its first NUL. A missing key
    // or value, or a value of any other type, gives defaultValue.
    virtual QString getRegString(std::uint32_t rootKey, const QString& subKey,
                                 const QString& valueName, const QString& defaultValue) const = 0;
};
