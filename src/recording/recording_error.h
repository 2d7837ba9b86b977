#pragma once
// A recording that cannot be written or read as one, or a replay source with
// a bad line: the message names the file (and line) and what is wrong.

#include <stdexcept>
#include <string>

namespace corvane::recording {

class RecordingError : public std::runtime_error {
public:
    explicit RecordingError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace corvane::recording
