#include "NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace product {

QString formatReal(double v, const QLocale& locale) {
    if (std::isnan(v)) return QStringLiteral("NAN");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (v == 0) return QStringLiteral("0"); // negative zero too

    // to_chars rounds correctly to 15 significant digits; the exponent it reports is the one of the
    // rounded value, which is what decides the notation (9.999...95E14 becomes 1E15).
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    const char* e = std::find(buf, res.ptr, 'e');
    int exp10 = 0;
    std::from_chars(e + 1 + (e[1] == '+'), res.ptr, exp10);
    char digitBuf[16];
    qsizetype n = 0;
    for (const char* p = buf; p < e; ++p)
        if (*p >= '0' && *p <= '9') digitBuf[n++] = *p;
    while (n > 1 && digitBuf[n - 1] == '0') --n;
    const QLatin1StringView digits(digitBuf, n);

    const QString sep = locale.decimalPoint();
    QString out;
    out.reserve(24);
    if (v < 0) out += QLatin1Char('-');
    if (exp10 >= -4 && exp10 < 15) {
        if (exp10 >= 0) {
            const qsizetype intDigits = exp10 + 1;
            if (n <= intDigits) {
                out += digits;
                out += QString(intDigits - n, QLatin1Char('0'));
            } else {
                out += digits.first(intDigits);
                out += sep;
                out += digits.sliced(intDigits);
            }
        } else {
            out += QLatin1Char('0');
            out += sep;
            out += QString(-exp10 - 1, QLatin1Char('0'));
            out += digits;
        }
    } else {
        out += digits.first(1);
        if (n > 1) {
            out += sep;
            out += digits.sliced(1);
        }
        out += QLatin1Char('E');
        out += QString::number(exp10); // a minus only when negative, no leading zeros
    }
    return out;
}

QString formatInt(qint64 v) { return QString::number(v); }

} // namespace product
