#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// One reply of GetRight's DownloadInfo topic, taken apart at its first three bars.
struct DownloadInfoItem {
    QString title;  // before the first "|"
    QString sizeKB; // the byte count in kilobytes, formatted "####"
    QString detail; // between the second and third "|"
    QString rest;   // everything after the third "|", further bars included
};

// Splits one reply. Fails (nullopt) when the text holds fewer than three bars or
// its second field is not a decimal number in `locale` or in the C locale form.
std::optional<DownloadInfoItem> splitDownloadInfo(const QString& reply,
                                                  const QLocale& locale = QLocale::system());

// A number formatted with the pattern "####": whole digits without grouping,
// rounded half away from zero, and nothing at all for zero.
QString formatHashes(double value);
