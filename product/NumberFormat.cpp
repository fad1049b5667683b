#include "NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace product {

QString formatReal(double v, const QLocale& locale) {
    if (std::isnan(v)) return QStringLiteral("NAN");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (v == 0) return QStringLiteral("0"); // negative zero too

    // The C library rounds correctly to 15 significant digits; the exponent it reports is the one of
    // the rounded value, which is what decides the notation (9.999...95E14 becomes 1E15).
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    char* e = std::strchr(buf, 'e');
    const int exp10 = std::atoi(e + 1);
    QByteArray digits;
    digits.reserve(15);
    for (const char* p = buf; p < e; ++p)
        if (*p >= '0' && *p <= '9') digits.append(*p);
    while (digits.size() > 1 && digits.endsWith('0')) digits.chop(1);

    const QString sep = locale.decimalPoint();
    QString out;
    out.reserve(24);
    if (v < 0) out += QLatin1Char('-');
    const auto n = digits.size();
    if (exp10 >= -4 && exp10 < 15) {
        if (exp10 >= 0) {
            const qsizetype intDigits = exp10 + 1;
            if (n <= intDigits) {
                out += QLatin1String(digits);
                out += QString(intDigits - n, QLatin1Char('0'));
            } else {
                out += QLatin1String(digits.constData(), intDigits);
                out += sep;
                out += QLatin1String(digits.constData() + intDigits, n - intDigits);
            }
        } else {
            out += QLatin1Char('0');
            out += sep;
            out += QString(-exp10 - 1, QLatin1Char('0'));
            out += QLatin1String(digits);
        }
    } else {
        out += QLatin1Char(digits[0]);
        if (n > 1) {
            out += sep;
            out += QLatin1String(digits.constData() + 1, n - 1);
        }
        out += QLatin1Char('E');
        out += QString::number(exp10); // a minus only when negative, no leading zeros
    }
    return out;
}

QString formatInt(qint64 v) { return QString::number(v); }

} // namespace product
