// The recording folder's name on the disk: this test program is linked with
// fsync wrapped (-Wl,--wrap=fsync), so every flush the writer asks for passes
// here first. The folder is begun under a name of its own and renamed into
// place; without a flush of the folder holding it after the rename, a power
// cut can take the new name away and leave only RUN.new-PID-N.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "recording/recording_writer.h"
#include "temp_dir.h"

namespace {

struct Flush {
    bool folder = false;
    ino_t inode = 0;
    bool namedYet = false;  // the recording had its name at that moment
};

std::string watched;  // the recording's name; only this test's thread writes
std::vector<Flush> flushes;

}  // namespace

extern "C" int __real_fsync(int fd);
extern "C" int __wrap_fsync(int fd) {
    struct stat info {};
    if (!watched.empty() && ::fstat(fd, &info) == 0) {
        struct stat named {};
        flushes.push_back(
            {S_ISDIR(info.st_mode), info.st_ino, ::stat(watched.c_str(), &named) == 0});
    }
    return __real_fsync(fd);
}

namespace corvane::recording {
namespace {

TEST(RecordingFolderFlush, ItsParentIsFlushedOnceItHasItsName) {
    testing::TempDir dir;
    watched = dir.File("run");
    flushes.clear();
    {
        RecordingWriter writer(
            watched,
            Manifest{"2026-12-08T23:00:00.000Z", {0, 4, 1000}, "simulated", true, "test", {}, 0});
        const std::vector<Flush> seen = flushes;
        watched.clear();
        struct stat parent {};
        ASSERT_EQ(::stat(dir.path().c_str(), &parent), 0);
        int parentFlushes = 0;
        for (const Flush& f : seen) {
            if (!f.folder || f.inode != parent.st_ino) continue;
            ++parentFlushes;
            EXPECT_TRUE(f.namedYet) << "flushed after the rename, not before";
        }
        EXPECT_EQ(parentFlushes, 1);
    }
}

}  // namespace
}  // namespace corvane::recording
