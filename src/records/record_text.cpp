#include "records/record_text.h"

#include "records/large_pages.h"

#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif
#include <type_traits>

namespace {

constexpr qsizetype kBlockSize = 256 * 1024;

char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

bool fitsLatin1(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

} // namespace

bool isAsciiText(QLatin1StringView text)
{
    const char* p = text.data();
    const std::size_t n = std::size_t(text.size());
    std::size_t i = 0;
    quint64 high = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 v;
        std::memcpy(&v, p + i, 8);
        high |= v;
    }
    for (; i < n; ++i)
        high |= static_cast<unsigned char>(p[i]);
    return (high & 0x8080808080808080ull) == 0;
}

bool isAsciiText(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

bool appendIfLatin1(QStringView text, std::string& out)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    const std::size_t at = out.size();
    out.resize(at + std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i)
        out[at + std::size_t(i)] = char(text[i].unicode());
    return true;
}

QString RecordText::toString() const
{
    if (wide_)
        return utf16().toString();
    QString text = QString::fromLatin1(latin1());
    if (upper_) {
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        for (qsizetype i = 0; i < text.size(); ++i)
            if (out[i] >= u'a' && out[i] <= u'z')
                out[i] = char16_t(out[i] - (u'a' - u'A'));
    }
    return text;
}

bool RecordText::appendLatin1(std::string& out) const
{
    if (wide_)
        return false; // kept wide only for a character beyond Latin-1
    const std::size_t at = out.size();
    out.append(static_cast<const char*>(data_), size_);
    if (upper_) {
        char* p = out.data() + at;
        for (quint32 i = 0; i < size_; ++i)
            p[i] = asciiUpper(p[i]);
    }
    return true;
}

bool operator==(const RecordText& a, const RecordText& b)
{
    if (a.size_ != b.size_)
        return false;
    if (a.latin1View() && b.latin1View())
        return std::memcmp(a.data_, b.data_, a.size_) == 0;
    return a.toString() == b.toString();
}

bool operator==(const RecordText& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    if (a.latin1View())
        return QLatin1StringView(a.latin1()) == b;
    if (a.utf16View())
        return a.utf16() == QStringView(b);
    return a.toString() == b;
}

TextStore::~TextStore()
{
    for (const std::vector<Block>* list : {&blocks_, &adopted_}) {
        for (const Block& block : *list) {
            if (block.release)
                block.release(block.data, block.size);
            else
                delete[] block.data;
        }
    }
}

bool TextStore::adopt(char* data, qsizetype size, Release release)
{
    // A few megabytes in hand are enough: the rest would lie idle.
    qsizetype spare = left_;
    for (const Block& block : adopted_)
        spare += block.size;
    if (!data || size <= 0 || spare >= 4 * 1024 * 1024)
        return false;
    adopted_.push_back({data, size, release});
    return true;
}

void TextStore::releaseSpare()
{
    for (const Block& block : adopted_)
        block.release(block.data, block.size);
    adopted_.clear();
#if defined(__linux__)
    // The rest of an adopted block in use: its old bytes need not stay in memory.
    if (!blocks_.empty() && blocks_.back().release &&
        next_ == blocks_.back().data + (blocks_.back().size - left_)) {
        const quintptr page = 4096;
        const quintptr from = (reinterpret_cast<quintptr>(next_) + page - 1) & ~(page - 1);
        const quintptr to = reinterpret_cast<quintptr>(next_ + left_) & ~(page - 1);
        if (to > from)
            ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    }
#endif
}

void TextStore::prefetchRoom(qsizetype bytes) const
{
    const qsizetype n = qMin(bytes, left_);
    for (qsizetype at = 0; at < n; at += 64)
        prefetchLine(next_ + at);
}

void TextStore::open(const Block& block)
{
    blocks_.push_back(block);
    next_ = block.data;
    left_ = block.size;
}

char* TextStore::allocate(qsizetype bytes, qsizetype align)
{
    const qsizetype pad = (align - reinterpret_cast<quintptr>(next_) % align) % align;
    if (bytes + pad > left_) {
        if (!adopted_.empty() && adopted_.back().size >= bytes + align) {
            // Memory already in use by the process goes first.
            open(adopted_.back());
            adopted_.pop_back();
            return allocate(bytes, align);
        }
        if (bytes > kBlockSize / 4) {
            // A long text gets a block of its own; the current block stays open.
            char* own = new char[std::size_t(bytes)];
            blocks_.push_back({own, bytes, nullptr});
            bytes_ += bytes;
            return own;
        }
        open({new char[kBlockSize], kBlockSize, nullptr});
        return allocate(bytes, align);
    }
    char* at = next_ + pad;
    next_ += pad + bytes;
    left_ -= pad + bytes;
    bytes_ += pad + bytes;
    return at;
}

RecordText TextStore::add(QStringView text)
{
    RecordText r;
    if (text.isEmpty())
        return r;
    r.size_ = quint32(text.size());
    if (fitsLatin1(text)) {
        char* at = allocate(text.size(), 1);
        for (qsizetype i = 0; i < text.size(); ++i)
            at[i] = char(text[i].unicode());
        r.data_ = at;
        return r;
    }
    char* at = allocate(text.size() * 2, 2);
    std::memcpy(at, text.utf16(), text.size() * 2);
    r.data_ = at;
    r.wide_ = true;
    return r;
}

RecordText TextStore::add(QAnyStringView text)
{
    return text.visit([this](auto view) {
        using View = std::decay_t<decltype(view)>;
        if constexpr (std::is_same_v<View, QLatin1StringView> || std::is_same_v<View, QStringView>)
            return add(view);
        else
            return add(QStringView(view.toString()));
    });
}

RecordText TextStore::upperOf(const RecordText& text)
{
    if (text.upper_)
        return text; // upper-cased already
    if (text.latin1View() && isAsciiText(text.latin1()))
        return upperOfAscii(text);
    return add(QStringView(text.toString().toUpper()));
}
