#include "log/log_lines.h"

#include "log/text_decoding.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#if defined(Q_OS_UNIX)
#include <sys/mman.h>
#include <unistd.h>
#define TAVRIN_MAPPED_BUFFER 1
#endif

namespace {

#if TAVRIN_MAPPED_BUFFER
qsizetype pageSize()
{
    static const qsizetype size = qsizetype(::sysconf(_SC_PAGESIZE));
    return size > 0 ? size : 4096;
}

constexpr qsizetype kHugePage = 2 * 1024 * 1024;
#endif

} // namespace

LineBuffer::~LineBuffer()
{
    clear();
}

LineBuffer::LineBuffer(LineBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), capacity_(std::exchange(other.capacity_, 0)),
      mapped_(std::exchange(other.mapped_, 0)), released_(std::exchange(other.released_, 0))
{
}

LineBuffer& LineBuffer::operator=(LineBuffer&& other) noexcept
{
    if (this != &other) {
        clear();
        data_ = std::exchange(other.data_, nullptr);
        capacity_ = std::exchange(other.capacity_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
        released_ = std::exchange(other.released_, 0);
    }
    return *this;
}

void LineBuffer::clear()
{
#if TAVRIN_MAPPED_BUFFER
    if (mapped_) {
        if (mapped_ > released_)
            ::munmap(data_ + released_, std::size_t(mapped_ - released_));
    } else
#endif
        std::free(data_);
    data_ = nullptr;
    capacity_ = mapped_ = released_ = 0;
}

bool LineBuffer::reserve(qsizetype bytes)
{
    if (bytes <= capacity_)
        return true;
    bytes = std::max(bytes, capacity_ + capacity_ / 2);
#if TAVRIN_MAPPED_BUFFER
    // Anonymous pages of our own: the front can be given back with madvise
    // while the analysis walks on, and large pages make reading them cheaper.
    const qsizetype page = pageSize();
    const qsizetype size = (bytes + page - 1) / page * page;
    void* mapped = ::mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped != MAP_FAILED) {
#ifdef MADV_HUGEPAGE
        if (size >= kHugePage)
            ::madvise(mapped, std::size_t(size), MADV_HUGEPAGE);
#endif
        if (data_)
            std::memcpy(mapped, data_, std::size_t(capacity_));
        clear();
        data_ = static_cast<char*>(mapped);
        capacity_ = mapped_ = size;
        return true;
    }
    if (mapped_)
        return false;
#endif
    char* grown = static_cast<char*>(std::realloc(data_, std::size_t(bytes)));
    if (!grown)
        return false;
    data_ = grown;
    capacity_ = bytes;
    return true;
}

void LineBuffer::releaseBefore(qsizetype offset, const PageTaker& take)
{
#if TAVRIN_MAPPED_BUFFER
    if (!mapped_)
        return;
    // Whole large pages only: giving back a few bytes at a time costs more than it saves.
    const qsizetype end = std::min(offset, capacity_) / kHugePage * kHugePage;
    if (end <= released_)
        return;
    char* const from = data_ + released_;
    const qsizetype size = end - released_;
    released_ = end;
    const Release unmap = [](char* data, qsizetype bytes) { ::munmap(data, std::size_t(bytes)); };
    if (!take || !take(from, size, unmap))
        unmap(from, size);
#else
    Q_UNUSED(offset);
    Q_UNUSED(take);
#endif
}

QString LogLines::line(int i) const
{
    return decodeLogText(raw(i));
}

qsizetype LogLines::longLength(int i) const
{
    const auto it =
        std::lower_bound(longLines_.begin(), longLines_.end(), std::make_pair(i, qsizetype(0)));
    return it != longLines_.end() && it->first == i ? it->second : 0;
}

void LogLines::releaseThrough(int i, const LineBuffer::PageTaker& take)
{
    i = std::min(i, count_);
    if (i <= releasedThrough_)
        return;
    if (i == count_) {
        buffer_.clear();
        std::vector<quint64>().swap(spans_);
        std::vector<std::pair<int, qsizetype>>().swap(longLines_);
    } else {
        const quint64 next = spans_[static_cast<std::size_t>(i)]; // line i + 1
        buffer_.releaseBefore(qsizetype(next >> kOffsetShift), take);
    }
    releasedThrough_ = i;
}

LogLinesBuilder::LogLinesBuilder(LineBuffer buffer, qsizetype expectedBytes)
{
    lines_.buffer_ = std::move(buffer);
    // GetRight's lines run to some 80 bytes; a little room to spare saves regrowth.
    lines_.spans_.reserve(std::size_t(expectedBytes / 56 + 16));
}

void LogLinesBuilder::addLine(qsizetype offset, qsizetype length, bool ascii)
{
    quint64 stored = quint64(length);
    if (stored >= LogLines::kLengthMask) {
        stored = LogLines::kLengthMask;
        lines_.longLines_.emplace_back(lines_.count_ + 1, length);
    }
    lines_.spans_.push_back((quint64(offset) << LogLines::kOffsetShift) | (stored << 1) |
                            (ascii ? 1u : 0u));
    ++lines_.count_;
}

LogLines LogLinesBuilder::finish()
{
    if (lines_.spans_.capacity() > lines_.spans_.size() + lines_.spans_.size() / 8)
        lines_.spans_.shrink_to_fit();
    return std::move(lines_);
}
