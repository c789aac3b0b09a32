#pragma once

#include <QLatin1StringView>
#include <QStringView>
#include <QtGlobal>

#include <optional>

// A byte count as the log writes it: digits, optionally signed, optionally with
// a fraction, blanks around. Anything else is not a number.
std::optional<double> readByteCount(QStringView text);
// The same for ASCII characters given as bytes.
std::optional<double> readByteCount(QLatin1StringView text);

// The whole number nearest to base + bytes / 1024, a half going to the even
// neighbour. Exact for whole byte counts of any size.
qint64 addKilobytes(qint64 base, double bytes);

// A byte count made whole, a half going to the even neighbour.
double roundHalfEven(double value);
