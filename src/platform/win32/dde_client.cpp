#include "platform/win32/dde_client.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

#include <ddeml.h>

namespace {

HDDEDATA CALLBACK clientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr; // a client-only instance is told nothing it must answer
}

// A string handle freed with its scope.
class StringHandle {
public:
    StringHandle(DWORD instance, const std::wstring& text)
        : instance_(instance),
          handle_(DdeCreateStringHandleW(instance, text.c_str(), CP_WINUNICODE))
    {
    }
    ~StringHandle()
    {
        if (handle_)
            DdeFreeStringHandle(instance_, handle_);
    }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;
    HSZ get() const { return handle_; }

private:
    DWORD instance_;
    HSZ handle_;
};

ExchangeFailure connectFailure(UINT error)
{
    return error == DMLERR_INVALIDPARAMETER || error == DMLERR_DLL_USAGE
               ? ExchangeFailure::Invalid
               : ExchangeFailure::NoService;
}

ExchangeFailure requestFailure(UINT error)
{
    switch (error) {
    case DMLERR_ADVACKTIMEOUT:
    case DMLERR_DATAACKTIMEOUT:
    case DMLERR_EXECACKTIMEOUT:
    case DMLERR_POKEACKTIMEOUT:
    case DMLERR_UNADVACKTIMEOUT:
        return ExchangeFailure::TimedOut;
    case DMLERR_SERVER_DIED:
        return ExchangeFailure::Cut;
    case DMLERR_INVALIDPARAMETER:
    case DMLERR_DLL_USAGE:
        return ExchangeFailure::Invalid;
    default: // DMLERR_NOTPROCESSED, DMLERR_BUSY and the rest: no data for us
        return ExchangeFailure::Refused;
    }
}

} // namespace

DdeClient::DdeClient()
{
    DWORD instance = 0;
    if (DdeInitializeW(&instance, clientCallback, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR)
        instance_ = instance;
}

DdeClient::~DdeClient()
{
    disconnect();
    if (instance_)
        DdeUninitialize(instance_);
}

void DdeClient::disconnect()
{
    if (conversation_)
        DdeDisconnect(static_cast<HCONV>(conversation_));
    conversation_ = nullptr;
}

DdeClient::Result DdeClient::request(const std::wstring& service, const std::wstring& topic,
                                     const std::wstring& item, std::uint32_t timeoutMs,
                                     std::uint64_t maxBytes)
{
    disconnect();
    Result result;
    if (!instance_) {
        result.failure = ExchangeFailure::NoService;
        return result;
    }
    const StringHandle serviceName(instance_, service);
    const StringHandle topicName(instance_, topic);
    const StringHandle itemName(instance_, item);
    if (!serviceName.get() || !topicName.get() || !itemName.get()) {
        result.failure = ExchangeFailure::Invalid;
        return result;
    }

    const HCONV conversation = DdeConnect(instance_, serviceName.get(), topicName.get(), nullptr);
    if (!conversation) {
        result.failure = connectFailure(DdeGetLastError(instance_));
        return result;
    }
    conversation_ = conversation;
    // TIMEOUT_ASYNC (all bits set) would make the request asynchronous.
    const DWORD timeout = timeoutMs == 0               ? 1
                          : timeoutMs == TIMEOUT_ASYNC ? timeoutMs - 1
                                                       : timeoutMs;
    const HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation, itemName.get(), CF_TEXT,
                                               XTYP_REQUEST, timeout, nullptr);
    if (!data) {
        result.failure = requestFailure(DdeGetLastError(instance_));
        return result;
    }

    const DWORD size = DdeGetData(data, nullptr, 0, 0);
    // CF_TEXT carries its terminating NUL, which does not count.
    if (size > 0 && std::uint64_t(size) - 1 > maxBytes) {
        result.failure = ExchangeFailure::TooLong;
    } else {
        std::string bytes(size, '\0');
        if (size > 0)
            DdeGetData(data, reinterpret_cast<LPBYTE>(bytes.data()), size, 0);
        const std::size_t nul = bytes.find('\0');
        if (nul != std::string::npos)
            bytes.resize(nul);
        result.text = wideToUtf8(codePageToWide(bytes, CP_ACP));
    }
    DdeFreeDataHandle(data);
    return result;
}
