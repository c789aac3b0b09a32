#pragma once

#include "platform/win32/dde_client.h"

// One DDE request on a thread of its own, with a DDEML instance of its own.
// The result is given as soon as it is in; the thread then ends the
// conversation, which a hung server can make take seconds, and ends itself.
// So a server that stops answering delays nothing but its own request.
// Windows-only, no Qt.
DdeClient::Result requestOnOwnThread(const std::wstring& service, const std::wstring& topic,
                                     const std::wstring& item, std::uint32_t timeoutMs,
                                     std::uint64_t maxBytes);
