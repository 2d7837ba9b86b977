#pragma once
// The number forms our own capture files hold, read without the general
// parser: the 23-character scientific form of the samples and the time column
// (" 1.23046875000000E+0000") and the short decimals of the monitor values
// ("295.3", "0"). Every other text, or one of these forms whose value the
// quick way could not round exactly, is left to the general parser, which
// gives the same value for these forms: callers get identical results on
// every input, only sooner for the files the program writes.

#include <optional>
#include <string_view>

namespace corvane::text {

// The value of a text in one of the forms above, with a point as decimal mark;
// nothing for any other text (including every text the general parser refuses).
std::optional<double> ReadFixedFormNumber(std::string_view text);

}  // namespace corvane::text
