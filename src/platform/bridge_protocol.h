#pragma once

// The message stream between Tavrin and its Wine-side programs (the bridge,
// tavrin-wine-bridge.exe, and the GetRight stand-in). Plain C++, so the Windows
// programs, which have no Qt, read and write it with the same code.
//
// A message is one header line and, when the header says so, a payload:
//   - the header is fields separated by single spaces and ends with LF; a
//     field's bytes other than 0x21-0x7E, and "%" and "#", are written %XX,
//     so any text (empty, spaces, line breaks, NUL, non-ASCII) is one field;
//   - when the last field is "#" and a decimal length N, exactly N bytes of
//     payload follow the LF, then one more LF. The payload is taken as it is:
//     CR, LF, NUL and invalid text need no care;
//   - a header longer than the reader's limit, a bad length, or a payload not
//     followed by LF breaks the stream; the reader then stops for good.
//
// Bridge protocol (Tavrin writes to the bridge's standard input, reads its
// standard output; answers come one per request, in order):
//   bridge:  READY <version>                      once, when it can take requests
//   Tavrin:  DDE <service> <topic> <item> <timeout ms> <max bytes>
//              one conversation: connect, request the item as text, disconnect
//   Tavrin:  REG <root key, hex> <sub key> <value name>
//              a string value (REG_SZ) from the running registry
//   bridge:  TEXT #N, then the text in UTF-8      the reply or the value
//            NONE                                 no such value, or not REG_SZ
//            FAIL <kind>                          a failure (exchange_failure.h)
//   The bridge ends when its standard input ends.

#include "platform/exchange_failure.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace bridge {

constexpr int ProtocolVersion = 1;

struct Message {
    std::vector<std::string> fields; // decoded; the payload length field is not among them
    bool hasPayload = false;
    std::string payload;
    // The payload was longer than the reader takes: it was skipped, not kept.
    bool payloadDropped = false;
    std::uint64_t payloadLength = 0;
};

// One header line (LF included) with a payload length field when `payload` is
// given, followed by the payload and its LF.
std::string encodeMessage(const std::vector<std::string_view>& fields,
                          const std::string_view* payload = nullptr);

// Takes messages off a byte stream fed in pieces of any size.
class MessageReader {
public:
    // Headers over `maxHeaderBytes` break the stream; payloads over
    // `maxPayloadBytes` are skipped and reported with payloadDropped.
    MessageReader(std::size_t maxHeaderBytes, std::uint64_t maxPayloadBytes);

    // Adds bytes; every message they complete is appended to `out`. False once
    // the stream is broken (that call and every later one).
    bool feed(std::string_view bytes, std::vector<Message>& out);
    bool broken() const { return broken_; }
    // Whether a message is under way (part of a header or payload is in).
    bool midMessage() const;
    // Whether the reader is skipping the payload of a message over the limit.
    bool skippingPayload() const;

private:
    bool takeHeader(std::string_view line);

    enum class State { Header, Payload, PayloadEnd };
    std::size_t maxHeader_;
    std::uint64_t maxPayload_;
    State state_ = State::Header;
    std::string header_;
    Message current_;
    std::uint64_t remaining_ = 0;
    bool broken_ = false;
};

// The bridge's requests and answers.
constexpr std::size_t MaxRequestHeaderBytes = 4096;
constexpr std::size_t MaxAnswerHeaderBytes = 256;

struct DdeRequest {
    std::string service, topic, item;
    std::uint32_t timeoutMs = 5000;
    std::uint64_t maxBytes = 0;
};
struct RegRequest {
    std::uint32_t rootKey = 0;
    std::string subKey, valueName;
};
using Request = std::variant<DdeRequest, RegRequest>;

std::string encodeRequest(const Request& request);
// Nothing when the message is no request this version knows.
std::optional<Request> parseRequest(const Message& message);

struct Answer {
    enum class Kind { Ready, Text, None, Failed };
    Kind kind = Kind::Failed;
    std::string text;                                   // Text
    bool tooLong = false;                               // Text whose payload the reader dropped
    int version = 0;                                    // Ready
    ExchangeFailure failure = ExchangeFailure::Invalid; // Failed
};

std::string encodeReady();
std::string encodeText(std::string_view utf8);
std::string encodeNone();
std::string encodeFailure(ExchangeFailure failure);
// Nothing when the message is no answer.
std::optional<Answer> parseAnswer(const Message& message);

// Field helpers.
std::optional<std::uint64_t> parseDecimal(std::string_view text);
std::optional<std::uint32_t> parseHex32(std::string_view text);
std::string hex32(std::uint32_t value);

} // namespace bridge
