#pragma once
// File input/output errors with the plain texts the user sees
// ("File not found", "File access denied", ...).

#include <stdexcept>
#include <string>

namespace corvane::files {

class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& message) : std::runtime_error(message) {}
};

enum class FileAccess { Read, Write };

// The user-facing text for an errno value of a failed open, read or write.
std::string FileErrorText(int errorNumber, FileAccess access);

// Whole content of a file as 8-bit text; throws FileError.
std::string ReadWholeFile(const std::string& path);

}  // namespace corvane::files
