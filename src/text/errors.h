#pragma once
// Errors that end an operation and reach the user with their message text.

#include <stdexcept>
#include <string>
#include <string_view>

namespace corvane {

// An index beyond a table's bound, or a count outside 0..65535.
class RangeError : public std::out_of_range {
public:
    RangeError() : std::out_of_range("Range check error") {}
};

// The text with each control character written as an escape: "\0" for NUL,
// "\t", "\n", "\r", and "\x1B" for the others. A quoted field then shows whole:
// a NUL would end the message there, a line end would break it.
inline std::string VisibleText(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string visible;
    visible.reserve(text.size());
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 0x20 && code != 0x7F) {
            visible += c;
        } else if (c == '\0') {
            visible += "\\0";
        } else if (c == '\t') {
            visible += "\\t";
        } else if (c == '\n') {
            visible += "\\n";
        } else if (c == '\r') {
            visible += "\\r";
        } else {
            visible += "\\x";
            visible += kHex[code >> 4];
            visible += kHex[code & 0xF];
        }
    }
    return visible;
}

// A text that does not convert to a number; the message quotes it with its
// control characters made visible.
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(std::string_view text)
        : std::runtime_error("'" + VisibleText(text) + "' is not a valid floating point value") {}
};

}  // namespace corvane
