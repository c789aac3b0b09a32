#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// Bytes of a file read whole, in memory whose pages can be given back from the
// front while the rest is still in use.
class LineBuffer {
public:
    LineBuffer() = default;
    ~LineBuffer();
    LineBuffer(LineBuffer&& other) noexcept;
    LineBuffer& operator=(LineBuffer&& other) noexcept;

    char* data() { return data_; }
    const char* data() const { return data_; }
    qsizetype capacity() const { return capacity_; }
    // Room for at least this many bytes, the bytes kept; false when out of memory.
    bool reserve(qsizetype bytes);

    // Who takes over pages the buffer has finished with, and how they are to be
    // given back in the end.
    using Release = void (*)(char* data, qsizetype size);
    // Gives true when it took the pages.
    using PageTaker = std::function<bool(char* data, qsizetype size, Release release)>;

    // Gives up the whole pages before offset: to take when given and willing,
    // else back to the system. Their bytes are no longer the buffer's.
    void releaseBefore(qsizetype offset, const PageTaker& take = {});
    void clear();

private:
    char* data_ = nullptr;
    qsizetype capacity_ = 0;
    qsizetype mapped_ = 0;   // bytes mapped (0: heap)
    qsizetype released_ = 0; // bytes given up from the front (no longer mapped by us)
};

// The accepted lines of the loaded log, numbered from 1. The file's bytes stay
// in one buffer and a line is decoded when it is asked for, so a large log costs
// little more than its size. The analysis, the only reader of the text, gives the
// text back as it goes: the count stays, the text of a line already analysed
// reads as empty.
class LogLines {
public:
    LogLines() = default;

    int count() const { return count_; }
    bool isEmpty() const { return count_ == 0; }

    // Line i (1..count()) as text, without its line ending.
    QString line(int i) const;
    QByteArrayView raw(int i) const
    {
        if (i <= releasedThrough_)
            return {};
        const quint64 span = spans_[static_cast<std::size_t>(i - 1)];
        const qsizetype length = qsizetype((span >> 1) & kLengthMask);
        return QByteArrayView(buffer_.data() + qsizetype(span >> kOffsetShift),
                              length == kLengthMask ? longLength(i) : length);
    }
    // Whether every byte of line i is ASCII, so its characters are its bytes.
    bool isAscii(int i) const
    {
        return i <= releasedThrough_ || (spans_[static_cast<std::size_t>(i - 1)] & 1);
    }

    // Gives back the text of lines 1..i; the whole text when i is count().
    // The pages that held it go to take when given, else back to the system.
    void releaseThrough(int i, const LineBuffer::PageTaker& take = {});
    bool hasText() const { return count_ > releasedThrough_; }

private:
    friend class LogLinesBuilder;
    static constexpr int kOffsetShift = 24;
    static constexpr quint64 kLengthMask = (1u << 23) - 1; // longer lines are looked up

    qsizetype longLength(int i) const;

    LineBuffer buffer_;
    // Per line: offset << 24 | min(length, kLengthMask) << 1 | ASCII bit.
    std::vector<quint64> spans_;
    std::vector<std::pair<int, qsizetype>> longLines_; // line, length; in line order
    int count_ = 0;
    int releasedThrough_ = 0;
};

// Collects the lines of a buffer as it is read.
class LogLinesBuilder {
public:
    explicit LogLinesBuilder(LineBuffer buffer, qsizetype expectedBytes);

    LineBuffer& buffer() { return lines_.buffer_; }
    void addLine(qsizetype offset, qsizetype length, bool ascii);
    int count() const { return lines_.count_; }
    QByteArrayView raw(int i) const { return lines_.raw(i); }
    LogLines finish();

private:
    LogLines lines_;
};
