#include "NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

namespace product {

namespace {

// Every power of ten up to 10^18 is a double exactly.
constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                              1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

// Writes ASCII characters as UTF-16.
char16_t* widen(char16_t* out, const char* from, const char* to) {
    while (from != to)
        *out++ = char16_t(*from++);
    return out;
}

// |v| rounded to 15 significant digits as an integer of 15 digits and the decimal exponent of its
// first, found with one multiplication for the magnitudes shown in fixed notation. False when
// |v| is outside them or within a hair of a tie, where only exact rounding can tell.
bool roundTo15Quickly(double a, int64_t& significand, int& exp10) {
    if (!(a >= 1e-4 && a < 1e15))
        return false;
    int binaryExp = 0;
    std::frexp(a, &binaryExp);
    int e = int(std::floor((binaryExp - 1) * 0.30102999566398120)); // may be one too small
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int k = 14 - e;
        if (k < 0 || k >= int(std::size(kPowers)))
            return false;
        // kPowers[k] is exact, so the residual that fma gives is a * 10^k - t itself, rounded once.
        const double t = std::nearbyint(a * kPowers[k]);
        if (std::fabs(std::fma(a, kPowers[k], -t)) > 0.4999999)
            return false;
        if (t >= 1e15)
            ++e;
        else if (t < 1e14)
            --e;
        else {
            significand = int64_t(t);
            exp10 = e;
            return true;
        }
    }
    return false;
}

// The significant digits of |v| rounded to 15, without trailing zeros, and the decimal exponent of
// the first. digits must hold 17 characters; returns their count.
int significantDigits(double v, char* digits, int& exp10) {
    const double a = std::fabs(v);
    int64_t significand = 0;
    if (roundTo15Quickly(a, significand, exp10)) {
        // Trailing zeros dropped before writing, fewest divisions first for the many there can be.
        for (const int64_t step : {int64_t(100000000), int64_t(10000), int64_t(100), int64_t(10)})
            while (significand % step == 0)
                significand /= step;
        return int(std::to_chars(digits, digits + 17, significand).ptr - digits);
    }
    // to_chars rounds correctly; the exponent it reports is the one of the rounded value, which is
    // what decides the notation (9.999...95E14 becomes 1E15).
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 14);
    const char* e = std::find(buf, res.ptr, 'e');
    std::from_chars(e + 1 + (e[1] == '+'), res.ptr, exp10);
    int n = 0;
    for (const char* p = buf; p < e; ++p)
        if (*p != '.')
            digits[n++] = *p;
    while (n > 1 && digits[n - 1] == '0')
        --n;
    return n;
}

} // namespace

QString formatReal(double v, const QLocale& locale) {
    QString out;
    appendReal(out, v, locale.decimalPoint());
    return out;
}

void appendReal(QString& out, double v, QStringView sep) {
    const qsizetype start = out.size();
    out.resize(start + kRealChars + sep.size());
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data()) + start;
    out.resize(start + (writeReal(begin, v, sep) - begin));
}

char16_t* writeReal(char16_t* p, double v, QStringView sep) {
    const auto piece = [&](const char* from, const char* to) { p = widen(p, from, to); };
    if (std::isnan(v)) {
        piece("NAN", "NAN" + 3);
        return p;
    }
    if (v == 0) { // negative zero too
        *p++ = u'0';
        return p;
    }
    if (v < 0)
        *p++ = u'-';
    if (std::isinf(v)) {
        piece("INF", "INF" + 3);
        return p;
    }

    char digits[17];
    int exp10 = 0;
    const int n = significantDigits(v, digits, exp10);
    const auto separator = [&] { p = std::copy(sep.utf16(), sep.utf16() + sep.size(), p); };
    if (exp10 >= -4 && exp10 < 15) {
        if (exp10 >= 0) {
            const int intDigits = exp10 + 1;
            if (n <= intDigits) {
                piece(digits, digits + n);
                p = std::fill_n(p, intDigits - n, u'0');
            } else {
                piece(digits, digits + intDigits);
                separator();
                piece(digits + intDigits, digits + n);
            }
        } else {
            *p++ = u'0';
            separator();
            p = std::fill_n(p, -exp10 - 1, u'0');
            piece(digits, digits + n);
        }
    } else {
        *p++ = char16_t(digits[0]);
        if (n > 1) {
            separator();
            piece(digits + 1, digits + n);
        }
        *p++ = u'E';
        char buf[8];
        const auto res =
            std::to_chars(buf, buf + sizeof buf, exp10); // a minus only when negative, no leading zeros
        piece(buf, res.ptr);
    }
    return p;
}

QString formatInt(qint64 v) {
    return QString::number(v);
}

char16_t* writeInt(char16_t* out, qint64 v) {
    char buf[kIntChars];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return widen(out, buf, res.ptr);
}

} // namespace product
