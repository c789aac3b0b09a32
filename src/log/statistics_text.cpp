#include "log/statistics_text.h"

#include "log/formats.h"
#include "log/statistics.h"

QStringList statisticsCaptions()
{
    return {QStringLiteral("Total Files"),     QStringLiteral("Total Resumes"),
            QStringLiteral("Total Restarts"),  QStringLiteral("Total Completed"),
            QStringLiteral("Bytes Recovered"), QStringLiteral("Log Started"),
            QStringLiteral("Log Finished")};
}

QStringList statisticsTexts(const Statistics& stats, const QString& firstLogDate,
                            const QString& lastLogDate, const Formats& formats,
                            const QStringList& previous)
{
    QStringList texts = previous;
    while (texts.size() < 7)
        texts << QStringLiteral("0");
    texts[0] = QString::number(stats.fileCount);
    texts[1] = QString::number(stats.resumeCount);
    texts[2] = QString::number(stats.restartCount);
    texts[3] = QString::number(stats.finishCount);
    texts[4] = formats.groupedDigits(stats.resumedKBytes) + QStringLiteral(" Kb");
    if (const auto date = formats.readLogDate(QStringView(firstLogDate)))
        texts[5] = formats.shortDate(*date);
    if (const auto date = formats.readLogDate(QStringView(lastLogDate)))
        texts[6] = formats.shortDate(*date);
    return texts;
}
