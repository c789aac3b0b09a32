#include "records/folded_key.h"

#include <cstring>
#include <type_traits>

namespace {

constexpr quint64 kHigh = 0x8080808080808080ull;

// Eight ASCII bytes upper-cased at once: a byte from 'a' to 'z' loses 0x20.
quint64 upper8(quint64 x)
{
    const quint64 fromA = x + 0x1F1F1F1F1F1F1F1Full; // high bit set from 'a' (0x61) up
    const quint64 pastZ = x + 0x0505050505050505ull; // high bit set past 'z' (0x7A)
    return x ^ (((fromA & ~pastZ) & kHigh) >> 2);
}

// Mixes eight bytes into a hash.
quint64 mix(quint64 h, quint64 v)
{
    h = (h ^ v) * 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 31);
}

quint64 finalHash(quint64 h)
{
    h *= 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 32);
}

// Copies n bytes to out, upper-cased when upper is set, and hashes what it
// wrote; false (stopping early) when a byte is beyond ASCII and upper is set.
bool copyFolded(const char* in, std::size_t n, char* out, bool upper, quint64* hash)
{
    quint64 h = 0x5EED08 ^ (n * 0x9E3779B97F4A7C15ull);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 v;
        std::memcpy(&v, in + i, 8);
        if (upper) {
            if (v & kHigh)
                return false;
            v = upper8(v);
        }
        std::memcpy(out + i, &v, 8);
        h = mix(h, v);
    }
    if (i < n) {
        quint64 v = 0;
        std::memcpy(&v, in + i, n - i);
        if (upper) {
            if (v & kHigh)
                return false;
            v = upper8(v); // the zero bytes past the end stay zero
        }
        std::memcpy(out + i, &v, n - i);
        h = (h ^ v) * 0x94D049BB133111EBull;
        h ^= h >> 29;
    }
    *hash = finalHash(h);
    return true;
}

quint64 hashWide(const QString& text)
{
    const char* p = reinterpret_cast<const char*>(text.utf16());
    std::size_t n = std::size_t(text.size()) * 2;
    quint64 h = 0x5EED16 ^ (n * 0x9E3779B97F4A7C15ull);
    for (; n >= 8; n -= 8, p += 8) {
        quint64 v;
        std::memcpy(&v, p, 8);
        h = mix(h, v);
    }
    if (n) {
        quint64 v = 0;
        std::memcpy(&v, p, n);
        h = mix(h, v);
    }
    return finalHash(h);
}

} // namespace

FoldedKey::FoldedKey(QLatin1StringView key)
{
    init(key);
}

void FoldedKey::init(QLatin1StringView key)
{
    bytes_.resize(key.size());
    quint64 hash = 0;
    if (copyFolded(key.data(), std::size_t(key.size()), bytes_.data(), true, &hash)) {
        hash_ = quint32(hash);
        ascii_ = true;
    } else {
        setFolded(QString(key).toUpper());
    }
}

FoldedKey::FoldedKey(QStringView key)
{
    init(key);
}

void FoldedKey::init(QStringView key)
{
    bytes_.resize(key.size());
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char16_t c = key.utf16()[i];
        if (c >= 0x80) {
            setFolded(key.toString().toUpper());
            return;
        }
        bytes_[i] = char(c);
    }
    quint64 hash = 0;
    copyFolded(bytes_.constData(), std::size_t(bytes_.size()), bytes_.data(), true, &hash);
    hash_ = quint32(hash);
    ascii_ = true;
}

FoldedKey::FoldedKey(QAnyStringView key)
{
    key.visit([this](auto view) {
        using View = std::decay_t<decltype(view)>;
        if constexpr (std::is_same_v<View, QLatin1StringView> || std::is_same_v<View, QStringView>)
            init(view);
        else
            init(QStringView(view.toString()));
    });
}

FoldedKey::FoldedKey(const RecordText& folded)
{
    if (folded.utf16View()) {
        setFolded(folded.utf16().toString());
        return;
    }
    bytes_.resize(folded.size());
    quint64 hash = 0;
    copyFolded(folded.rawLatin1(), std::size_t(folded.size()), bytes_.data(), folded.isUpperView(),
               &hash);
    hash_ = quint32(hash);
}

bool FoldedKey::matches(const RecordText& stored) const
{
    if (wide_)
        return stored.utf16View() && stored.utf16() == QStringView(wideText_);
    if (stored.size() != bytes_.size() || stored.utf16View())
        return false;
    const char* source = stored.rawLatin1();
    const bool upper = stored.isUpperView();
    const std::size_t n = std::size_t(bytes_.size());
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 a, b;
        std::memcpy(&a, source + i, 8);
        std::memcpy(&b, bytes_.constData() + i, 8);
        if ((upper ? upper8(a) : a) != b)
            return false;
    }
    if (i < n) {
        quint64 a = 0, b = 0;
        std::memcpy(&a, source + i, n - i);
        std::memcpy(&b, bytes_.constData() + i, n - i);
        if ((upper ? upper8(a) : a) != b)
            return false;
    }
    return true;
}

RecordText FoldedKey::fold(const RecordText& text, TextStore& store)
{
    if (text.isUpperView() || (text.latin1View() && isAsciiText(text.latin1())))
        return store.upperOf(text);
    const QString plain = text.toString();
    const QString upper = plain.toUpper();
    return upper == plain ? text : store.add(QStringView(upper));
}

void FoldedKey::setFolded(const QString& upper)
{
    for (const QChar c : upper) {
        if (c.unicode() > 0xFF) {
            wide_ = true;
            wideText_ = upper;
            bytes_.clear();
            hash_ = quint32(hashWide(upper));
            return;
        }
    }
    wide_ = false;
    bytes_.resize(upper.size());
    for (qsizetype i = 0; i < upper.size(); ++i)
        bytes_[i] = char(upper[i].unicode());
    quint64 hash = 0;
    copyFolded(bytes_.constData(), std::size_t(bytes_.size()), bytes_.data(), false, &hash);
    hash_ = quint32(hash);
}
