#pragma once

#include <QtGlobal>

#include <functional>

class Formats;
class LogSession;
class RecordBuilders;

// Walks the loaded lines in file order, recognises each message by its first
// words, hands it to its record builder and keeps the totals.
class LogAnalyzer {
public:
    struct Result {
        qint64 skippedLines = 0; // dated lines that could not be taken apart
        bool abandoned = false;  // the progress callback asked to stop
    };

    // Called with the 1-based line number before each line; return false to stop.
    using Progress = std::function<bool(int line)>;

    // The analysis gives the text of the lines back as it goes (LogLines keeps
    // their count): nothing reads it afterwards.

    LogAnalyzer(LogSession& session, const Formats& formats);

    Result run(const Progress& progress = {});

private:
    template <typename View, typename Line>
    void analyse(View view, const Line& line, RecordBuilders& builders, Result& result);

    LogSession& session_;
    const Formats& formats_;
};

// The " N lines could not be analysed" message.
QString skippedLinesMessage(qint64 count);
