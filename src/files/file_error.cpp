#include "files/file_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace corvane::files {

std::string FileErrorText(int errorNumber, FileAccess access) {
    switch (errorNumber) {
        case ENOENT:
            return access == FileAccess::Read ? "File not found" : "Path not found";
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return "Path not found";
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return "File access denied";
        case EMFILE:
        case ENFILE:
            return "Too many open files";
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return "Disk full";
        default:
            return access == FileAccess::Read ? "Disk read error" : "Disk write error";
    }
}

namespace {

// Closes a descriptor on every path out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the error a delayed write may only show here.
    int release_and_close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

}  // namespace

std::string ReadWholeFile(const std::string& path) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw FileError(FileErrorText(errno, FileAccess::Read));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) throw FileError(FileErrorText(errno, FileAccess::Read));
    if (S_ISDIR(info.st_mode)) throw FileError(FileErrorText(EACCES, FileAccess::Read));
    std::string text;
    if (info.st_size > 0) text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError(FileErrorText(errno, FileAccess::Read));
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace corvane::files
