// A read error while the atomic writer copies the target it adds to, made
// through the system's own read: this test program is linked with read wrapped
// (-Wl,--wrap=read), so every call the writer makes passes here first. A disk
// that fails half-way through the copy must not end as a shortened file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "temp_dir.h"

namespace {

// The file whose reads fail, and which of them; only this test's thread reads it.
ino_t failingInode = 0;
int readsBeforeFailure = 0;

}  // namespace

extern "C" ssize_t __real_read(int fd, void* into, size_t room);
extern "C" ssize_t __wrap_read(int fd, void* into, size_t room) {
    struct stat info {};
    if (failingInode != 0 && ::fstat(fd, &info) == 0 && info.st_ino == failingInode &&
        readsBeforeFailure-- == 0) {
        errno = EIO;
        return -1;
    }
    return __real_read(fd, into, room);
}

namespace corvane::files {
namespace {

TEST(AtomicFileCopy, AReadErrorIsReportedAndTheTargetLeftAsItWas) {
    testing::TempDir dir;
    const std::string target = dir.File("results.csv");
    // Longer than one piece of the copy, so that the second read fails.
    const std::string old = "file,power\n" + std::string(100 * 1024, 'x') + "\n";
    testing::WriteText(target, old);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    failingInode = info.st_ino;
    readsBeforeFailure = 1;
    std::string error;
    try {
        AtomicFile file(target);
        file.CopyTarget();
        file.Write("late,1\n");
        file.Commit();
    } catch (const FileError& e) {
        error = e.what();
    }
    failingInode = 0;
    EXPECT_EQ(error, "Disk read error");
    EXPECT_EQ(testing::ReadText(target), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator{}),
              1)
        << "no temporary file left beside it";
}

}  // namespace
}  // namespace corvane::files
