// formatSignificant: the value is rounded to n significant digits, halves away from zero, and the
// position of the first significant digit after rounding decides between the fixed and the
// exponential form.
#include "model/format_significant.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The first n significant decimal digits of |value|, rounded half away from zero, and the decimal
// exponent of the first one. glibc prints the exact binary value, so 60 digits decide every tie.
struct Digits {
    char d[20];
    int exponent;
};

Digits roundedDigits(double magnitude, int n) {
    char full[80];
    std::snprintf(full, sizeof full, "%.60e", magnitude);
    Digits out{};
    out.exponent = std::atoi(std::strchr(full, 'e') + 1);
    char all[62];
    int count = 0;
    for (const char* p = full; *p != 'e'; ++p) {
        if (*p != '.') all[count++] = *p;
    }
    std::memcpy(out.d, all, static_cast<size_t>(n));
    if (all[n] >= '5') {
        int i = n - 1;
        while (i >= 0 && out.d[i] == '9') out.d[i--] = '0';
        if (i >= 0) {
            ++out.d[i];
        } else {
            out.d[0] = '1';  // 9.99.. carried into a new leading digit
            ++out.exponent;
        }
    }
    out.d[n] = '\0';
    return out;
}

// Drops trailing zeros of the fraction, keeping the point.
void trimFraction(char* text) {
    if (std::strchr(text, '.') == nullptr) return;
    char* end = text + std::strlen(text);
    while (end[-1] == '0') *--end = '\0';
}

}  // namespace

SignificantText formatSignificant(double value, int n) {
    assert(n >= 1 && n <= 17 && "significant digits must be 1..17");
    SignificantText out{};
    if (!std::isfinite(value)) {
        std::snprintf(out.text, sizeof out.text, "%s",
                      std::isnan(value) ? "nan"
                      : value < 0       ? "-inf"
                                        : "inf");
        return out;
    }
    char* p = out.text;
    if (value < 0) *p++ = '-';
    const Digits digits = roundedDigits(std::fabs(value), n);
    const int firstDigit = value == 0.0 ? 0 : digits.exponent + 1;

    if (firstDigit - 1 < -1 || firstDigit - 1 > n - 1) {
        *p++ = digits.d[0];
        *p++ = '.';
        std::memcpy(p, digits.d + 1, static_cast<size_t>(n - 1));
        p[n - 1] = '\0';
        trimFraction(out.text);
        p = out.text + std::strlen(out.text);
        std::snprintf(p, sizeof out.text - static_cast<size_t>(p - out.text), "e%c%03d",
                      digits.exponent < 0 ? '-' : '+', std::abs(digits.exponent));
        return out;
    }
    // Fixed form: firstDigit is 0..n, leaving n - firstDigit decimals (none: no point).
    if (firstDigit == 0) *p++ = '0';
    std::memcpy(p, digits.d, static_cast<size_t>(firstDigit));
    p += firstDigit;
    if (firstDigit < n) {
        *p++ = '.';
        std::memcpy(p, digits.d + firstDigit, static_cast<size_t>(n - firstDigit));
        p += n - firstDigit;
    }
    *p = '\0';
    trimFraction(out.text);
    return out;
}
