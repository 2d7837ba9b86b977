#pragma once
// Advisory locks that keep two runs writing beside each other from losing
// each other's work, and the leftovers of a run that was killed from piling up.

#include <string>

namespace corvane::files {

// The file at `path` locked for one run adding to it (flock, exclusive):
// waits while another run holds it, and locks the file that is at `path`
// once the wait is over (another run may have replaced it meanwhile). A file
// that does not exist is created empty, so that two runs starting a new file
// also take turns. Throws FileError.
struct LockedTarget {
    int fd = -1;           // open for reading; closing it releases the lock
    bool created = false;  // made here, empty
};
LockedTarget LockTarget(const std::string& path);

// Marks the temporary file open (for writing) on `fd` as in use for as long
// as this process lives, however it ends (a record lock, which the system
// drops with the process). False when the file at `path` is no longer the one
// open on `fd` (a cleaner removed it before the lock was taken).
bool ClaimTemporary(int fd, const std::string& path);

// The temporary file names beside `target`: target + ".tmp-" + 8 letters or digits.
bool IsTemporaryOf(const std::string& fileName, const std::string& targetName);

// Removes the temporary files beside `target` (links already followed) that
// no other running process holds: those of runs that were killed, and, when
// called while this process is ending on a signal, its own. Best effort.
void RemoveUnclaimedTemporaries(const std::string& target);

}  // namespace corvane::files
