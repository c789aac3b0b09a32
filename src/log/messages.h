#pragma once

#include "log/log_loader.h"

#include <QString>

// Texts the user sees in message boxes, shared by the window and tavrin-report.
namespace Messages {
inline QString appTitle() { return QStringLiteral("Tavrin"); }
inline QString errorTitle() { return QStringLiteral("Tavrin Error"); }
inline QString fileError() { return QStringLiteral("Error loading file. Please check the file path"); }
inline QString badRecords(qint64 count)
{
    return QString::number(count) + QStringLiteral(" bad records were ignored");
}
inline QString noLogLoaded() { return QStringLiteral("No log loaded..."); }
// A load that kept no line, of a log without bad records (an empty file).
inline QString noDatedLines() { return QStringLiteral("The log holds no dated lines."); }

// Why a log could not be read, as a short phrase: "no such file", "a folder".
QString problemText(LogLoadResult::Problem problem, const QString& systemError);
// What a message box about a log adds below its text: the path (and where it
// is on this machine, when that differs) and what is wrong with it.
QString aboutLog(const QString& storedPath, const QString& localPath, const QString& what);
} // namespace Messages
