#include "files/file_locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "files/file_error.h"

namespace corvane::files {

namespace {

constexpr int kLockAttempts = 1000;
constexpr std::size_t kSuffixLength = 8;

bool SameInode(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The file at path, opened for reading; created empty when missing.
int OpenOrCreate(const std::string& path, bool& created) {
    created = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0 || errno != ENOENT) return fd;
    fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created = fd >= 0;
    return fd;
}

bool WholeFileLock(int fd, short type, int command) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    for (;;) {
        if (::fcntl(fd, command, &lock) == 0) return true;
        if (errno != EINTR) return false;
    }
}

}  // namespace

LockedTarget LockTarget(const std::string& path) {
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        LockedTarget locked;
        locked.fd = OpenOrCreate(path, locked.created);
        if (locked.fd < 0) {
            if (errno == EEXIST) continue;  // made by another run just now
            throw FileError(FileErrorText(errno, FileAccess::Write));
        }
        int status;
        do {
            status = ::flock(locked.fd, LOCK_EX);
        } while (status != 0 && errno == EINTR);
        // The run before may have renamed its copy over the file while we waited.
        if (status == 0 && SameInode(locked.fd, path)) return locked;
        ::close(locked.fd);
    }
    throw FileError("The file was changed meanwhile");
}

bool ClaimTemporary(int fd, const std::string& path) {
    return WholeFileLock(fd, F_WRLCK, F_SETLKW) && SameInode(fd, path);
}

bool IsTemporaryOf(const std::string& fileName, const std::string& targetName) {
    const std::string prefix = targetName + ".tmp-";
    if (fileName.size() != prefix.size() + kSuffixLength || fileName.rfind(prefix, 0) != 0) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < fileName.size(); ++i) {
        const char c = fileName[i];
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

void RemoveUnclaimedTemporaries(const std::string& target) {
    namespace fs = std::filesystem;
    const fs::path targetPath(target);
    const fs::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : ".";
    const std::string targetName = targetPath.filename().string();
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string path = entry.path().string();
        if (!IsTemporaryOf(entry.path().filename().string(), targetName)) continue;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat info {};
        // Held by a run still writing it: the lock is refused, the file stays.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            WholeFileLock(fd, F_WRLCK, F_SETLK) && SameInode(fd, path)) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
}

}  // namespace corvane::files
