#pragma once

#include <QLatin1StringView>
#include <QString>

#include <string>

class Formats;
class LogSession;
struct LogEntry;

// Build and update download records from single log lines. Each builder takes
// the whole line and reads the session's wideDate for its positions. A line of
// ASCII characters may be given as its bytes, which spares decoding it: the
// pieces are cut out of the bytes and only what goes into a record is kept.
class RecordBuilders {
public:
    RecordBuilders(LogSession& session, const Formats& formats);

    // Gives false when the line cannot be taken apart (no "=" after the local
    // path's start); nothing is changed then.
    bool handleFileLine(const QString& line);
    void handleResumedLine(const QString& line);
    void handleStartLine(const QString& line);
    void handleFinishedLine(const QString& line);

    // The same for a line whose characters are all ASCII, given as its bytes.
    bool handleFileLine(QLatin1StringView line);
    void handleResumedLine(QLatin1StringView line);
    void handleStartLine(QLatin1StringView line);
    void handleFinishedLine(QLatin1StringView line);

private:
    int dateWidth() const;
    int prefixWidth() const;

    template <typename View> bool fileLine(View line);
    template <typename View> void resumedLine(View line);
    template <typename View> void startLine(View line);
    template <typename View> void finishedLine(View line);
    // The record that the file name of a name text leads to, or nullptr.
    template <typename View> LogEntry* openRecordFor(View nameText);

    LogSession& session_;
    const Formats& formats_;
    std::string scratch_; // date-time texts of ASCII lines
    std::string name_;    // file names of ASCII lines, lower-cased
};
