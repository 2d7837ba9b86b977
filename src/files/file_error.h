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

// A folder named where a file is meant.
inline constexpr const char* kIsAFolder = "File access denied: it is a folder";

// A pipe or device named where a capture file is meant.
inline constexpr const char* kNotAFile = "Not a file but a pipe or device: nothing was read";

enum class FileAccess { Read, Write };

// The user-facing text for an errno value of a failed open, read or write.
std::string FileErrorText(int errorNumber, FileAccess access);

// Opens a file for reading in pieces: the function puts up to `room` further
// bytes into `into` and returns how many, 0 at the end; the file is closed when
// the last copy of the function goes. Throws FileError ("File not found", and
// kIsAFolder for a folder), also from a failed read.
// With Kinds::Files only a regular file is read: a pipe or a device (which
// may never end) is refused at once (kNotAFile).
enum class Kinds { Any, Files };
std::function<std::size_t(char* into, std::size_t room)> ReadInPieces(const std::string& path,
                                                                      Kinds kinds = Kinds::Any);

}  // namespace corvane::files
