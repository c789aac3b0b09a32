#pragma once

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
} // namespace Messages
