#pragma once
// The fixed-width scientific form of the time, pressure and tachometer fields
// of a capture file: always 23 characters, e.g. " 1.23046875000000E+0000".

#include <string>

namespace corvane::files {

inline constexpr int kScientificWidth = 23;

// Sign character (blank or '-'), 15 significant digits with a point after the
// first, 'E', the exponent's sign and four exponent digits. The fifteenth digit
// is rounded with halves away from zero. Zero is " 0.00000000000000E+0000".
std::string FormatScientific(long double value);
// Appends the same text to out (no allocation in the usual case).
void AppendScientific(std::string& out, long double value);

}  // namespace corvane::files
