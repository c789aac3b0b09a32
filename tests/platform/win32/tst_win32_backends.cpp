// The Windows backends on their own, run under Wine: the registry reader
// against values written here, the opener's choice of what it may hand to the
// shell, and the text conversions. Plain C++; every check prints its name.

#include "platform/win32/dde_client.h"
#include "platform/win32/registry_value.h"
#include "platform/win32/shell_open.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int failures = 0;

void check(bool ok, const char* name)
{
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", name);
    if (!ok)
        ++failures;
}

constexpr std::uint32_t CurrentUser = 0x80000001u;
const std::wstring TestKey = L"Software\\TavrinTest\\Backends";

void setValue(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD bytes)
{
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
}

void registryReader()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, TestKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        check(false, "registry: the test key can be made");
        return;
    }
    const wchar_t path[] = L"C:\\Program Files\\GetRight\\getright.log";
    setValue(key, L"LogFile", REG_SZ, path, sizeof path);
    const wchar_t withNul[] = L"C:\\a.log\0C:\\b.log";
    setValue(key, L"WithNul", REG_SZ, withNul, sizeof withNul);
    const wchar_t noTerminator[] = {L'a', L'b', L'c'};
    setValue(key, L"NoTerminator", REG_SZ, noTerminator, sizeof noTerminator);
    setValue(key, L"Empty", REG_SZ, L"", sizeof(wchar_t));
    const wchar_t expand[] = L"%USERPROFILE%\\getright.log";
    setValue(key, L"Expand", REG_EXPAND_SZ, expand, sizeof expand);
    const wchar_t multi[] = L"one\0two\0";
    setValue(key, L"Multi", REG_MULTI_SZ, multi, sizeof multi);
    const DWORD number = 7;
    setValue(key, L"Number", REG_DWORD, &number, sizeof number);
    const std::wstring umlauts = L"C:\\Gr\u00f6\u00dfe\\\u20ac.log";
    setValue(key, L"Wide", REG_SZ, umlauts.c_str(), DWORD((umlauts.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    const std::wstring def = L"(default)";
    check(getRegString(CurrentUser, TestKey, L"LogFile", def) == path, "registry: REG_SZ read");
    check(getRegString(CurrentUser, TestKey + L"\\", L"LogFile", def) == path,
          "registry: a trailing backslash on the key");
    check(getRegString(CurrentUser, TestKey, L"logfile", def) == path,
          "registry: value names without regard to case");
    check(getRegString(CurrentUser, TestKey, L"WithNul", def) == L"C:\\a.log",
          "registry: text cut at the first NUL");
    check(getRegString(CurrentUser, TestKey, L"NoTerminator", def) == L"abc",
          "registry: a value stored without its NUL");
    check(readRegistryString(CurrentUser, TestKey, L"Empty") == std::wstring(),
          "registry: an empty REG_SZ is a value");
    check(getRegString(CurrentUser, TestKey, L"Expand", def) == def,
          "registry: REG_EXPAND_SZ gives the default");
    check(getRegString(CurrentUser, TestKey, L"Multi", def) == def,
          "registry: REG_MULTI_SZ gives the default");
    check(getRegString(CurrentUser, TestKey, L"Number", def) == def,
          "registry: REG_DWORD gives the default");
    check(getRegString(CurrentUser, TestKey, L"Wide", def) == umlauts,
          "registry: text beyond ASCII");
    check(getRegString(CurrentUser, TestKey, L"Missing", def) == def,
          "registry: a missing value gives the default");
    check(getRegString(CurrentUser, TestKey + L"\\Nowhere", L"LogFile", def) == def,
          "registry: a missing key gives the default");
    check(getRegString(0x12345678u, TestKey, L"LogFile", def) == def,
          "registry: an unknown root key gives the default");
    check(getRegString(0x80000002u, TestKey, L"LogFile", def) == def,
          "registry: another root key reads another tree");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TavrinTest");
}

void shellTargets()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"tavrin test file.zip";
    const HANDLE made = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(made);

    struct Case {
        std::wstring target;
        ShellTarget expected;
        const char* name;
    };
    const Case cases[] = {
        {L"http://www.example.com/a b.zip", ShellTarget::Url, "shell: an http URL"},
        {L"HTTPS://example.com/", ShellTarget::Url, "shell: an https URL in capitals"},
        {L"ftp://ftp.example.com/pub/", ShellTarget::Url, "shell: an ftp URL"},
        {file, ShellTarget::LocalFile, "shell: an existing file with blanks in its path"},
        {std::wstring(folder), ShellTarget::Refused, "shell: a folder is refused"},
        {file + L".missing", ShellTarget::Refused, "shell: a missing file is refused"},
        {L"cmd.exe /c echo hi", ShellTarget::Refused, "shell: a command line is refused"},
        {L"C:\\windows\\system32\\cmd.exe /c calc", ShellTarget::Refused,
         "shell: a program with arguments is refused"},
        {L"tavrin test file.zip", ShellTarget::Refused, "shell: a relative path is refused"},
        {L"file:///C:/windows/win.ini", ShellTarget::Refused, "shell: file URLs are refused"},
        {L"javascript:alert(1)", ShellTarget::Refused, "shell: other schemes are refused"},
        {L"\"http://x/\" & calc", ShellTarget::Refused, "shell: a quoted target is refused"},
        {L"http://x/\" & calc", ShellTarget::Refused, "shell: a quote inside a URL is refused"},
        {L"http://x/\r\ncalc", ShellTarget::Refused, "shell: line breaks are refused"},
        {L"\\\\?\\C:\\windows\\win.ini", ShellTarget::Refused, "shell: device paths are refused"},
        {L"", ShellTarget::Refused, "shell: an empty target is refused"},
    };
    for (const Case& c : cases)
        check(classifyShellTarget(c.target) == c.expected, c.name);
    check(!shellOpen(L"cmd.exe /c echo hi"), "shell: a refused target is not opened");
    DeleteFileW(file.c_str());
}

void texts()
{
    const std::string utf8 = "Gr\xc3\xb6\xc3\x9f"
                             "e \xe2\x82\xac";
    check(wideToUtf8(utf8ToWide(utf8)) == utf8, "text: UTF-8 round trip");
    check(utf8ToWide("a\xff"
                     "b") == L"a\ufffd"
                             "b",
          "text: invalid UTF-8 becomes U+FFFD");
    check(codePageToWide("\x80", 1252) == L"\u20ac", "text: Windows-1252");
    check(utf8ToWide("").empty() && wideToUtf8(L"").empty(), "text: empty texts");
}

void noServer()
{
    DdeClient client;
    check(client.ready(), "dde: the client-only instance is made");
    const DdeClient::Result result =
        client.request(L"TavrinNoSuchService", L"DownloadInfo", L"1", 5000, 1 << 20);
    check(result.failure == ExchangeFailure::NoService, "dde: no server gives NoService");
}

} // namespace

int main()
{
    registryReader();
    shellTargets();
    texts();
    noServer();
    std::printf("%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
