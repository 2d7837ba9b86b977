#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <vector>

#include "files/file_error.h"
#include "files/file_locks.h"

namespace corvane::files {

namespace {

// As many links as the system itself follows before giving up.
constexpr int kMaxLinkHops = 40;
constexpr int kNameAttempts = 100;
constexpr std::size_t kWritePiece = 64 * 1024;  // one system call per piece, not per line
constexpr std::size_t kMaxFirstLine = 4096;

[[noreturn]] void Fail(int errorNumber) {
    throw FileError(FileErrorText(errorNumber, FileAccess::Write));
}

// The file a chain of symbolic links ends at (it need not exist yet).
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) Fail(errno);
        if (static_cast<std::size_t>(length) >= target.size()) continue;  // grew meanwhile: again
        const std::filesystem::path named(
            std::string(target.data(), static_cast<std::size_t>(length)));
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        path = (named.is_absolute() || folder.empty() ? named : folder / named).string();
    }
    Fail(ELOOP);
}

std::string RandomSuffix(std::random_device& random) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 8; ++i) suffix += kLetters[random() % (sizeof kLetters - 1)];
    return suffix;
}

// Flushes the folder that holds path, so that the rename itself is on the disk.
// Some file systems refuse to flush a folder; the file is in place either way.
void FlushFolder(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path) {
    if (path.empty()) Fail(ENOENT);
    struct stat info {};
    // /dev/stdout and the like lead through links that name no file to follow.
    const bool named = ::stat(path.c_str(), &info) == 0;
    target_ = named && !S_ISREG(info.st_mode) ? path : FollowLinks(path);
    targetExisted_ = ::stat(target_.c_str(), &info) == 0;
    if (targetExisted_) {
        if (S_ISDIR(info.st_mode)) throw FileError(kIsAFolder);
        // A pipe or a device (/dev/null) is written where it is: renaming a
        // file over it would put an ordinary file in its place.
        if (!S_ISREG(info.st_mode)) {
            OpenInPlace();
            return;
        }
        // A file we may not write stays as it is, even though the folder would
        // let a complete copy be renamed over it.
        if (::access(target_.c_str(), W_OK) != 0) Fail(errno);
    }
    OpenTemporary();
    if (targetExisted_) {
        // Owner first (best effort: only root may give a file away), then the bits,
        // which a change of owner may have cleared.
        if ((info.st_uid != ::geteuid() || info.st_gid != ::getegid()) &&
            ::fchown(fd_, info.st_uid, info.st_gid) != 0) {
            // Stays ours: the content matters more than the owner.
        }
        ::fchmod(fd_, info.st_mode & 07777);
    }
}

void AtomicFile::OpenInPlace() {
    inPlace_ = true;
    do {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) Fail(errno);
}

void AtomicFile::OpenTemporary() {
    std::random_device random;
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        temp_ = target_ + ".tmp-" + RandomSuffix(random);
        // A new file gets the usual permissions under the umask; Commit gives
        // an existing target's own bits.
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) Fail(errno);
        // Claimed for this run's life, so that a later run removes it only
        // when this one was killed before it could.
        if (fd_ >= 0 && !ClaimTemporary(fd_, temp_)) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    if (fd_ < 0) Fail(EEXIST);
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
    if (lockFd_ >= 0) {
        // An empty file made only to take turns goes again when nothing came of it.
        struct stat info {};
        struct stat named {};
        if (!committed_ && createdTarget_ && ::fstat(lockFd_, &info) == 0 && info.st_size == 0 &&
            ::stat(target_.c_str(), &named) == 0 && named.st_ino == info.st_ino &&
            named.st_dev == info.st_dev) {
            ::unlink(target_.c_str());
        }
        ::close(lockFd_);
    }
}

void AtomicFile::RemoveLeftovers(const std::string& path) {
    try {
        RemoveUnclaimedTemporaries(FollowLinks(path));
    } catch (const FileError&) {
        // A name that leads nowhere has no leftovers either.
    }
}

namespace {

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        text.remove_prefix(static_cast<std::size_t>(put));
    }
}

bool SameState(const struct stat& a, dev_t device, ino_t inode, off_t size,
               const struct timespec& modified) {
    return a.st_dev == device && a.st_ino == inode && a.st_size == size &&
           a.st_mtim.tv_sec == modified.tv_sec && a.st_mtim.tv_nsec == modified.tv_nsec;
}

}  // namespace

AtomicFile::Copied AtomicFile::CopyTarget() {
    if (fd_ < 0 || !buffer_.empty()) Fail(EBADF);
    Copied copied;
    if (inPlace_) return copied;  // a pipe or device holds nothing to keep
    // Held until the rename: a second run adding to the file waits for this
    // one's lines and then copies them too.
    const LockedTarget locked = LockTarget(target_);
    lockFd_ = locked.fd;
    createdTarget_ = locked.created;
    targetExisted_ = !locked.created;
    if (!targetExisted_) return copied;
    const int source = lockFd_;
    struct stat info {};
    if (::fstat(source, &info) != 0) throw FileError(FileErrorText(errno, FileAccess::Read));
    std::string piece(kWritePiece, '\0');
    bool lineEnded = false;
    for (;;) {
        const ssize_t got = ::read(source, piece.data(), piece.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw FileError(FileErrorText(errno, FileAccess::Read));
        if (got == 0) break;
        const std::string_view part(piece.data(), static_cast<std::size_t>(got));
        for (std::size_t i = 0; !lineEnded && i < part.size(); ++i) {
            if (part[i] == '\n' || copied.firstLine.size() >= kMaxFirstLine) {
                lineEnded = true;
            } else {
                copied.firstLine += part[i];
            }
        }
        copied.size += part.size();
        copied.lastByte = part.back();
        WriteAll(fd_, part);
    }
    copied_ = true;
    copiedDevice_ = info.st_dev;
    copiedInode_ = info.st_ino;
    copiedSize_ = static_cast<off_t>(copied.size);
    copiedModified_ = info.st_mtim;
    return copied;
}

void AtomicFile::Write(std::string_view text) {
    if (fd_ < 0) Fail(EBADF);
    buffer_ += text;
    if (buffer_.size() >= kWritePiece) Flush();
}

void AtomicFile::Flush() {
    WriteAll(fd_, buffer_);
    buffer_.clear();
}

void AtomicFile::Prepare() {
    if (prepared_) return;
    if (fd_ < 0) Fail(EBADF);
    Flush();
    if (inPlace_) {
        prepared_ = true;  // a pipe or device cannot be flushed to a disk
        return;
    }
    if (copied_) {
        // Another program added to (or replaced) the target since it was
        // copied: renaming now would lose what it wrote.
        struct stat now {};
        if (::stat(target_.c_str(), &now) != 0 ||
            !SameState(now, copiedDevice_, copiedInode_, copiedSize_, copiedModified_)) {
            throw FileError("The file was changed meanwhile");
        }
    }
    // Without the flush a power cut after the rename can leave an empty file
    // where the old one was.
    if (::fsync(fd_) != 0) Fail(errno);
    prepared_ = true;
}

void AtomicFile::Commit() {
    Prepare();
    // The temporary file stays open, and so claimed, until it is the target.
    if (!inPlace_ && ::rename(temp_.c_str(), target_.c_str()) != 0) Fail(errno);
    committed_ = true;
    const int closed = ::close(fd_);
    fd_ = -1;
    if (inPlace_ && closed != 0) Fail(errno);
    if (!inPlace_) FlushFolder(target_);
}

void ReplaceFileContents(const std::string& path, std::string_view text) {
    AtomicFile file(path);
    file.Write(text);
    file.Commit();
}

}  // namespace corvane::files
