#pragma once
// Writing a file so that it is either wholly replaced or left as it was. The
// text goes to a temporary file beside the target; only a complete, flushed
// temporary file is renamed over the target. Captures, the settings file and
// batch results are all written this way.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::files {

class AtomicFile {
public:
    // Creates the temporary file beside `path`, or, when `path` is a symbolic
    // link, beside the file it names: the link stays a link. A target that
    // exists but may not be written is refused here. Throws FileError.
    explicit AtomicFile(const std::string& path);
    // A target that is neither a regular file nor a folder (a pipe, a device
    // such as /dev/null) is written in place, without a temporary file; a
    // folder is refused (kIsAFolder).
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Removes the temporary files beside `path` left by runs that were killed
    // (those no running process holds); a run that is ending on a signal also
    // removes its own this way. Best effort, never throws.
    static void RemoveLeftovers(const std::string& path);

    // True when the target existed when this was created (or, after
    // CopyTarget, when the copy was taken).
    bool TargetExisted() const { return targetExisted_; }

    // What CopyTarget found in the target.
    struct Copied {
        std::uintmax_t size = 0;
        std::string firstLine;  // up to its LF (at most 4 KiB), with a CR kept
        char lastByte = 0;      // 0 for an empty target
    };
    // For adding to the target instead of replacing it: the temporary file
    // starts with the target's present content, before anything written. The
    // rename then still puts the old text and the new in place together, or
    // neither; and Commit refuses ("The file was changed meanwhile") when the
    // target was changed or replaced after the copy, whose lines would be lost.
    // From the copy to the rename the target is locked: a second AtomicFile
    // adding to it waits in its CopyTarget, then copies this one's result.
    // Call before the first Write. Throws FileError.
    Copied CopyTarget();

    // Buffered: may throw FileError ("Disk full", ...) here or in Commit; the
    // target is still untouched.
    void Write(std::string_view text);
    // Flushes the text to the disk, gives it the target's permission bits (or
    // the usual ones under the umask for a new file), renames it over the
    // target and flushes the folder. Throws FileError, the target untouched.
    void Commit();
    // Everything Commit does before the rename: once this has passed, only the
    // rename is left to fail. Files that belong together are all prepared
    // before any of them is committed.
    void Prepare();

private:
    void Flush();
    void OpenInPlace();
    void OpenTemporary();

    std::string target_;  // with symbolic links followed
    std::string temp_;
    int fd_ = -1;
    bool targetExisted_ = false;
    bool committed_ = false;
    bool prepared_ = false;
    bool inPlace_ = false;       // a pipe or device, written directly
    int lockFd_ = -1;            // the target, locked from CopyTarget on
    bool createdTarget_ = false; // made empty by CopyTarget to be locked
    std::string buffer_;  // written text not yet handed to the system
    // The target as CopyTarget copied it: what it must still be at Commit.
    bool copied_ = false;
    dev_t copiedDevice_ = 0;
    ino_t copiedInode_ = 0;
    off_t copiedSize_ = 0;
    struct timespec copiedModified_ {};
};

// The whole text through an AtomicFile. Throws FileError.
void ReplaceFileContents(const std::string& path, std::string_view text);

}  // namespace corvane::files
