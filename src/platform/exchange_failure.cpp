#include "platform/exchange_failure.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<ExchangeFailure, std::string_view>, 6> Names{{
    {ExchangeFailure::NoService, "NoService"},
    {ExchangeFailure::Refused, "Refused"},
    {ExchangeFailure::Cut, "Cut"},
    {ExchangeFailure::TooLong, "TooLong"},
    {ExchangeFailure::TimedOut, "TimedOut"},
    {ExchangeFailure::Invalid, "Invalid"},
}};

} // namespace

std::string_view exchangeFailureName(ExchangeFailure failure)
{
    for (const auto& [value, name] : Names)
        if (value == failure)
            return name;
    return "Invalid";
}

std::optional<ExchangeFailure> exchangeFailureFromName(std::string_view name)
{
    for (const auto& [value, text] : Names)
        if (text == name)
            return value;
    return std::nullopt;
}
