#pragma once

#include "platform/exchange_failure.h"

#include <cstdint>
#include <optional>
#include <string>

// A client of the system's DDE management library (DDEML): one client-only
// instance, one conversation per request. Windows-only, no Qt.
//
// The conversation of a request stays open until disconnect(), the next
// request or the end of the client: ending it waits for the server to agree,
// which a hung server makes take long, so a caller can pass the reply on first.
//
// Not thread-safe: DDEML binds an instance to the thread that made it, and
// the request runs that thread's message loop while it waits. Make and use a
// DdeClient on one thread.
class DdeClient {
public:
    struct Result {
        std::optional<ExchangeFailure> failure; // nothing: `text` holds the reply
        std::string text;                       // UTF-8, cut at the reply's first NUL
    };

    DdeClient();
    ~DdeClient();
    DdeClient(const DdeClient&) = delete;
    DdeClient& operator=(const DdeClient&) = delete;

    // Whether DDEML took the instance; if not, every request fails with NoService.
    bool ready() const { return instance_ != 0; }

    // Connects to `topic` of `service` and requests `item` as CF_TEXT (text in
    // the system's ANSI code page), waiting at most `timeoutMs` for the data.
    // A reply of more than `maxBytes` bytes fails with TooLong before it is
    // copied.
    Result request(const std::wstring& service, const std::wstring& topic, const std::wstring& item,
                   std::uint32_t timeoutMs, std::uint64_t maxBytes);
    // Ends the open conversation, if any.
    void disconnect();

private:
    unsigned long instance_ = 0;
    void* conversation_ = nullptr;
};
