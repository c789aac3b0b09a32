#include "log/read_ahead.h"

ReadAhead::ReadAhead(QFile& file, char* into, qsizetype size, qsizetype piece)
    : reader_([this, &file, into, size, piece] { read(file, into, size, piece); })
{
}

ReadAhead::~ReadAhead()
{
    stop_.store(true, std::memory_order_relaxed);
    reader_.join();
}

ReadAhead::State ReadAhead::waitBeyond(qsizetype have) const
{
    qint64 value = progress_.load(std::memory_order_acquire);
    while ((value & kBytes) <= have && !(value & kDone)) {
        progress_.wait(value, std::memory_order_acquire);
        value = progress_.load(std::memory_order_acquire);
    }
    return {qsizetype(value & kBytes), (value & kDone) != 0, (value & kFailed) != 0};
}

void ReadAhead::read(QFile& file, char* into, qsizetype size, qsizetype piece)
{
    qsizetype at = 0;
    while (at < size && !stop_.load(std::memory_order_relaxed)) {
        const qint64 got = file.read(into + at, qMin(piece, size - at));
        if (got < 0 || file.error() != QFileDevice::NoError) {
            publish(at | kDone | kFailed);
            return;
        }
        if (got == 0)
            break; // the file became shorter
        at += qsizetype(got);
        if (at < size)
            publish(at);
    }
    publish(at | kDone);
}

void ReadAhead::publish(qint64 value)
{
    progress_.store(value, std::memory_order_release);
    progress_.notify_all();
}
