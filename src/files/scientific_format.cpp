#include "files/scientific_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace corvane::files {

namespace {

constexpr int kDigits = 15;
// Enough printed digits that the sixteenth is exact: rounding at the last
// printed place cannot reach it for any value a capture holds.
constexpr int kPrintedDecimals = 60;

// Cannot come from converter counts or a valid period; keeps the width.
void AppendNotFinite(std::string& out, long double value) {
    const char* word = std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : " INF");
    std::string text(word);
    out.append(static_cast<std::size_t>(kScientificWidth) - text.size(), ' ');
    out += text;
}

struct Mantissa {
    char digits[kDigits + 1]{};  // the last one only decides the rounding
    int exponent = 0;
};

// The magnitude's leading digits, rounded half up at the fifteenth.
Mantissa RoundedMantissa(long double value) {
    Mantissa m;
    if (value == 0) {
        for (char& d : m.digits) d = '0';
        return m;
    }
    // Exact digits first, then our own rounding: printf would round ties to even.
    char printed[kPrintedDecimals + 16];
    std::snprintf(printed, sizeof printed, "%.*Le", kPrintedDecimals, std::fabs(value));
    // printed: d.ddd...e[+-]xx
    m.digits[0] = printed[0];
    for (int i = 1; i <= kDigits; ++i) m.digits[i] = printed[i + 1];  // skip the point
    m.exponent = std::atoi(printed + kPrintedDecimals + 3);
    if (m.digits[kDigits] < '5') return m;
    int i = kDigits - 1;
    while (i >= 0 && m.digits[i] == '9') m.digits[i--] = '0';
    if (i >= 0) {
        ++m.digits[i];
    } else {
        m.digits[0] = '1';  // 9.99...95 becomes 1.00...0 with the next exponent
        ++m.exponent;
    }
    return m;
}

}  // namespace

void AppendScientific(std::string& out, long double value) {
    if (!std::isfinite(value)) {
        AppendNotFinite(out, value);
        return;
    }
    const Mantissa m = RoundedMantissa(value);
    out += value < 0 ? '-' : ' ';
    out += m.digits[0];
    out += '.';
    out.append(m.digits + 1, kDigits - 1);
    out += 'E';
    out += m.exponent < 0 ? '-' : '+';
    char exponentText[8];
    std::snprintf(exponentText, sizeof exponentText, "%04d", std::abs(m.exponent) % 10000);
    out += exponentText;
}

std::string FormatScientific(long double value) {
    std::string text;
    text.reserve(kScientificWidth);
    AppendScientific(text, value);
    return text;
}

}  // namespace corvane::files
