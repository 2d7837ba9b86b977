#pragma once
// The texts the user sees for the program's numbers, and the reverse
// conversions of capture-file fields and disk-table cells. Units are appended
// by each caller. Every function takes the number format to use: the window
// passes the user's settings, files and tools pass point and comma.

#include <cstdint>
#include <string>
#include <string_view>

#include "text/number_format.h"

namespace corvane::text {

// Moment of inertia column: decimals chosen by magnitude, trailing zeros trimmed.
std::string FormatAdaptive(double value, const NumberFormat& fmt);
// One decimal, grouped ("%.1n").
std::string FormatOneDecimal(double value, const NumberFormat& fmt);
// "0" below 0.001 W, otherwise one decimal, grouped.
std::string FormatResistorPower(double watts, const NumberFormat& fmt);
// "0" below 0.1 kPa, otherwise two decimals, grouped.
std::string FormatPressureSwing(double kpa, const NumberFormat& fmt);
// "0" below 0.001 mW, otherwise two decimals, grouped.
std::string FormatDynaPower(double milliwatts, const NumberFormat& fmt);
// Two decimals, grouped, negative values keep their sign.
std::string FormatTorque(double millinewtonMetres, const NumberFormat& fmt);
// The count's volts with two decimals, no grouping, padded to four characters.
std::string FormatVolts(std::uint16_t count, const NumberFormat& fmt);

// The toolkit's text-to-number rule: blanks around an optionally signed
// decimal number with the format's decimal mark and an optional exponent.
// Throws ConvertError for anything else and for values beyond the double range.
double TextToFloat(std::string_view text, const NumberFormat& fmt);
// TextToFloat, then VoltsToCount; throws ConvertError or RangeError.
std::uint16_t TextToCount(std::string_view text, const NumberFormat& fmt);
// The same two by the general rule alone, without the quick reading of our own
// files' number forms (fixed_form_number.h); they give identical results on
// every input, which the tests and a fuzzer compare.
double GeneralTextToFloat(std::string_view text, const NumberFormat& fmt);
std::uint16_t GeneralTextToCount(std::string_view text, const NumberFormat& fmt);
// True when every character is a space, CR or LF (so for the empty text too).
bool IsBlank(std::string_view text);

}  // namespace corvane::text
