#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Reads string values from the registry through advapi32. Windows-only, no Qt.
//
// `rootKey` is a predefined key by its 32-bit number (0x80000001 is
// HKEY_CURRENT_USER); any other number reads nothing. A trailing "\" of
// `subKey` is allowed, as in GetRight's "Software\Headlight\GetRight\Config\".

// The value's text when it is a REG_SZ, cut at its first NUL; nothing when the
// key or the value is missing or the value has another type (REG_EXPAND_SZ
// and REG_MULTI_SZ included).
std::optional<std::wstring> readRegistryString(std::uint32_t rootKey, const std::wstring& subKey,
                                               const std::wstring& valueName);

// The same with a default for every case that reads nothing.
std::wstring getRegString(std::uint32_t rootKey, const std::wstring& subKey,
                          const std::wstring& valueName, const std::wstring& defaultValue);
