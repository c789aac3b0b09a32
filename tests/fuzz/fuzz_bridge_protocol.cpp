// The Wine bridge's message stream, as Tavrin reads the bridge's output: any
// bytes, in pieces of any size. Whatever is taken for a message reads back the
// same after encoding it again, and the pieces never change what is read.
#include "platform/bridge_protocol.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

bool same(const bridge::Message& a, const bridge::Message& b)
{
    return a.fields == b.fields && a.hasPayload == b.hasPayload && a.payload == b.payload &&
           a.payloadDropped == b.payloadDropped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 17;
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);

    bridge::MessageReader whole(bridge::MaxAnswerHeaderBytes, 64);
    std::vector<bridge::Message> all;
    const bool wholeIntact = whole.feed(stream, all);

    bridge::MessageReader pieces(bridge::MaxAnswerHeaderBytes, 64);
    std::vector<bridge::Message> some;
    bool piecesIntact = true;
    for (std::size_t at = 0; at < stream.size(); at += piece)
        piecesIntact = pieces.feed(stream.substr(at, piece), some) && piecesIntact;
    check(wholeIntact == piecesIntact, "pieces do not change whether the stream is intact");
    check(all.size() == some.size(), "pieces do not change the messages");

    for (std::size_t i = 0; i < all.size(); ++i) {
        check(same(all[i], some[i]), "pieces do not change a message");
        (void)bridge::parseAnswer(all[i]);
        (void)bridge::parseRequest(all[i]);
        if (all[i].payloadDropped)
            continue;
        const std::vector<std::string_view> fields(all[i].fields.begin(), all[i].fields.end());
        const std::string_view payload(all[i].payload);
        const std::string again =
            bridge::encodeMessage(fields, all[i].hasPayload ? &payload : nullptr);
        bridge::MessageReader reader(1 << 20, 1 << 20);
        std::vector<bridge::Message> back;
        check(reader.feed(again, back) && back.size() == 1, "an encoded message reads back");
        // An empty field list with no payload encodes as an empty line: one empty field.
        if (!(all[i].fields.empty() && !all[i].hasPayload))
            check(same(back[0], all[i]), "a message reads back the same");
    }
    return 0;
}
