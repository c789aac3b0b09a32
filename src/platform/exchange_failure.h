#pragma once

#include <optional>
#include <string_view>

// Why a data-exchange request got no usable reply. Plain C++ so that the
// Windows backends and the bridge program, which have no Qt, share it.
enum class ExchangeFailure {
    NoService, // nobody serves the topic (or the conversation was refused)
    Refused,   // the server ended the conversation, or declined the item, without a reply
    Cut,       // the server went away in the middle of a reply
    TooLong,   // the reply exceeded the size the client accepts
    TimedOut,  // no (complete) answer within the time-out
    Invalid,   // a request out of turn or one the protocol cannot carry
};

std::string_view exchangeFailureName(ExchangeFailure failure);
std::optional<ExchangeFailure> exchangeFailureFromName(std::string_view name);
