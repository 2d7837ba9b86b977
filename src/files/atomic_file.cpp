#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <vector>

#include "files/file_error.h"

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
    target_ = FollowLinks(path);
    struct stat info {};
    targetExisted_ = ::stat(target_.c_str(), &info) == 0;
    if (targetExisted_) {
        if (S_ISDIR(info.st_mode)) Fail(EISDIR);
        // A file we may not write stays as it is, even though the folder would
        // let a complete copy be renamed over it.
        if (::access(target_.c_str(), W_OK) != 0) Fail(errno);
    }
    std::random_device random;
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        temp_ = target_ + ".tmp-" + RandomSuffix(random);
        // A new file gets the usual permissions under the umask; Commit gives
        // an existing target's own bits.
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) Fail(errno);
    }
    if (fd_ < 0) Fail(EEXIST);
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

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
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
    if (!targetExisted_) return copied;
    const int source = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) throw FileError(FileErrorText(errno, FileAccess::Read));
    struct stat info {};
    if (::fstat(source, &info) != 0) {
        const int error = errno;
        ::close(source);
        throw FileError(FileErrorText(error, FileAccess::Read));
    }
    std::string piece(kWritePiece, '\0');
    bool lineEnded = false;
    for (;;) {
        const ssize_t got = ::read(source, piece.data(), piece.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(source);
            throw FileError(FileErrorText(error, FileAccess::Read));
        }
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
        try {
            WriteAll(fd_, part);
        } catch (const FileError&) {
            ::close(source);
            throw;
        }
    }
    ::close(source);
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
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) Fail(errno);
    prepared_ = true;
}

void AtomicFile::Commit() {
    Prepare();
    if (::rename(temp_.c_str(), target_.c_str()) != 0) Fail(errno);
    committed_ = true;
    FlushFolder(target_);
}

void ReplaceFileContents(const std::string& path, std::string_view text) {
    AtomicFile file(path);
    file.Write(text);
    file.Commit();
}

}  // namespace corvane::files
