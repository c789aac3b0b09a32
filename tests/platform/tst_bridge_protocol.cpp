// The message framing between Tavrin and its Wine-side programs: any field and
// any payload survive a round trip whatever the pieces the stream arrives in,
// and a broken stream is noticed, never misread.

#include "platform/bridge_protocol.h"

#include <QtTest>

#include <string>
#include <vector>

using bridge::Message;
using bridge::MessageReader;

namespace {

std::vector<Message> readAll(const std::string& stream, std::size_t piece, bool* intact,
                             std::uint64_t maxPayload = 1 << 20)
{
    MessageReader reader(256, maxPayload);
    std::vector<Message> out;
    *intact = true;
    for (std::size_t at = 0; at < stream.size(); at += piece)
        *intact = reader.feed(std::string_view(stream).substr(at, piece), out) && *intact;
    return out;
}

} // namespace

class TestBridgeProtocol : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void brokenStreams_data();
    void brokenStreams();
    void payloadOverTheLimitIsSkipped();
    void requests();
    void answers_data();
    void answers();
};

void TestBridgeProtocol::roundTrip_data()
{
    QTest::addColumn<QStringList>("fields"); // Latin-1 bytes
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("hasPayload");

    QTest::newRow("plain") << QStringList{"DDE", "GetRight", "DownloadInfo", "1"} << QByteArray()
                           << false;
    QTest::newRow("empty fields") << QStringList{"REG", "", "", ""} << QByteArray() << false;
    QTest::newRow("spaces, escapes, hashes")
        << QStringList{"a b", "%41", "#12", "100%", "#"} << QByteArray() << false;
    QTest::newRow("line breaks and NUL in fields")
        << QStringList{QString::fromLatin1("a\r\nb", 4), QString::fromLatin1("\0x", 2)}
        << QByteArray() << false;
    QTest::newRow("bytes beyond ASCII")
        << QStringList{QString::fromLatin1("\xe9\xff\x80")} << QByteArray() << false;
    QTest::newRow("payload with CR, LF, NUL")
        << QStringList{"TEXT"} << QByteArray("a\r\n\0\nb\n", 7) << true;
    QTest::newRow("empty payload") << QStringList{"TEXT"} << QByteArray() << true;
    QTest::newRow("payload that looks like headers")
        << QStringList{"TEXT"} << QByteArray("\nTEXT #3\nabc\nFAIL Cut\n") << true;
    QTest::newRow("payload without fields") << QStringList{} << QByteArray("x") << true;
    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all += char(c);
    QTest::newRow("every byte value") << QStringList{"TEXT"} << all.repeated(300) << true;
}

void TestBridgeProtocol::roundTrip()
{
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, payload);
    QFETCH(bool, hasPayload);

    std::vector<std::string> owned;
    for (const QString& field : fields)
        owned.push_back(field.toLatin1().toStdString());
    const std::vector<std::string_view> views(owned.begin(), owned.end());
    const std::string_view body(payload.constData(), std::size_t(payload.size()));
    const std::string one = bridge::encodeMessage(views, hasPayload ? &body : nullptr);
    // A header is one line of printable ASCII, however hostile its fields.
    const std::string header = one.substr(0, one.find('\n'));
    for (const char c : header)
        QVERIFY(c >= 0x20 && c < 0x7F);
    const std::string stream = one + one + bridge::encodeMessage({"END"});

    for (const std::size_t piece :
         {std::size_t(1), std::size_t(3), std::size_t(4096), stream.size()}) {
        bool intact = false;
        const std::vector<Message> messages = readAll(stream, piece, &intact);
        QVERIFY(intact);
        QCOMPARE(messages.size(), std::size_t(3));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(messages[i].fields, owned);
            QCOMPARE(messages[i].hasPayload, hasPayload);
            QVERIFY(messages[i].payload == std::string(body));
        }
        QCOMPARE(messages[2].fields, std::vector<std::string>{"END"});
    }
}

void TestBridgeProtocol::brokenStreams_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("messagesBefore");

    QTest::newRow("header over the limit") << QByteArray(300, 'A') << 0;
    QTest::newRow("header over the limit after a message")
        << QByteArray("NONE\n") + QByteArray(300, 'A') + '\n'
        << 1;
    QTest::newRow("length not a number") << QByteArray("TEXT #12x\n") << 0;
    QTest::newRow("negative length") << QByteArray("TEXT #-1\n") << 0;
    QTest::newRow("length too large to hold") << QByteArray("TEXT #99999999999999999999\n") << 0;
    QTest::newRow("payload not followed by LF") << QByteArray("TEXT #2\nabX\nNONE\n") << 0;
    QTest::newRow("bad escape") << QByteArray("DDE %G1\n") << 0;
    QTest::newRow("escape cut short") << QByteArray("DDE %4\n") << 0;
    QTest::newRow("binary garbage")
        << QByteArray("\x7f\x45\x4c\x46\x02\x01\x01", 7) + QByteArray(400, '\x90') << 0;
}

void TestBridgeProtocol::brokenStreams()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, messagesBefore);

    bool intact = true;
    const std::vector<Message> messages =
        readAll(stream.toStdString(), std::size_t(stream.size()), &intact);
    QVERIFY(!intact);
    QCOMPARE(int(messages.size()), messagesBefore);
    // Once broken, it stays so: nothing later is taken for a message.
    MessageReader reader(256, 1 << 20);
    std::vector<Message> out;
    reader.feed(stream.toStdString(), out);
    QVERIFY(reader.broken());
    out.clear();
    QVERIFY(!reader.feed("NONE\n", out));
    QVERIFY(out.empty());
}

void TestBridgeProtocol::payloadOverTheLimitIsSkipped()
{
    const std::string big(5000, 'z');
    const std::string_view view(big);
    const std::string stream = bridge::encodeMessage({"TEXT"}, &view) + bridge::encodeNone();
    bool intact = false;
    const std::vector<Message> messages = readAll(stream, 7, &intact, 4096);
    QVERIFY(intact);
    QCOMPARE(messages.size(), std::size_t(2));
    QVERIFY(messages[0].payloadDropped);
    QVERIFY(messages[0].payload.empty());
    QCOMPARE(messages[0].payloadLength, std::uint64_t(5000));
    QCOMPARE(messages[1].fields, std::vector<std::string>{"NONE"});

    // A huge announced length is not allocated: the reader waits for bytes.
    MessageReader reader(256, 4096);
    std::vector<Message> out;
    QVERIFY(reader.feed("TEXT #1000000000000\nabc", out));
    QVERIFY(out.empty());
    QVERIFY(reader.midMessage());
}

void TestBridgeProtocol::requests()
{
    const bridge::DdeRequest dde{"Get Right", "Download\nInfo", "", 5000, 1 << 20};
    const bridge::RegRequest reg{0x80000001u, "Software\\Headlight\\GetRight\\Config\\", "LogFile"};
    bool intact = false;
    const std::vector<Message> messages =
        readAll(bridge::encodeRequest(dde) + bridge::encodeRequest(reg), 5, &intact);
    QVERIFY(intact);
    QCOMPARE(messages.size(), std::size_t(2));
    const auto first = bridge::parseRequest(messages[0]);
    QVERIFY(first && std::holds_alternative<bridge::DdeRequest>(*first));
    const auto& d = std::get<bridge::DdeRequest>(*first);
    QVERIFY(d.service == dde.service && d.topic == dde.topic && d.item.empty());
    QCOMPARE(d.timeoutMs, 5000u);
    QCOMPARE(d.maxBytes, std::uint64_t(1 << 20));
    const auto second = bridge::parseRequest(messages[1]);
    QVERIFY(second && std::holds_alternative<bridge::RegRequest>(*second));
    const auto& r = std::get<bridge::RegRequest>(*second);
    QCOMPARE(r.rootKey, 0x80000001u);
    QVERIFY(r.subKey == reg.subKey && r.valueName == reg.valueName);

    // Not requests: wrong arity, bad numbers, a payload, an unknown verb.
    for (const char* line :
         {"DDE a b c 5000\n", "DDE a b c x 1\n", "DDE a b c 99999999999 1\n", "REG 8000000G a b\n",
          "REG 123456789 a b\n", "EXEC cmd\n", "REG 80000001 a b #1\nx\n"}) {
        const std::vector<Message> parsed = readAll(line, 64, &intact);
        QVERIFY2(intact && parsed.size() == 1, line);
        QVERIFY2(!bridge::parseRequest(parsed[0]), line);
    }
}

void TestBridgeProtocol::answers_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("kind"); // -1: no answer
    QTest::addColumn<QByteArray>("text");

    using Kind = bridge::Answer::Kind;
    QTest::newRow("ready") << QByteArray("READY 1\n") << int(Kind::Ready) << QByteArray();
    QTest::newRow("text") << QByteArray("TEXT #3\na|b\n") << int(Kind::Text) << QByteArray("a|b");
    QTest::newRow("none") << QByteArray("NONE\n") << int(Kind::None) << QByteArray();
    QTest::newRow("failure") << QByteArray("FAIL TimedOut\n") << int(Kind::Failed) << QByteArray();
    QTest::newRow("unknown failure") << QByteArray("FAIL Exploded\n") << -1 << QByteArray();
    QTest::newRow("text without payload") << QByteArray("TEXT\n") << -1 << QByteArray();
    QTest::newRow("none with payload") << QByteArray("NONE #1\nx\n") << -1 << QByteArray();
    QTest::newRow("ready without version") << QByteArray("READY\n") << -1 << QByteArray();
    QTest::newRow("lower case") << QByteArray("none\n") << -1 << QByteArray();
    QTest::newRow("empty line") << QByteArray("\n") << -1 << QByteArray();
}

void TestBridgeProtocol::answers()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, kind);
    QFETCH(QByteArray, text);

    bool intact = false;
    const std::vector<Message> messages = readAll(stream.toStdString(), 2, &intact);
    QVERIFY(intact);
    QCOMPARE(messages.size(), std::size_t(1));
    const std::optional<bridge::Answer> answer = bridge::parseAnswer(messages[0]);
    QCOMPARE(answer.has_value(), kind >= 0);
    if (!answer)
        return;
    QCOMPARE(int(answer->kind), kind);
    QCOMPARE(QByteArray::fromStdString(answer->text), text);
    if (answer->kind == bridge::Answer::Kind::Failed)
        QCOMPARE(answer->failure, ExchangeFailure::TimedOut);
}

QTEST_GUILESS_MAIN(TestBridgeProtocol)
#include "tst_bridge_protocol.moc"
