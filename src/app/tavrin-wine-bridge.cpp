// tavrin-wine-bridge.exe: Tavrin's go-between with the Windows side. Run under
// Wine as a child of Tavrin, it holds DDE conversations with GetRight and reads
// the running registry for it, answering over its standard output
// (platform/bridge_protocol.h). Built by the Windows cross compiler; no Qt.

#include "platform/bridge_protocol.h"
#include "platform/win32/dde_request_thread.h"
#include "platform/win32/registry_value.h"
#include "platform/win32/stdin_messages.h"
#include "platform/win32/wide_text.h"

#include <variant>

namespace {

std::string answer(const bridge::DdeRequest& request)
{
    const DdeClient::Result result =
        requestOnOwnThread(utf8ToWide(request.service), utf8ToWide(request.topic),
                           utf8ToWide(request.item), request.timeoutMs, request.maxBytes);
    return result.failure ? bridge::encodeFailure(*result.failure)
                          : bridge::encodeText(result.text);
}

std::string answer(const bridge::RegRequest& request)
{
    const std::optional<std::wstring> value = readRegistryString(
        request.rootKey, utf8ToWide(request.subKey), utf8ToWide(request.valueName));
    return value ? bridge::encodeText(wideToUtf8(*value)) : bridge::encodeNone();
}

} // namespace

int main()
{
    if (!writeStdout(bridge::encodeReady()))
        return 1;
    StdinMessages input(bridge::MaxRequestHeaderBytes, 0);
    const bool clean = input.run([&](bridge::Message& message) {
        const std::optional<bridge::Request> request = bridge::parseRequest(message);
        std::string reply;
        if (!request)
            reply = bridge::encodeFailure(ExchangeFailure::Invalid);
        else if (const auto* dde = std::get_if<bridge::DdeRequest>(&*request))
            reply = answer(*dde);
        else
            reply = answer(std::get<bridge::RegRequest>(*request));
        return writeStdout(reply);
    });
    return clean ? 0 : 2;
}
