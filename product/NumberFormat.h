// Number texts shown to the user.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

namespace product {

// A real value in the general format: rounded to 15 significant digits, shortest form without
// trailing zeros or separator; fixed notation for 0 and magnitudes from 1E-4 up to below 1E15,
// scientific otherwise ("1E-5", "1.5E20"). The decimal separator is the locale's; no grouping.
// Not-a-number and the infinities read "NAN", "INF" and "-INF".
QString formatReal(double v, const QLocale& locale = QLocale());
// The same text appended to out, with the separator given (asking a locale for it costs more than
// writing the number, so callers writing many take it once).
void appendReal(QString& out, double v, QStringView decimalPoint);
// The same text written at out, which must have room for kRealChars characters besides those of
// the separator; returns the end. For writing many texts without a string operation per piece.
inline constexpr qsizetype kRealChars = 24;
char16_t* writeReal(char16_t* out, double v, QStringView decimalPoint);

// An integer in plain decimal with a leading minus sign, no grouping.
QString formatInt(qint64 v);
// The same text written at out, which must have room for kIntChars characters; returns the end.
inline constexpr qsizetype kIntChars = 20;
char16_t* writeInt(char16_t* out, qint64 v);

} // namespace product
