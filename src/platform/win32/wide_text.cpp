#include "platform/win32/wide_text.h"

#include <windows.h>

#include <climits>

namespace {

int length(std::size_t size)
{
    return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

std::wstring toWide(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty())
        return {};
    const int in = length(bytes.size());
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), in, nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), in, out.data(), needed);
    return out;
}

std::string fromWide(std::wstring_view wide, unsigned codePage)
{
    if (wide.empty())
        return {};
    const int in = length(wide.size());
    const int needed =
        WideCharToMultiByte(codePage, 0, wide.data(), in, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), in, out.data(), needed, nullptr, nullptr);
    return out;
}

} // namespace

std::wstring utf8ToWide(std::string_view utf8)
{
    return toWide(utf8, CP_UTF8);
}

std::string wideToUtf8(std::wstring_view wide)
{
    return fromWide(wide, CP_UTF8);
}

std::wstring codePageToWide(std::string_view bytes, unsigned codePage)
{
    return toWide(bytes, codePage);
}

std::string wideToCodePage(std::wstring_view wide, unsigned codePage)
{
    return fromWide(wide, codePage);
}
