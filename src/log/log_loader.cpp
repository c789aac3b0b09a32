#include "log/log_loader.h"

#include "log/read_ahead.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TAVRIN_AVX2_SCAN 1
#endif

namespace {

// Read in pieces of this size: the lines of one piece are taken apart while it
// is still in the cache, and progress is told between pieces.
constexpr qsizetype kPiece = 4 * 1024 * 1024;

// Why the path is no file the loader may open; None when it is one.
LogLoadResult::Problem openProblem(const QString& localPath)
{
    using Problem = LogLoadResult::Problem;
    std::error_code error;
    const auto status = std::filesystem::status(localPath.toStdString(), error);
    if (status.type() == std::filesystem::file_type::not_found)
        return Problem::Missing;
    if (error)
        return error == std::errc::permission_denied ? Problem::NoPermission : Problem::Missing;
    if (status.type() == std::filesystem::file_type::directory)
        return Problem::Folder;
    if (status.type() != std::filesystem::file_type::regular)
        return Problem::NotRegular;
    return QFileInfo(localPath).isReadable() ? Problem::None : Problem::NoPermission;
}

// The first CR or LF in bytes [i, end), or end; sets high when a byte before it
// is beyond ASCII.
qsizetype findLineEnd(const char* bytes, qsizetype i, qsizetype end, bool& high)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= end; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const unsigned stop =
            unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        const unsigned top = unsigned(_mm_movemask_epi8(v));
        if (stop) {
            const unsigned before = (1u << __builtin_ctz(stop)) - 1;
            high = high || (top & before);
            return i + __builtin_ctz(stop);
        }
        high = high || top;
    }
#endif
    for (; i < end; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r' || c == '\n')
            return i;
        high = high || c >= 0x80;
    }
    return end;
}

#if TAVRIN_AVX2_SCAN
// The same thirty-two bytes at a time, for processors that have AVX2.
__attribute__((target("avx2"))) qsizetype findLineEndAvx2(const char* bytes, qsizetype i,
                                                          qsizetype end, bool& high)
{
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    for (; i + 32 <= end; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
        const unsigned stop = unsigned(_mm256_movemask_epi8(
            _mm256_or_si256(_mm256_cmpeq_epi8(v, cr), _mm256_cmpeq_epi8(v, lf))));
        const unsigned top = unsigned(_mm256_movemask_epi8(v));
        if (stop) {
            const int at = __builtin_ctz(stop);
            const unsigned before = at == 0 ? 0u : (~0u >> (32 - at));
            high = high || (top & before);
            return i + at;
        }
        high = high || top;
    }
    return findLineEnd(bytes, i, end, high);
}
#endif

// The scanner for this processor.
using LineEndFinder = qsizetype (*)(const char*, qsizetype, qsizetype, bool&);
LineEndFinder lineEndFinder()
{
#if TAVRIN_AVX2_SCAN
    static const LineEndFinder finder =
        __builtin_cpu_supports("avx2") ? &findLineEndAvx2 : &findLineEnd;
    return finder;
#else
    return &findLineEnd;
#endif
}

// The acceptance test of isAcceptedLine(), remembering the last heads that passed.
// The heads that pass also tell what day/month order the log's dates settle.
class Acceptance {
public:
    explicit Acceptance(const DateTest& dateTest)
        : wide_(dateTest, &evidence_), narrow_(dateTest, &evidence_)
    {
    }
    bool operator()(QByteArrayView line) { return wide_(line) || narrow_(line); }
    DayMonthOrder dateOrder() const { return evidence_.settled(); }

private:
    DateOrderEvidence evidence_;
    DateHeadTest<10> wide_;
    DateHeadTest<8> narrow_;
};

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

LogLoadResult loadLogFile(const QString& localPath, const DateTest& dateTest,
                          const LoadProgress& progress)
{
    LogLoadResult result;
    result.problem = openProblem(localPath);
    if (result.problem != LogLoadResult::Problem::None) {
        result.status = LogLoadResult::Status::CannotOpen;
        return result;
    }
    result.stamp = fileStamp(localPath);

    QFile file(localPath);
    const auto failed = [&](LogLoadResult::Status status) {
        result.status = status;
        result.problem = status == LogLoadResult::Status::Abandoned
                             ? LogLoadResult::Problem::None
                             : LogLoadResult::Problem::ReadError;
        result.systemError = file.errorString();
        return std::move(result);
    };
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failed(LogLoadResult::Status::CannotOpen);
    // Read to the end, as far as the file goes now: GetRight may be adding to it.
    const qint64 size = qMax<qint64>(file.size(), 0);
    LineBuffer buffer;
    if (!buffer.reserve(qsizetype(size) + 1)) {
        result.systemError = QStringLiteral("not enough memory");
        result.status = LogLoadResult::Status::ReadFailed;
        result.problem = LogLoadResult::Problem::ReadError;
        return result;
    }
    LogLinesBuilder lines(std::move(buffer), qsizetype(size));
    LineBuffer& data = lines.buffer();
    Acceptance accepted(dateTest);

    qsizetype filled = 0;    // bytes read
    qsizetype lineStart = 0; // of the line being taken apart
    qsizetype scan = 0;      // where the search for its end goes on
    bool high = false;       // a byte of that line so far is beyond ASCII
    // Takes apart the lines that end before `filled`; at the end of the file
    // also the last line, with or without a line ending.
    const LineEndFinder findEnd = lineEndFinder();
    auto takeLines = [&](bool atEnd) {
        const char* bytes = data.data();
        while (lineStart < filled) {
            const qsizetype end = findEnd(bytes, scan, filled, high);
            qsizetype next;
            if (end == filled) {
                if (!atEnd) {
                    scan = end;
                    return;
                }
                next = filled;
            } else if (bytes[end] == '\r') {
                if (end + 1 == filled && !atEnd) {
                    scan = end; // CR LF may be split between two pieces
                    return;
                }
                next = end + 1 < filled && bytes[end + 1] == '\n' ? end + 2 : end + 1;
            } else {
                next = end + 1;
            }
            const QByteArrayView line(bytes + lineStart, end - lineStart);
            if (accepted(line))
                lines.addLine(lineStart, end - lineStart, !high);
            else
                ++result.badRecords;
            lineStart = scan = next;
            high = false;
        }
    };

    // The bytes the file has now are read on a second thread while the lines
    // of what is in are taken apart here.
    if (size > kPiece) {
        const ReadAhead ahead(file, data.data(), qsizetype(size), kPiece);
        for (;;) {
            const ReadAhead::State state = ahead.waitBeyond(filled);
            if (state.failed)
                return failed(LogLoadResult::Status::ReadFailed);
            if (state.ready > filled) {
                filled = state.ready;
                takeLines(false);
                if (progress && !progress(filled, qMax<qint64>(size, filled)))
                    return failed(LogLoadResult::Status::Abandoned);
            }
            if (state.done && state.ready == filled)
                break;
        }
    }
    // Then whatever it has more, or all of a small file.
    for (;;) {
        if (filled == data.capacity() && !data.reserve(filled + kPiece)) {
            result.systemError = QStringLiteral("not enough memory");
            result.status = LogLoadResult::Status::ReadFailed;
            result.problem = LogLoadResult::Problem::ReadError;
            return result;
        }
        const qint64 got = file.read(data.data() + filled, qMin(kPiece, data.capacity() - filled));
        if (got < 0 || file.error() != QFileDevice::NoError)
            return failed(LogLoadResult::Status::ReadFailed);
        if (got == 0)
            break;
        filled += qsizetype(got);
        takeLines(false);
        if (progress && !progress(filled, qMax<qint64>(size, filled)))
            return failed(LogLoadResult::Status::Abandoned);
    }
    file.close();
    takeLines(true);

    if (lines.count() == 0) {
        result.status = LogLoadResult::Status::NoLines;
        return result;
    }
    result.dateOrder = accepted.dateOrder();
    result.firstLogDate = headDate(lines.raw(1), dateTest);
    result.lastLogDate = headDate(lines.raw(lines.count()), dateTest);
    result.lines = lines.finish();
    result.status = LogLoadResult::Status::Loaded;
    return result;
}
