#include "platform/win32/shell_open.h"

#include <windows.h>

#include <shellapi.h>

#include <cwctype>

namespace {

bool startsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    for (std::size_t i = 0; prefix[i]; ++i)
        if (i >= text.size() || std::towlower(text[i]) != prefix[i])
            return false;
    return true;
}

// "C:\..." or "\\server\share\...": a full path, never one relative to the
// current folder, where a look-alike file could stand.
bool isFullPath(const std::wstring& path)
{
    const bool drive = path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' &&
                       (path[2] == L'\\' || path[2] == L'/');
    const bool unc = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
                     path[2] != L'.';
    return drive || unc;
}

} // namespace

ShellTarget classifyShellTarget(const std::wstring& target)
{
    if (target.empty())
        return ShellTarget::Refused;
    for (const wchar_t c : target)
        if (c < 0x20 || c == 0x7F)
            return ShellTarget::Refused;
    if (startsWithNoCase(target, L"http://") || startsWithNoCase(target, L"https://") ||
        startsWithNoCase(target, L"ftp://"))
        return target.find(L'"') == std::wstring::npos ? ShellTarget::Url : ShellTarget::Refused;
    if (!isFullPath(target))
        return ShellTarget::Refused;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ShellTarget::Refused;
    return ShellTarget::LocalFile;
}

bool shellOpen(const std::wstring& target)
{
    if (classifyShellTarget(target) == ShellTarget::Refused)
        return false;
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
