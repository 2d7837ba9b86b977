#pragma once
// Errors that end an operation and reach the user with their message text.

#include <stdexcept>
#include <string>

namespace corvane {

// An index beyond a table's bound, or a count outside 0..65535.
class RangeError : public std::out_of_range {
public:
    RangeError() : std::out_of_range("Range check error") {}
};

// A text that does not convert to a number.
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const std::string& text)
        : std::runtime_error("'" + text + "' is not a valid floating point value") {}
};

}  // namespace corvane
