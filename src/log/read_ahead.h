#pragma once

#include <QFile>

#include <atomic>
#include <thread>

// Reads the first `size` bytes of an open file into memory on a second thread,
// piece by piece, while the caller takes apart what is in already: the kernel's
// copy of the next piece (and the clearing of the fresh pages it lands in)
// overlaps with the work on this one. The file is not touched by the caller
// until the reader is gone.
class ReadAhead {
public:
    struct State {
        qsizetype ready = 0; // bytes in, from the start
        bool done = false; // the reader stopped: all `size` bytes, the end of the file or a failure
        bool failed = false;
    };

    ReadAhead(QFile& file, char* into, qsizetype size, qsizetype piece);
    ~ReadAhead(); // stops the reader and waits for it

    // Waits until more than `have` bytes are in or the reader stopped.
    State waitBeyond(qsizetype have) const;

    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

private:
    static constexpr qint64 kDone = qint64(1) << 62;
    static constexpr qint64 kFailed = qint64(1) << 61;
    static constexpr qint64 kBytes = kFailed - 1;

    void read(QFile& file, char* into, qsizetype size, qsizetype piece);
    void publish(qint64 value);

    std::atomic<qint64> progress_{0}; // bytes in, with kDone and kFailed
    std::atomic<bool> stop_{false};
    std::thread reader_;
};
