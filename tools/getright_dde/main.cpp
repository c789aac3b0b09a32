// getright-dde-sim.exe: stands in for a running GetRight on the Windows side.
// A DDEML server for service GetRight, topic DownloadInfo, items "1", "2", ...:
// each reply is "title|bytes|detail|url" as CF_TEXT, and an empty text after
// the last download. Built by the Windows cross compiler and run under Wine;
// no Qt.
//
//   getright-dde-sim.exe [--downloads N] [--slow MS] [--refuse] [--decline]
//                        [--malformed K] [--control]
//
// Alone, it serves N downloads (default 3) whose byte counts grow. With
// --control it serves what standard input tells it (platform/bridge_protocol.h
// framing), so getright-sim and the tests can drive it:
//   REPLY <item> #N + text    the reply for an item (bytes as sent, ANSI)
//   CLEAR                     no downloads: every item gets the empty reply
//   SLOW <ms> [item]          hold every reply, or only that item's, back this long
//   REFUSE <0|1>              refuse every conversation
//   DECLINE <0|1>             take conversations but decline every request
//   PING <token>              answered by "PONG <token>" once all before it is done
// and it writes "READY 1" once the service is registered and "ASKED <item>"
// for every request it is given. It ends when its standard input ends.

#include "platform/bridge_protocol.h"
#include "platform/win32/stdin_messages.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <ddeml.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

struct Settings {
    int downloads = 3;
    DWORD slowMs = 0;
    int slowItem = 0; // 0: every item is held back
    bool refuse = false;
    bool decline = false;
    int malformed = 0;
    bool control = false;
};

struct Server {
    Settings settings;
    DWORD instance = 0;
    HSZ service = nullptr;
    HSZ topic = nullptr;
    ULONGLONG started = 0;
    std::map<int, std::string> replies; // --control: what each item answers
};

Server server;

const char* const Catalogue[] = {"setup-tools.exe", "holiday-photos.zip", "lecture-03.mp3",
                                 "driver-pack.cab", "manual.pdf",         "game-demo.zip"};
constexpr int CatalogueSize = sizeof Catalogue / sizeof Catalogue[0];

// The standalone downloads: each grows at its own rate and starts over when done.
std::string standaloneReply(int item)
{
    if (item < 1 || item > server.settings.downloads)
        return {};
    const char* name = Catalogue[(item - 1) % CatalogueSize];
    const double seconds = double(GetTickCount64() - server.started) / 1000.0;
    const long long size = 4'000'000LL * item;
    const long long rate = 90'000LL / item;
    const long long bytes =
        (static_cast<long long>(seconds * double(rate)) + 250'000LL * item) % size;
    char text[512];
    std::snprintf(text, sizeof text, "%s|%lld|%lld%% of %lld KB|http://downloads.example.com/%s",
                  name, bytes, bytes * 100 / size, size / 1024, name);
    std::string reply = text;
    if (item == server.settings.malformed)
        reply.resize(reply.rfind('|')); // two bars only
    return reply;
}

std::string itemName(HSZ item)
{
    wchar_t name[64] = {};
    DdeQueryStringW(server.instance, item, name, 63, CP_WINUNICODE);
    return wideToUtf8(name);
}

HDDEDATA CALLBACK serve(UINT type, UINT format, HCONV, HSZ topic, HSZ item, HDDEDATA, ULONG_PTR,
                        ULONG_PTR)
{
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(
            !server.settings.refuse && DdeCmpStringHandles(topic, server.topic) == 0));
    case XTYP_REQUEST: {
        const std::string name = itemName(item);
        if (server.settings.control)
            writeStdout(bridge::encodeMessage({"ASKED", name}));
        const std::optional<std::uint64_t> number = bridge::parseDecimal(name);
        const int index = number && *number < 100000 ? static_cast<int>(*number) : 0;
        if (server.settings.slowMs > 0 &&
            (server.settings.slowItem == 0 || server.settings.slowItem == index))
            Sleep(server.settings.slowMs);
        if (server.settings.decline || format != CF_TEXT)
            return nullptr;
        std::string reply;
        if (server.settings.control) {
            const auto found = server.replies.find(index);
            if (found != server.replies.end())
                reply = found->second;
        } else {
            reply = standaloneReply(index);
        }
        return DdeCreateDataHandle(server.instance,
                                   reinterpret_cast<LPBYTE>(const_cast<char*>(reply.c_str())),
                                   static_cast<DWORD>(reply.size() + 1), 0, item, CF_TEXT, 0);
    }
    default:
        return nullptr;
    }
}

bool flag(const std::string& message, bool* out)
{
    if (message != "0" && message != "1")
        return false;
    *out = message == "1";
    return true;
}

bool control(bridge::Message& message)
{
    const auto& f = message.fields;
    if (f.empty())
        return true;
    if (f[0] == "REPLY" && f.size() == 2 && message.hasPayload && !message.payloadDropped) {
        const std::optional<std::uint64_t> item = bridge::parseDecimal(f[1]);
        if (item && *item < 100000)
            server.replies[static_cast<int>(*item)] = std::move(message.payload);
    } else if (f[0] == "CLEAR" && f.size() == 1) {
        server.replies.clear();
    } else if (f[0] == "SLOW" && (f.size() == 2 || f.size() == 3)) {
        const std::optional<std::uint64_t> ms = bridge::parseDecimal(f[1]);
        const std::optional<std::uint64_t> item =
            f.size() == 3 ? bridge::parseDecimal(f[2]) : std::optional<std::uint64_t>(0);
        if (ms && *ms <= 3'600'000 && item && *item < 100000) {
            server.settings.slowMs = static_cast<DWORD>(*ms);
            server.settings.slowItem = static_cast<int>(*item);
        }
    } else if (f[0] == "REFUSE" && f.size() == 2) {
        flag(f[1], &server.settings.refuse);
    } else if (f[0] == "DECLINE" && f.size() == 2) {
        flag(f[1], &server.settings.decline);
    } else if (f[0] == "PING" && f.size() == 2) {
        writeStdout(bridge::encodeMessage({"PONG", f[1]}));
    } else {
        std::fprintf(stderr, "getright-dde-sim: unknown control message %s\n", f[0].c_str());
    }
    return true;
}

bool parseArguments(int argc, char** argv, Settings* settings)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        std::optional<std::uint64_t> value;
        if (hasValue)
            value = bridge::parseDecimal(argv[i + 1]);
        if (arg == "--downloads" && value && *value <= 1000) {
            settings->downloads = static_cast<int>(*value);
            ++i;
        } else if (arg == "--slow" && value && *value <= 3'600'000) {
            settings->slowMs = static_cast<DWORD>(*value);
            ++i;
        } else if (arg == "--malformed" && value && *value <= 32767) {
            settings->malformed = static_cast<int>(*value);
            ++i;
        } else if (arg == "--refuse") {
            settings->refuse = true;
        } else if (arg == "--decline") {
            settings->decline = true;
        } else if (arg == "--control") {
            settings->control = true;
        } else {
            std::fprintf(stderr,
                         "usage: getright-dde-sim.exe [--downloads N] [--slow MS] [--refuse]\n"
                         "                            [--decline] [--malformed K] [--control]\n");
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (!parseArguments(argc, argv, &server.settings))
        return 2;
    server.started = GetTickCount64();
    const DWORD flags = APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_EXECUTES | CBF_FAIL_POKES |
                        CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS |
                        CBF_SKIP_CONNECT_CONFIRMS | CBF_SKIP_DISCONNECTS;
    if (DdeInitializeW(&server.instance, serve, flags, 0) != DMLERR_NO_ERROR) {
        std::fprintf(stderr, "getright-dde-sim: DDEML refused the instance\n");
        return 1;
    }
    server.service = DdeCreateStringHandleW(server.instance, L"GetRight", CP_WINUNICODE);
    server.topic = DdeCreateStringHandleW(server.instance, L"DownloadInfo", CP_WINUNICODE);
    if (!DdeNameService(server.instance, server.service, nullptr, DNS_REGISTER)) {
        std::fprintf(stderr, "getright-dde-sim: cannot register the service GetRight\n");
        return 1;
    }

    int status = 0;
    if (server.settings.control) {
        writeStdout(bridge::encodeReady());
        StdinMessages input(1024, 64u << 20);
        status = input.run(control) ? 0 : 2;
    } else {
        std::printf("Serving GetRight|DownloadInfo with %d download(s)\n",
                    server.settings.downloads);
        std::fflush(stdout);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    DdeNameService(server.instance, server.service, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(server.instance, server.service);
    DdeFreeStringHandle(server.instance, server.topic);
    DdeUninitialize(server.instance);
    return status;
}
