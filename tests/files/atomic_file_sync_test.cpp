// The atomic writer's two flushes, seen through the system's own fsync: this
// test program is linked with fsync wrapped (-Wl,--wrap=fsync), so every call
// the writer makes passes here first. Without the file's flush before the
// rename a power cut can leave an empty file in place of the old one; without
// the folder's after it, the old file can come back.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "files/atomic_file.h"
#include "temp_dir.h"

namespace {

struct Flush {
    bool folder = false;
    ino_t inode = 0;
    std::string targetNow;  // what the target held at that moment
};

// The target being watched and the flushes seen; only this test's thread writes.
std::string watched;
std::vector<Flush> flushes;

}  // namespace

extern "C" int __real_fsync(int fd);
extern "C" int __wrap_fsync(int fd) {
    struct stat info {};
    if (!watched.empty() && ::fstat(fd, &info) == 0) {
        flushes.push_back(
            {S_ISDIR(info.st_mode), info.st_ino, corvane::testing::ReadText(watched)});
    }
    return __real_fsync(fd);
}

namespace corvane::files {
namespace {

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}

TEST(AtomicFileFlush, TheFileBeforeTheRenameThenTheFolderAfterIt) {
    testing::TempDir dir;
    watched = dir.File("r.csv");
    testing::WriteText(watched, "old");
    flushes.clear();
    {
        AtomicFile file(watched);
        file.Write("new");
        file.Prepare();
        ASSERT_EQ(flushes.size(), 1u) << "the text is on the disk before anything is renamed";
        file.Commit();
    }
    const std::vector<Flush> seen = flushes;
    watched.clear();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].folder);
    EXPECT_EQ(seen[0].inode, InodeOf(dir.File("r.csv"))) << "the new file itself";
    EXPECT_EQ(seen[0].targetNow, "old");
    EXPECT_TRUE(seen[1].folder);
    EXPECT_EQ(seen[1].inode, InodeOf(dir.path().string())) << "the target's own folder";
    EXPECT_EQ(seen[1].targetNow, "new");
}

}  // namespace
}  // namespace corvane::files
