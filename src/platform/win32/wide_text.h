#pragma once

#include <string>
#include <string_view>

// Text between the forms the Windows calls take and the UTF-8 that the bridge
// protocol carries. Invalid input becomes U+FFFD, never an error.
std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);
// Single-byte or multi-byte text in a Windows code page (CP_ACP for CF_TEXT).
std::wstring codePageToWide(std::string_view bytes, unsigned codePage);
std::string wideToCodePage(std::wstring_view wide, unsigned codePage);
