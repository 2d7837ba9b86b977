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

}  // namespace

void AppendScientific(std::string& out, long double value) {
    if (!std::isfinite(value)) {
        // Cannot come from converter counts or a valid period; keep the width.
        const char* word = std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : " INF");
        std::string text(word);
        out.append(static_cast<std::size_t>(kScientificWidth) - text.size(), ' ');
        out += text;
        return;
    }
    const bool negative = value < 0;
    char digits[kDigits + 1];
    int exponent = 0;
    if (value == 0) {
        for (char& d : digits) d = '0';
    } else {
        // Exact digits first, then our own rounding: printf would round ties to even.
        char printed[kPrintedDecimals + 16];
        std::snprintf(printed, sizeof printed, "%.*Le", kPrintedDecimals, std::fabs(value));
        // printed: d.ddd...e[+-]xx
        digits[0] = printed[0];
        for (int i = 1; i <= kDigits; ++i) digits[i] = printed[i + 1];  // skip the point
        exponent = std::atoi(printed + kPrintedDecimals + 3);
        const bool roundUp = digits[kDigits] >= '5';
        if (roundUp) {
            int i = kDigits - 1;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                digits[0] = '1';  // 9.99...95 becomes 1.00...0 with the next exponent
                ++exponent;
            }
        }
    }
    out += negative ? '-' : ' ';
    out += digits[0];
    out += '.';
    out.append(digits + 1, kDigits - 1);
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    char exponentText[8];
    std::snprintf(exponentText, sizeof exponentText, "%04d", std::abs(exponent) % 10000);
    out += exponentText;
}

std::string FormatScientific(long double value) {
    std::string text;
    text.reserve(kScientificWidth);
    AppendScientific(text, value);
    return text;
}

}  // namespace corvane::files
