#pragma once

#include "platform/bridge_protocol.h"

#include <functional>
#include <string_view>

// The main loop of the Wine-side programs: messages from standard input are
// read on a thread of their own while the main thread keeps its window
// messages flowing, as DDEML needs (a DDE partner that sends to our hidden
// windows must never wait on a blocked read). Windows-only, no Qt.
class StdinMessages {
public:
    StdinMessages(std::size_t maxHeaderBytes, std::uint64_t maxPayloadBytes);
    ~StdinMessages();
    StdinMessages(const StdinMessages&) = delete;
    StdinMessages& operator=(const StdinMessages&) = delete;

    // Dispatches window messages and hands every message from standard input
    // to `handle`, until the input ends or breaks, or `handle` returns false.
    // False when the input broke (not a clean end).
    bool run(const std::function<bool(bridge::Message&)>& handle);

    struct Shared;

private:
    Shared* shared_;
};

// Writes all of `bytes` to standard output, unbuffered and untranslated.
bool writeStdout(std::string_view bytes);
