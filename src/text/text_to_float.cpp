#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>

#include "text/errors.h"
#include "text/format.h"

namespace corvane::text {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Digits(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return text.substr(start, pos - start);
}

// Decimal exponent of the leading digit, saturated far beyond the double range.
long Magnitude(std::string_view integer, std::string_view fraction, long exponent) {
    const auto lead = integer.find_first_not_of('0');
    if (lead != std::string_view::npos) {
        return static_cast<long>(integer.size() - lead) - 1 + exponent;
    }
    const auto first = fraction.find_first_not_of('0');
    return -static_cast<long>(first) - 1 + exponent;
}

}  // namespace

double TextToFloat(std::string_view text, const NumberFormat& fmt) {
    const auto fail = [&] { return ConvertError(std::string(text)); };
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;

    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::string_view integer = Digits(text, pos);
    std::string_view fraction;
    const std::string_view mark = fmt.decimalMark;
    if (!mark.empty() && text.substr(pos, mark.size()) == mark) {
        pos += mark.size();
        fraction = Digits(text, pos);
    }
    if (integer.empty() && fraction.empty()) throw fail();

    bool negativeExponent = false;
    std::string_view exponentDigits;
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            negativeExponent = text[pos] == '-';
            ++pos;
        }
        exponentDigits = Digits(text, pos);
        if (exponentDigits.empty()) throw fail();
    }
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos != text.size()) throw fail();

    // Rebuilt with a point so that the conversion never depends on the C locale.
    std::string plain;
    plain.reserve(text.size() + 4);
    if (negative) plain += '-';
    plain += integer.empty() ? std::string_view("0") : integer;
    plain += '.';
    plain += fraction;
    plain += '0';
    if (!exponentDigits.empty()) {
        plain += 'e';
        if (negativeExponent) plain += '-';
        plain += exponentDigits;
    }
    double value = 0.0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec == std::errc() && res.ptr == plain.data() + plain.size()) return value;
    if (res.ec != std::errc::result_out_of_range) throw fail();

    long exponent = 0;
    for (const char c : exponentDigits) {
        exponent = std::min(exponent * 10 + (c - '0'), 1'000'000L);
    }
    if (negativeExponent) exponent = -exponent;
    if (Magnitude(integer, fraction, exponent) > 0) throw fail();  // beyond the double range
    return negative ? -0.0 : 0.0;                                  // too small: underflows to zero
}

}  // namespace corvane::text
