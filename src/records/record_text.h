#pragma once

#include <QAnyStringView>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

// A text field of a record. A log holds hundreds of thousands of records with
// long texts (URLs, paths), so a field is a view of characters kept by its
// collection's TextStore: one byte per character when every character fits in
// Latin-1 (nearly always), two otherwise. A field may also read as the upper-
// cased form of ASCII characters kept for another field (a record's key is its
// URL upper-cased). It reads as a QString.
class RecordText {
public:
    RecordText() = default;

    bool isEmpty() const { return size_ == 0; }
    qsizetype size() const { return size_; }

    // The characters as they are kept, without any case mapping: a Latin-1 view
    // when latin1View() is true, else a UTF-16 view.
    bool latin1View() const { return !wide_ && !upper_; }
    QLatin1StringView latin1() const { return {static_cast<const char*>(data_), size_}; }
    bool utf16View() const { return wide_; }
    QStringView utf16() const { return {static_cast<const char16_t*>(data_), size_}; }
    // A view of ASCII bytes that reads upper-cased; rawLatin1() gives the bytes
    // as kept (of any view that is not UTF-16).
    bool isUpperView() const { return upper_; }
    const char* rawLatin1() const { return static_cast<const char*>(data_); }

    QString toString() const;
    operator QString() const { return toString(); }
    // Appends the characters to out as Latin-1 and gives true, or gives false
    // (out unchanged) when a character is beyond Latin-1.
    bool appendLatin1(std::string& out) const;

    void clear() { *this = RecordText(); }

    // The character at i (0..size()-1).
    char16_t at(qsizetype i) const
    {
        if (wide_)
            return utf16()[i].unicode();
        const char c = static_cast<const char*>(data_)[i];
        return char16_t(static_cast<unsigned char>(upper_ && c >= 'a' && c <= 'z' ? c - 32 : c));
    }

    // A view of n characters from pos (clipped to the text), kept by the same
    // store; not for upper-cased views.
    RecordText mid(qsizetype pos, qsizetype n = -1) const
    {
        RecordText r = *this;
        pos = qBound<qsizetype>(0, pos, size_);
        n = n < 0 ? size_ - pos : qMin(n, size_ - pos);
        r.data_ = static_cast<const char*>(data_) + pos * (wide_ ? 2 : 1);
        r.size_ = quint32(n);
        return r;
    }

    friend bool operator==(const RecordText& a, const RecordText& b);
    friend bool operator==(const RecordText& a, const QString& b);
    friend bool operator==(const QString& a, const RecordText& b) { return b == a; }
    friend bool operator!=(const RecordText& a, const RecordText& b) { return !(a == b); }
    friend bool operator!=(const RecordText& a, const QString& b) { return !(a == b); }
    friend bool operator!=(const QString& a, const RecordText& b) { return !(b == a); }

private:
    friend class TextStore;

    const void* data_ = nullptr;
    quint32 size_ = 0;
    bool wide_ = false;
    bool upper_ = false;
};

// Keeps the characters of record texts in large blocks that never move, so the
// views stay valid for the store's lifetime. Texts are only added: a store is
// dropped as a whole with its collection.
//
// A store can also take over memory that someone else has finished with (the
// pages of a log's lines once they are analysed): it fills those before it asks
// for new memory, which would have to be cleared first.
class TextStore {
public:
    // How adopted memory is given back: called once with the block.
    using Release = void (*)(char* data, qsizetype size);

    TextStore() = default;
    ~TextStore();
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;

    // Takes over a block of memory, to be filled before any new memory; gives
    // false (leaving it to the caller) while enough adopted memory waits unused.
    bool adopt(char* data, qsizetype size, Release release);
    // Gives back adopted memory not used yet, the unused end of the block in
    // use included (it reads as zeros if it is used after all).
    void releaseSpare();
    // Raw room for other objects of the collection, kept as long as the texts.
    char* allocate(qsizetype bytes, qsizetype align);

    RecordText add(QAnyStringView text);
    RecordText add(QLatin1StringView text)
    {
        RecordText r;
        if (text.isEmpty())
            return r;
        char* at;
        if (text.size() <= left_) {
            // The usual case, inline: room in the open block.
            at = next_;
            next_ += text.size();
            left_ -= text.size();
            bytes_ += text.size();
        } else {
            at = allocate(text.size(), 1);
        }
        std::memcpy(at, text.data(), std::size_t(text.size()));
        r.data_ = at;
        r.size_ = quint32(text.size());
        return r;
    }
    RecordText add(QStringView text);
    // The text upper-cased as QString::toUpper() does: a view of the same bytes
    // when text is plain ASCII, else a stored copy.
    RecordText upperOf(const RecordText& text);
    // The same for a plain view known to hold ASCII only: marked upper-cased
    // only when there is something to upper-case.
    static RecordText upperOfAscii(const RecordText& text)
    {
        RecordText r = text;
        for (const char c : text.latin1()) {
            if (c >= 'a' && c <= 'z') {
                r.upper_ = true;
                break;
            }
        }
        return r;
    }

    // Starts bringing the room the next texts will take into the cache: memory
    // taken over from elsewhere has long left it.
    void prefetchRoom(qsizetype bytes) const;

    // Bytes kept, for the curious.
    qsizetype bytes() const { return bytes_; }

private:
    struct Block {
        char* data;
        qsizetype size;
        Release release; // nullptr: our own, from new[]
    };
    void open(const Block& block);

    std::vector<Block> blocks_;  // in use
    std::vector<Block> adopted_; // taken over, not used yet
    char* next_ = nullptr;
    qsizetype left_ = 0;
    qsizetype bytes_ = 0;
};

// True when every character is ASCII (below 128).
bool isAsciiText(QLatin1StringView text);
bool isAsciiText(QStringView text);

// Appends the text to out as Latin-1 and gives true, or gives false (out
// unchanged) when a character is beyond Latin-1.
bool appendIfLatin1(QStringView text, std::string& out);
