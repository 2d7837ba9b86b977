#pragma once
// Writing a file so that it is either wholly replaced or left as it was. The
// text goes to a temporary file beside the target; only a complete, flushed
// temporary file is renamed over the target. Captures, the settings file and
// batch results are all written this way.

#include <string>
#include <string_view>

namespace corvane::files {

class AtomicFile {
public:
    // Creates the temporary file beside `path`, or, when `path` is a symbolic
    // link, beside the file it names: the link stays a link. A target that
    // exists but may not be written is refused here. Throws FileError.
    explicit AtomicFile(const std::string& path);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // True when the target existed when this was created.
    bool TargetExisted() const { return targetExisted_; }

    // Throws FileError ("Disk full", ...); the target is still untouched.
    void Write(std::string_view text);
    // Flushes the text to the disk, gives it the target's permission bits (or
    // the usual ones under the umask for a new file), renames it over the
    // target and flushes the folder. Throws FileError, the target untouched.
    void Commit();

private:
    std::string target_;  // with symbolic links followed
    std::string temp_;
    int fd_ = -1;
    bool targetExisted_ = false;
    bool committed_ = false;
};

// The whole text through an AtomicFile. Throws FileError.
void ReplaceFileContents(const std::string& path, std::string_view text);

}  // namespace corvane::files
