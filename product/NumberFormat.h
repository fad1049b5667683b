// Number texts shown to the user.
#pragma once

#include <QLocale>
#include <QString>

namespace product {

// A real value in the general format: rounded to 15 significant digits, shortest form without
// trailing zeros or separator; fixed notation for 0 and magnitudes from 1E-4 up to below 1E15,
// scientific otherwise ("1E-5", "1.5E20"). The decimal separator is the locale's; no grouping.
// Not-a-number and the infinities read "NAN", "INF" and "-INF".
QString formatReal(double v, const QLocale& locale = QLocale());

// An integer in plain decimal with a leading minus sign, no grouping.
QString formatInt(qint64 v);

} // namespace product
