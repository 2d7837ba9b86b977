#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <system_error>

#include "text/converter_counts.h"
#include "text/errors.h"
#include "text/fixed_form_number.h"
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

// A number's written parts, each as it stands in the text.
struct NumberParts {
    bool negative = false;
    std::string_view integer;
    std::string_view fraction;
    bool negativeExponent = false;
    std::string_view exponentDigits;
};

bool ReadSign(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) return false;
    return text[pos++] == '-';
}

void SkipSpaces(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
}

// The parts of a number standing alone between spaces; anything else throws.
NumberParts ReadNumberParts(std::string_view text, const NumberFormat& fmt) {
    NumberParts parts;
    std::size_t pos = 0;
    SkipSpaces(text, pos);
    parts.negative = ReadSign(text, pos);
    parts.integer = Digits(text, pos);
    const std::string_view mark = fmt.decimalMark;
    if (!mark.empty() && text.substr(pos, mark.size()) == mark) {
        pos += mark.size();
        parts.fraction = Digits(text, pos);
    }
    if (parts.integer.empty() && parts.fraction.empty()) throw ConvertError(text);
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        parts.negativeExponent = ReadSign(text, pos);
        parts.exponentDigits = Digits(text, pos);
        if (parts.exponentDigits.empty()) throw ConvertError(text);
    }
    SkipSpaces(text, pos);
    if (pos != text.size()) throw ConvertError(text);
    return parts;
}

// Rebuilt with a point so that the conversion never depends on the C locale.
std::string PlainNumber(const NumberParts& parts, std::size_t sizeHint) {
    std::string plain;
    plain.reserve(sizeHint + 4);
    if (parts.negative) plain += '-';
    plain += parts.integer.empty() ? std::string_view("0") : parts.integer;
    plain += '.';
    plain += parts.fraction;
    plain += '0';
    if (!parts.exponentDigits.empty()) {
        plain += 'e';
        if (parts.negativeExponent) plain += '-';
        plain += parts.exponentDigits;
    }
    return plain;
}

// A well-formed number the conversion found out of range: an infinity of its
// sign when beyond the double range (and `overflow` set), else a zero.
double OutOfRange(const NumberParts& parts, bool& overflow) {
    long exponent = 0;
    for (const char c : parts.exponentDigits) {
        exponent = std::min(exponent * 10 + (c - '0'), 1'000'000L);
    }
    if (parts.negativeExponent) exponent = -exponent;
    if (Magnitude(parts.integer, parts.fraction, exponent) > 0) {  // beyond the double range
        overflow = true;
        return parts.negative ? -HUGE_VAL : HUGE_VAL;
    }
    return parts.negative ? -0.0 : 0.0;  // too small: underflows to zero
}

// The number in the text; a well-formed number beyond the double range gives
// an infinity of its sign and sets `overflow`.
double ParseNumber(std::string_view text, const NumberFormat& fmt, bool& overflow) {
    overflow = false;
    const NumberParts parts = ReadNumberParts(text, fmt);
    const std::string plain = PlainNumber(parts, text.size());
    double value = 0.0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec == std::errc() && res.ptr == plain.data() + plain.size()) return value;
    if (res.ec != std::errc::result_out_of_range) throw ConvertError(text);
    return OutOfRange(parts, overflow);
}

// Our own files' forms first: the same value as ParseNumber, without its work.
std::optional<double> FixedForm(std::string_view text, const NumberFormat& fmt) {
    if (fmt.decimalMark.size() != 1 || fmt.decimalMark[0] != '.') return std::nullopt;
    return ReadFixedFormNumber(text);
}

}  // namespace

double GeneralTextToFloat(std::string_view text, const NumberFormat& fmt) {
    bool overflow = false;
    const double value = ParseNumber(text, fmt, overflow);
    if (overflow) throw ConvertError(text);
    return value;
}

// A well-formed number too large for a double is still a number: its count
// lies outside 0..65535, which is a range error, not a conversion error.
std::uint16_t GeneralTextToCount(std::string_view text, const NumberFormat& fmt) {
    bool overflow = false;
    return VoltsToCount(ParseNumber(text, fmt, overflow));
}

double TextToFloat(std::string_view text, const NumberFormat& fmt) {
    if (const auto value = FixedForm(text, fmt)) return *value;
    return GeneralTextToFloat(text, fmt);
}

std::uint16_t TextToCount(std::string_view text, const NumberFormat& fmt) {
    if (const auto value = FixedForm(text, fmt)) return VoltsToCount(*value);
    return GeneralTextToCount(text, fmt);
}

}  // namespace corvane::text
