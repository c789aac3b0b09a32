#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <QLocale>

// The date format GetRight's log lines have under `locale`: its short date's
// order and separator, two-digit day and month ("MM/dd/yy" in the US).
QString simLogDateFormat(const QLocale& locale);

// One log line as GetRight writes it: "12/11/26 09:00:00 - message" and CR LF.
QByteArray simLogLine(const QDateTime& when, const QString& message,
                      const QLocale& locale = QLocale::system());

// Appends lines to the log file; false (with `error` set) when it cannot be written.
bool appendToLog(const QString& logPath, const QStringList& messages, const QDateTime& when,
                 QString* error);

// The Windows path under which a Wine prefix sees `localPath`: C: for files
// inside <prefix>/drive_c, Z: (the root folder) for any other.
QString windowsPathInPrefix(const QString& prefix, const QString& localPath);

// Writes <prefix>/user.reg naming `logPath` as GetRight's log, with the drive
// links that path needs. An existing user.reg is kept unless `overwrite`.
bool writeUserReg(const QString& prefix, const QString& logPath, bool overwrite, QString* error);
