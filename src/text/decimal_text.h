#pragma once
// Decimal texts of doubles, rounded on the double's exact binary value with
// exact ties away from zero (printf rounds such ties to even).

#include <string>
#include <string_view>

namespace corvane::text {

// Fixed form with `decimals` digits after `mark`; the integer digits are split
// in threes by `grouping` (empty: no grouping). A negative value that rounds
// to zero has no minus sign. Not-a-number and infinities give NAN, INF, -INF.
std::string FixedText(double value, int decimals, std::string_view mark, std::string_view grouping);

// Exponent form: `significant` digits (the first before `mark`), "E", the
// exponent's sign and at least three exponent digits: 1.235E-006.
std::string ExponentText(double value, int significant, std::string_view mark);

}  // namespace corvane::text
