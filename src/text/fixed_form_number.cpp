#include "text/fixed_form_number.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace corvane::text {

namespace {

// Powers of ten that a double holds exactly. An integer below 2^53 times or
// over one of them is a single rounding of the exact quotient: the correctly
// rounded value, as the general parser gives.
constexpr std::array<double, 23> kExactPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
constexpr int kMaxDigits = 15;  // 10^15 < 2^53: every such integer is exact

constexpr std::size_t kScientificLength = 23;
constexpr int kFractionDigits = 14;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Adds `count` digits from `text` to `value`; false on a non-digit.
bool TakeDigits(const char* text, int count, std::uint64_t& value) {
    for (int i = 0; i < count; ++i) {
        const char c = text[i];
        if (!IsDigit(c)) return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

std::optional<double> Scaled(std::uint64_t digits, int power, bool negative) {
    if (power < -kMaxExactPower || power > kMaxExactPower) return std::nullopt;
    const double exact = static_cast<double>(digits);
    const double value = power >= 0 ? exact * kExactPowers[static_cast<std::size_t>(power)]
                                    : exact / kExactPowers[static_cast<std::size_t>(-power)];
    return negative ? -value : value;
}

// Eight digits at once where the machine stores the first character lowest
// (the word tricks of fast number parsers); elsewhere one at a time.
bool TakeEightDigits(const char* text, std::uint64_t& value) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t word;
        std::memcpy(&word, text, sizeof word);
        // Every byte '0'..'9': its high nibble is 3, and adding 6 keeps it so.
        if ((((word & 0xF0F0F0F0F0F0F0F0) |
              (((word + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) != 0x3333333333333333)) {
            return false;
        }
        word -= 0x3030303030303030;
        word = (word * 10) + (word >> 8);  // pairs of digits
        word = (((word & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
                (((word >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
               32;
        value = value * 100000000 + word;
        return true;
    } else {
        return TakeDigits(text, 8, value);
    }
}

// " d.ddddddddddddddE+dddd" or "-d.ddddddddddddddE-dddd".
std::optional<double> Scientific(std::string_view text) {
    const char* p = text.data();
    if ((p[0] != ' ' && p[0] != '-') || p[2] != '.' || p[17] != 'E' ||
        (p[18] != '+' && p[18] != '-')) {
        return std::nullopt;
    }
    // The 14 digits after the point as two overlapping runs of eight: 3..10
    // and 9..16, of which the second gives its last six.
    std::uint64_t lead = 0;
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    std::uint64_t exponent = 0;
    if (!TakeDigits(p + 1, 1, lead) || !TakeEightDigits(p + 3, first) ||
        !TakeEightDigits(p + 9, second) || !TakeDigits(p + 19, 4, exponent)) {
        return std::nullopt;
    }
    const std::uint64_t digits = (lead * 100000000 + first) * 1000000 + second % 1000000;
    const int power =
        (p[18] == '-' ? -static_cast<int>(exponent) : static_cast<int>(exponent)) - kFractionDigits;
    return Scaled(digits, power, p[0] == '-');
}

// "-"?, 1 to 15 digits in all, and a point with at least one of them after it.
std::optional<double> ShortDecimal(std::string_view text) {
    std::size_t pos = 0;
    const bool negative = text[0] == '-';
    if (negative) ++pos;
    std::uint64_t digits = 0;
    int count = 0;
    int fraction = -1;  // digits after the point; -1: no point
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsDigit(c)) {
            if (++count > kMaxDigits) return std::nullopt;
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            if (fraction >= 0) ++fraction;
        } else if (c == '.' && fraction < 0 && count > 0) {
            fraction = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0 || fraction == 0) return std::nullopt;
    return Scaled(digits, fraction < 0 ? 0 : -fraction, negative);
}

}  // namespace

std::optional<double> ReadFixedFormNumber(std::string_view text) {
    if (text.empty()) return std::nullopt;
    if (text.size() == kScientificLength) {
        if (auto value = Scientific(text)) return value;
    }
    return ShortDecimal(text);
}

}  // namespace corvane::text
