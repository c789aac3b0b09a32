#pragma once

#include <QString>
#include <QStringList>

class Formats;
struct Statistics;

// The captions of the seven statistics rows, in display order.
QStringList statisticsCaptions();

// The seven statistics texts as the window shows them after an analysis: the
// four counts, the kilobytes recovered ("###,###" + " Kb") and the first and
// last log dates as short dates. A date that does not read as one leaves the
// earlier text (from previous) in place.
QStringList statisticsTexts(const Statistics& stats, const QString& firstLogDate,
                            const QString& lastLogDate, const Formats& formats,
                            const QStringList& previous);
