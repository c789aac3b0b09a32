#include "platform/win32/stdin_messages.h"

#include <windows.h>

#include <vector>

struct StdinMessages::Shared {
    Shared(std::size_t maxHeader, std::uint64_t maxPayload) : reader(maxHeader, maxPayload) {}

    CRITICAL_SECTION lock;
    HANDLE arrived = nullptr; // auto-reset: set when messages or the end wait
    HANDLE thread = nullptr;
    bridge::MessageReader reader; // only the reading thread touches it
    std::vector<bridge::Message> waiting;
    bool ended = false;
    bool broken = false;
};

namespace {

DWORD WINAPI readInput(void* parameter)
{
    auto* shared = static_cast<StdinMessages::Shared*>(parameter);
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::vector<char> buffer(64 * 1024);
    std::vector<bridge::Message> messages;
    bool broken = false;
    while (!broken) {
        DWORD got = 0;
        if (!ReadFile(input, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) ||
            got == 0)
            break;
        broken = !shared->reader.feed(std::string_view(buffer.data(), got), messages);
        if (messages.empty() && !broken)
            continue;
        EnterCriticalSection(&shared->lock);
        for (bridge::Message& message : messages)
            shared->waiting.push_back(std::move(message));
        LeaveCriticalSection(&shared->lock);
        messages.clear();
        SetEvent(shared->arrived);
    }
    EnterCriticalSection(&shared->lock);
    shared->ended = true;
    shared->broken = broken || shared->reader.midMessage();
    LeaveCriticalSection(&shared->lock);
    SetEvent(shared->arrived);
    return 0;
}

} // namespace

StdinMessages::StdinMessages(std::size_t maxHeaderBytes, std::uint64_t maxPayloadBytes)
    : shared_(new Shared(maxHeaderBytes, maxPayloadBytes))
{
    InitializeCriticalSection(&shared_->lock);
    shared_->arrived = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

StdinMessages::~StdinMessages()
{
    // The reading thread may still be blocked in ReadFile; the process is
    // ending when this runs, so it is left to end with it.
    if (shared_->thread)
        return;
    CloseHandle(shared_->arrived);
    DeleteCriticalSection(&shared_->lock);
    delete shared_;
}

bool StdinMessages::run(const std::function<bool(bridge::Message&)>& handle)
{
    if (!shared_->arrived)
        return false;
    shared_->thread = CreateThread(nullptr, 0, readInput, shared_, 0, nullptr);
    if (!shared_->thread)
        return false;
    while (true) {
        const DWORD woke =
            MsgWaitForMultipleObjects(1, &shared_->arrived, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            continue;
        }
        if (woke != WAIT_OBJECT_0)
            return false;
        std::vector<bridge::Message> messages;
        EnterCriticalSection(&shared_->lock);
        messages.swap(shared_->waiting);
        const bool ended = shared_->ended;
        const bool broken = shared_->broken;
        LeaveCriticalSection(&shared_->lock);
        for (bridge::Message& message : messages)
            if (!handle(message))
                return true;
        if (ended)
            return !broken;
    }
}

bool writeStdout(std::string_view bytes)
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk =
            bytes.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(bytes.size());
        if (!WriteFile(output, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}
