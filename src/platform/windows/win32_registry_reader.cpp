#include "platform/windows/win32_registry_reader.h"

#include "platform/win32/registry_value.h"

QString Win32RegistryReader::getRegString(std::uint32_t rootKey, const QString& subKey,
                                          const QString& valueName,
                                          const QString& defaultValue) const
{
    const std::optional<std::wstring> value =
        readRegistryString(rootKey, subKey.toStdWString(), valueName.toStdWString());
    return value ? QString::fromStdWString(*value) : defaultValue;
}
