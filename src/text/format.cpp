#include "text/format.h"

#include <cmath>

#include "text/converter_counts.h"
#include "text/decimal_text.h"

namespace corvane::text {

namespace {

std::string Grouped(double value, int decimals, const NumberFormat& fmt) {
    return FixedText(value, decimals, fmt.decimalMark, fmt.grouping);
}

std::string Plain(double value, int decimals, const NumberFormat& fmt) {
    return FixedText(value, decimals, fmt.decimalMark, "");
}

// Removes trailing zeros and then a trailing point; only a point counts as the mark.
std::string TrimmedAtPoint(std::string text) {
    if (text.find('.') == std::string::npos) return text;
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

}  // namespace

std::string FormatAdaptive(double value, const NumberFormat& fmt) {
    const double a = std::fabs(value);
    if (a > 999) {
        std::string text = Grouped(value, 0, fmt);
        if (!text.empty() && text.front() == ',') text.erase(0, 1);
        return text;
    }
    if (a >= 1 && a <= 999) return TrimmedAtPoint(Grouped(value, 3, fmt));
    if (a >= 0.001 && a < 1) return TrimmedAtPoint(Plain(value, 5, fmt));
    if (a >= 0.0001 && a < 0.001) return TrimmedAtPoint(Plain(value, 6, fmt));
    if (a >= 0.00001 && a < 0.0001) return TrimmedAtPoint(Plain(value, 7, fmt));
    if (value == 0) return "0";
    return ExponentText(value, 4, fmt.decimalMark);
}

std::string FormatOneDecimal(double value, const NumberFormat& fmt) {
    return Grouped(value, 1, fmt);
}

std::string FormatResistorPower(double watts, const NumberFormat& fmt) {
    if (watts < 0.001) return "0";
    return Grouped(watts, 1, fmt);
}

std::string FormatPressureSwing(double kpa, const NumberFormat& fmt) {
    if (kpa < 0.1) return "0";
    return Grouped(kpa, 2, fmt);
}

std::string FormatDynaPower(double milliwatts, const NumberFormat& fmt) {
    if (milliwatts < 0.001) return "0";
    return Grouped(milliwatts, 2, fmt);
}

std::string FormatTorque(double millinewtonMetres, const NumberFormat& fmt) {
    return Grouped(millinewtonMetres, 2, fmt);
}

std::string FormatVolts(std::uint16_t count, const NumberFormat& fmt) {
    std::string text = Plain(CountToVolts(count), 2, fmt);
    if (text.size() < 4) text.insert(0, 4 - text.size(), ' ');
    return text;
}

bool IsBlank(std::string_view text) {
    for (const char c : text) {
        if (c != ' ' && c != '\r' && c != '\n') return false;
    }
    return true;
}

}  // namespace corvane::text
