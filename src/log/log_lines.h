#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The accepted lines of the loaded log, numbered from 1. The file's bytes stay in
// one buffer and a line is decoded when it is asked for, so a large log costs
// little more than its size.
class LogLines {
public:
    LogLines() = default;
    LogLines(QByteArray data, std::vector<std::pair<qsizetype, qsizetype>> spans)
        : data_(std::move(data)), spans_(std::move(spans))
    {
    }

    int count() const { return static_cast<int>(spans_.size()); }
    bool isEmpty() const { return spans_.empty(); }

    // Line i (1..count()) as text, without its line ending.
    QString line(int i) const;
    QByteArrayView raw(int i) const
    {
        const auto& span = spans_[static_cast<std::size_t>(i - 1)];
        return QByteArrayView(data_.constData() + span.first, span.second);
    }

private:
    QByteArray data_;
    std::vector<std::pair<qsizetype, qsizetype>> spans_; // offset, length
};
