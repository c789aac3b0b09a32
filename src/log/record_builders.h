#pragma once

#include <QString>

class Formats;
class LogSession;

// Build and update download records from single log lines. Each builder takes
// the whole line and reads the session's wideDate for its positions.
class RecordBuilders {
public:
    RecordBuilders(LogSession& session, const Formats& formats);

    // Gives false when the line cannot be taken apart (no "=" after the local
    // path's start); nothing is changed then.
    bool handleFileLine(const QString& line);
    void handleResumedLine(const QString& line);
    void handleStartLine(const QString& line);
    void handleFinishedLine(const QString& line);

private:
    int dateWidth() const;
    int prefixWidth() const;
    QString dateTimeOf(const QString& line) const;
    // The record that the file name in a name text leads to, or nullptr.
    struct LogEntry* openRecordFor(QStringView nameText) const;
    QString nameTextFrom(const QString& line, int start) const;

    LogSession& session_;
    const Formats& formats_;
};
