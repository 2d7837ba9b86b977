#include "files/file_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

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

// Closes the descriptor when the last reader lets go.
class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) {}
    ~OpenFile() { ::close(fd_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::function<std::size_t(char* into, std::size_t room)> ReadInPieces(const std::string& path,
                                                                      Kinds kinds) {
    // Opening a pipe waits for a writer that may never come; a file does not care.
    const int fd =
        ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (kinds == Kinds::Files ? O_NONBLOCK : 0));
    if (fd < 0) throw FileError(FileErrorText(errno, FileAccess::Read));
    auto file = std::make_shared<OpenFile>(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) throw FileError(FileErrorText(errno, FileAccess::Read));
    if (S_ISDIR(info.st_mode)) throw FileError(kIsAFolder);
    if (kinds == Kinds::Files && !S_ISREG(info.st_mode)) throw FileError(kNotAFile);
    return [file](char* into, std::size_t room) -> std::size_t {
        for (;;) {
            const ssize_t got = ::read(file->fd(), into, room);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) throw FileError(FileErrorText(errno, FileAccess::Read));
        }
    };
}

}  // namespace corvane::files
