#include "platform/bridge_protocol.h"

#include <charconv>

namespace bridge {

namespace {

constexpr char Hex[] = "0123456789ABCDEF";

bool plain(unsigned char c)
{
    return c > 0x20 && c < 0x7F && c != '%' && c != '#';
}

void appendField(std::string& out, std::string_view field)
{
    for (const char ch : field) {
        const auto c = static_cast<unsigned char>(ch);
        if (plain(c)) {
            out += ch;
        } else {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 0xF];
        }
    }
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> decodeField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size())
            return std::nullopt;
        const int high = hexDigit(field[i + 1]);
        const int low = hexDigit(field[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

} // namespace

std::string encodeMessage(const std::vector<std::string_view>& fields,
                          const std::string_view* payload)
{
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ' ';
        appendField(out, fields[i]);
    }
    if (payload) {
        if (!fields.empty())
            out += ' ';
        out += '#';
        out += std::to_string(payload->size());
        out += '\n';
        out.append(*payload);
    }
    out += '\n';
    return out;
}

MessageReader::MessageReader(std::size_t maxHeaderBytes, std::uint64_t maxPayloadBytes)
    : maxHeader_(maxHeaderBytes), maxPayload_(maxPayloadBytes)
{
}

bool MessageReader::midMessage() const
{
    return state_ != State::Header || !header_.empty();
}

bool MessageReader::skippingPayload() const
{
    return state_ != State::Header && current_.payloadDropped;
}

bool MessageReader::feed(std::string_view bytes, std::vector<Message>& out)
{
    while (!broken_ && !bytes.empty()) {
        switch (state_) {
        case State::Header: {
            const std::size_t end = bytes.find('\n');
            const std::size_t take = end == std::string_view::npos ? bytes.size() : end;
            if (header_.size() + take > maxHeader_) {
                broken_ = true;
                break;
            }
            header_.append(bytes.substr(0, take));
            if (end == std::string_view::npos)
                return true;
            bytes.remove_prefix(end + 1);
            std::string line;
            line.swap(header_);
            if (!takeHeader(line)) {
                broken_ = true;
                break;
            }
            if (!current_.hasPayload)
                out.push_back(std::move(current_));
            else if (remaining_ == 0)
                state_ = State::PayloadEnd;
            else
                state_ = State::Payload;
            if (!current_.hasPayload)
                current_ = Message();
            break;
        }
        case State::Payload: {
            const std::size_t take =
                remaining_ < bytes.size() ? static_cast<std::size_t>(remaining_) : bytes.size();
            if (!current_.payloadDropped)
                current_.payload.append(bytes.substr(0, take));
            remaining_ -= take;
            bytes.remove_prefix(take);
            if (remaining_ == 0)
                state_ = State::PayloadEnd;
            break;
        }
        case State::PayloadEnd:
            if (bytes.front() != '\n') {
                broken_ = true;
                break;
            }
            bytes.remove_prefix(1);
            out.push_back(std::move(current_));
            current_ = Message();
            state_ = State::Header;
            break;
        }
    }
    return !broken_;
}

bool MessageReader::takeHeader(std::string_view line)
{
    current_ = Message();
    std::vector<std::string_view> raw;
    std::size_t start = 0;
    while (true) {
        const std::size_t space = line.find(' ', start);
        raw.push_back(
            line.substr(start, space == std::string_view::npos ? line.npos : space - start));
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    if (!raw.empty() && !raw.back().empty() && raw.back().front() == '#') {
        const std::optional<std::uint64_t> length = parseDecimal(raw.back().substr(1));
        if (!length)
            return false;
        current_.hasPayload = true;
        current_.payloadLength = *length;
        current_.payloadDropped = *length > maxPayload_;
        remaining_ = *length;
        raw.pop_back();
    }
    for (const std::string_view field : raw) {
        std::optional<std::string> decoded = decodeField(field);
        if (!decoded)
            return false;
        current_.fields.push_back(std::move(*decoded));
    }
    return true;
}

std::string encodeRequest(const Request& request)
{
    if (const auto* dde = std::get_if<DdeRequest>(&request)) {
        const std::string timeout = std::to_string(dde->timeoutMs);
        const std::string maxBytes = std::to_string(dde->maxBytes);
        return encodeMessage({"DDE", dde->service, dde->topic, dde->item, timeout, maxBytes});
    }
    const auto& reg = std::get<RegRequest>(request);
    return encodeMessage({"REG", hex32(reg.rootKey), reg.subKey, reg.valueName});
}

std::optional<Request> parseRequest(const Message& message)
{
    const std::vector<std::string>& f = message.fields;
    if (message.hasPayload || f.empty())
        return std::nullopt;
    if (f[0] == "DDE" && f.size() == 6) {
        const std::optional<std::uint64_t> timeout = parseDecimal(f[4]);
        const std::optional<std::uint64_t> maxBytes = parseDecimal(f[5]);
        if (!timeout || *timeout > 0xFFFFFFFFu || !maxBytes)
            return std::nullopt;
        return DdeRequest{f[1], f[2], f[3], static_cast<std::uint32_t>(*timeout), *maxBytes};
    }
    if (f[0] == "REG" && f.size() == 4) {
        const std::optional<std::uint32_t> root = parseHex32(f[1]);
        if (!root)
            return std::nullopt;
        return RegRequest{*root, f[2], f[3]};
    }
    return std::nullopt;
}

std::string encodeReady()
{
    return encodeMessage({"READY", std::to_string(ProtocolVersion)});
}

std::string encodeText(std::string_view utf8)
{
    return encodeMessage({"TEXT"}, &utf8);
}

std::string encodeNone()
{
    return encodeMessage({"NONE"});
}

std::string encodeFailure(ExchangeFailure failure)
{
    return encodeMessage({"FAIL", exchangeFailureName(failure)});
}

std::optional<Answer> parseAnswer(const Message& message)
{
    const std::vector<std::string>& f = message.fields;
    if (f.empty())
        return std::nullopt;
    Answer answer;
    if (f[0] == "TEXT" && f.size() == 1 && message.hasPayload) {
        answer.kind = Answer::Kind::Text;
        answer.text = message.payload;
        answer.tooLong = message.payloadDropped;
        return answer;
    }
    if (message.hasPayload)
        return std::nullopt;
    if (f[0] == "READY" && f.size() == 2) {
        const std::optional<std::uint64_t> version = parseDecimal(f[1]);
        if (!version || *version > 1000)
            return std::nullopt;
        answer.kind = Answer::Kind::Ready;
        answer.version = static_cast<int>(*version);
        return answer;
    }
    if (f[0] == "NONE" && f.size() == 1) {
        answer.kind = Answer::Kind::None;
        return answer;
    }
    if (f[0] == "FAIL" && f.size() == 2) {
        const std::optional<ExchangeFailure> failure = exchangeFailureFromName(f[1]);
        if (!failure)
            return std::nullopt;
        answer.kind = Answer::Kind::Failed;
        answer.failure = *failure;
        return answer;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> parseDecimal(std::string_view text)
{
    if (text.empty() || text.size() > 19)
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> parseHex32(std::string_view text)
{
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string hex32(std::uint32_t value)
{
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        out[static_cast<std::size_t>(i)] = Hex[value & 0xF];
    return out;
}

} // namespace bridge
