#include "log/log_loader.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace {

bool isReadableRegularFile(const QString& localPath)
{
    std::error_code error;
    const auto status = std::filesystem::status(localPath.toStdString(), error);
    if (error || status.type() != std::filesystem::file_type::regular)
        return false;
    return QFileInfo(localPath).isReadable();
}

} // namespace

bool isAcceptedLine(QByteArrayView line, const DateTest& dateTest)
{
    return dateTest.passes(line.first(qMin<qsizetype>(10, line.size()))) ||
           dateTest.passes(line.first(qMin<qsizetype>(8, line.size())));
}

QString headDate(QByteArrayView line, const DateTest& dateTest)
{
    const QByteArrayView ten = line.first(qMin<qsizetype>(10, line.size()));
    if (dateTest.passes(ten))
        return QString::fromLatin1(ten);
    return QString::fromLatin1(line.first(qMin<qsizetype>(8, line.size())));
}

QString fileStamp(const QString& localPath)
{
    const QFileInfo info(localPath);
    if (!info.exists())
        return QString();
    return info.lastModified().toString(Qt::ISODateWithMs);
}

LogLoadResult loadLogFile(const QString& localPath, const DateTest& dateTest)
{
    LogLoadResult result;
    if (!isReadableRegularFile(localPath)) {
        result.status = LogLoadResult::Status::CannotOpen;
        return result;
    }
    result.stamp = fileStamp(localPath);

    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = LogLoadResult::Status::CannotOpen;
        return result;
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = LogLoadResult::Status::ReadFailed;
        return result;
    }
    file.close();

    std::vector<std::pair<qsizetype, qsizetype>> spans;
    spans.reserve(static_cast<std::size_t>(data.size() / 64 + 16));
    const char* bytes = data.constData();
    const qsizetype size = data.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArrayView line(bytes + start, end - start);
        if (isAcceptedLine(line, dateTest))
            spans.emplace_back(start, end - start);
        else
            ++result.badRecords;
        if (end < size && bytes[end] == '\r' && end + 1 < size && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    spans.shrink_to_fit();

    if (spans.empty()) {
        result.status = LogLoadResult::Status::NoLines;
        return result;
    }
    const auto first = QByteArrayView(bytes + spans.front().first, spans.front().second);
    const auto last = QByteArrayView(bytes + spans.back().first, spans.back().second);
    result.firstLogDate = headDate(first, dateTest);
    result.lastLogDate = headDate(last, dateTest);
    result.lines = LogLines(std::move(data), std::move(spans));
    result.status = LogLoadResult::Status::Loaded;
    return result;
}
