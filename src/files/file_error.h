#pragma once
// File input/output errors with the plain texts the user sees
// ("File not found", "File access denied", ...).

#include <cstddef>
#include <functional>
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

// Opens a file for reading in pieces: the function puts up to `room` further
// bytes into `into` and returns how many, 0 at the end; the file is closed when
// the last copy of the function goes. Throws FileError ("File not found", and
// "File access denied" for a folder), also from a failed read.
std::function<std::size_t(char* into, std::size_t room)> ReadInPieces(const std::string& path);

}  // namespace corvane::files
