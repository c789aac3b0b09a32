#pragma once

#include <QtGlobal>

// Totals of the analysed log.
struct Statistics {
    qint64 fileCount = 0;
    qint64 resumeCount = 0;
    qint64 restartCount = 0;
    qint64 finishCount = 0;
    qint64 resumedKBytes = 0;
};
