#include "platform/win32/registry_value.h"

#include <windows.h>

namespace {

// Larger values are no path; refusing them keeps a hostile registry from
// making the reader allocate without bound.
constexpr DWORD MaxValueBytes = 1 << 20;

std::optional<HKEY> predefinedKey(std::uint32_t rootKey)
{
    if (rootKey < 0x80000000u || rootKey > 0x80000006u)
        return std::nullopt;
    // The predefined handles are sign-extended 32-bit numbers.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(rootKey)));
}

class OpenKey {
public:
    OpenKey(HKEY root, const std::wstring& subKey)
    {
        if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OpenKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

std::optional<std::wstring> readRegistryString(std::uint32_t rootKey, const std::wstring& subKey,
                                               const std::wstring& valueName)
{
    const std::optional<HKEY> root = predefinedKey(rootKey);
    if (!root)
        return std::nullopt;
    std::wstring path = subKey;
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    const OpenKey key(*root, path);
    if (!key.get())
        return std::nullopt;

    // The value may change between the calls; ask again while it grows.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        LONG status =
            RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS || type != REG_SZ || size > MaxValueBytes)
            return std::nullopt;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                                  reinterpret_cast<LPBYTE>(text.data()), &got);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            return std::nullopt;
        text.resize(got / sizeof(wchar_t));
        const std::size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos)
            text.resize(nul);
        return text;
    }
    return std::nullopt;
}

std::wstring getRegString(std::uint32_t rootKey, const std::wstring& subKey,
                          const std::wstring& valueName, const std::wstring& defaultValue)
{
    return readRegistryString(rootKey, subKey, valueName).value_or(defaultValue);
}
