#include "text/decimal_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace corvane::text {

namespace {

// The exact decimal expansion of a finite non-negative double, split at the point.
struct ExactDecimal {
    std::string integer;   // at least one digit
    std::string fraction;  // possibly empty
};

ExactDecimal ExactExpansion(double magnitude) {
    // magnitude = m * 2^(e - 53) with an integer m, so 53 - e fraction digits are exact.
    int e = 0;
    std::frexp(magnitude, &e);
    const int precision = magnitude == 0.0 ? 0 : std::max(0, 53 - e);
    std::array<char, 1600> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude,
                                   std::chars_format::fixed, precision);
    const std::string_view text(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    const auto point = text.find('.');
    if (point == std::string_view::npos) return {std::string(text), {}};
    return {std::string(text.substr(0, point)), std::string(text.substr(point + 1))};
}

// Adds one to a string of decimal digits; returns true when it carried out of the top.
bool Increment(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    return true;
}

std::string NonFiniteText(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string Grouped(const std::string& integer, std::string_view grouping) {
    if (grouping.empty() || integer.size() <= 3) return integer;
    std::string out;
    out.reserve(integer.size() + (integer.size() / 3) * grouping.size());
    const std::size_t lead = integer.size() % 3 == 0 ? 3 : integer.size() % 3;
    out.append(integer, 0, lead);
    for (std::size_t i = lead; i < integer.size(); i += 3) {
        out.append(grouping);
        out.append(integer, i, 3);
    }
    return out;
}

}  // namespace

std::string FixedText(double value, int decimals, std::string_view mark,
                      std::string_view grouping) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    const auto places = static_cast<std::size_t>(std::max(0, decimals));
    ExactDecimal exact = ExactExpansion(std::fabs(value));
    exact.fraction.resize(std::max(exact.fraction.size(), places + 1), '0');

    // With the exact digits at hand, "ties away from zero" is "round up from 5".
    std::string kept = exact.integer + exact.fraction.substr(0, places);
    if (exact.fraction[places] >= '5' && Increment(kept)) kept.insert(kept.begin(), '1');

    const std::string integer = kept.substr(0, kept.size() - places);
    const std::string fraction = kept.substr(kept.size() - places);
    const bool allZero = kept.find_first_not_of('0') == std::string::npos;

    std::string out;
    if (std::signbit(value) && !allZero) out += '-';
    out += Grouped(integer, grouping);
    if (places > 0) {
        out.append(mark);
        out += fraction;
    }
    return out;
}

std::string ExponentText(double value, int significant, std::string_view mark) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    const auto count = static_cast<std::size_t>(std::max(1, significant));
    const ExactDecimal exact = ExactExpansion(std::fabs(value));
    const std::string all = exact.integer + exact.fraction;

    int exponent = 0;
    std::string digits;
    const auto first = all.find_first_not_of('0');
    if (first == std::string::npos) {
        digits.assign(count + 1, '0');
    } else {
        exponent = static_cast<int>(exact.integer.size()) - 1 - static_cast<int>(first);
        digits = all.substr(first);
        digits.resize(std::max(digits.size(), count + 1), '0');
    }
    std::string kept = digits.substr(0, count);
    if (digits[count] >= '5' && Increment(kept)) {
        kept.insert(kept.begin(), '1');
        kept.pop_back();
        ++exponent;
    }

    std::string out;
    if (std::signbit(value) && first != std::string::npos) out += '-';
    out += kept[0];
    if (count > 1) {
        out.append(mark);
        out.append(kept, 1, std::string::npos);
    }
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    std::string expDigits = std::to_string(std::abs(exponent));
    if (expDigits.size() < 3) expDigits.insert(0, 3 - expDigits.size(), '0');
    out += expDigits;
    return out;
}

}  // namespace corvane::text
