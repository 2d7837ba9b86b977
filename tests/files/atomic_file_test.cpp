// Replacing a file by rename: captures and batch results keep the target's
// permission bits and its symbolic link, and a new file gets the usual bits.

#include "files/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "analysis/capture_record.h"
#include "files/batch.h"
#include "files/capture_writer.h"
#include "files/file_error.h"
#include "temp_dir.h"

namespace corvane::files {
namespace {

namespace fs = std::filesystem;

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

struct Writer {
    const char* name;
    std::function<void(const std::string& path)> write;
};

std::vector<Writer> Writers() {
    return {
        {"text", [](const std::string& path) { ReplaceFileContents(path, "new text"); }},
        {"capture",
         [](const std::string& path) {
             analysis::CaptureRecord record;
             WriteCaptureFile(path, record, analysis::DiskTable(5));
         }},
        {"batch results",
         [](const std::string& path) {
             RunBatchToFile(path, {}, [](const std::string&) { return ResultsColumn{}; });
         }},
    };
}

TEST(AtomicFile, PermissionBitsAreKept) {
    for (const Writer& writer : Writers()) {
        testing::TempDir dir;
        const std::string target = dir.File("private.CSV");
        testing::WriteText(target, "old");
        ::chmod(target.c_str(), 0600);
        writer.write(target);
        EXPECT_EQ(ModeOf(target), 0600u) << writer.name;
        EXPECT_NE(testing::ReadText(target), "old") << writer.name;

        ::chmod(target.c_str(), 0640);
        writer.write(target);
        EXPECT_EQ(ModeOf(target), 0640u) << writer.name;

        // A new file: the usual bits under the umask.
        const mode_t mask = ::umask(022);
        writer.write(dir.File("new.CSV"));
        ::umask(mask);
        EXPECT_EQ(ModeOf(dir.File("new.CSV")), 0644u) << writer.name;
    }
}

TEST(AtomicFile, ASymbolicLinkIsWrittenThrough) {
    for (const Writer& writer : Writers()) {
        testing::TempDir dir;
        fs::create_directory(dir.File("data"));
        const std::string target = dir.File("data/real.CSV");
        testing::WriteText(target, "old");
        // A relative link, and a link to that link.
        fs::create_symlink("data/real.CSV", dir.File("link.CSV"));
        fs::create_symlink(dir.File("link.CSV"), dir.File("link2.CSV"));
        for (const char* name : {"link.CSV", "link2.CSV"}) {
            testing::WriteText(target, "old");
            writer.write(dir.File(name));
            EXPECT_TRUE(fs::is_symlink(dir.File(name))) << writer.name << " " << name;
            EXPECT_NE(testing::ReadText(target), "old") << writer.name << " " << name;
        }
        // A link to a file not there yet creates that file.
        fs::create_symlink("data/later.CSV", dir.File("dangling.CSV"));
        writer.write(dir.File("dangling.CSV"));
        EXPECT_TRUE(fs::is_symlink(dir.File("dangling.CSV"))) << writer.name;
        EXPECT_TRUE(fs::is_regular_file(dir.File("data/later.CSV"))) << writer.name;
        // Nothing is left beside either end of a link.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("data")), fs::directory_iterator()),
                  2)
            << writer.name;
    }
}

TEST(AtomicFile, ALinkLoopIsRefused) {
    testing::TempDir dir;
    fs::create_symlink(dir.File("b"), dir.File("a"));
    fs::create_symlink(dir.File("a"), dir.File("b"));
    EXPECT_THROW(ReplaceFileContents(dir.File("a"), "x"), FileError);
}

TEST(AtomicFile, NothingChangesUntilCommit) {
    testing::TempDir dir;
    const std::string target = dir.File("r.CSV");
    testing::WriteText(target, "old");
    {
        AtomicFile file(target);
        EXPECT_TRUE(file.TargetExisted());
        file.Write("new");
        EXPECT_EQ(testing::ReadText(target), "old");
    }  // dropped without Commit
    EXPECT_EQ(testing::ReadText(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    AtomicFile file(target);
    file.Write("new");
    file.Commit();
    EXPECT_EQ(testing::ReadText(target), "new");
    EXPECT_FALSE(AtomicFile(dir.File("none.CSV")).TargetExisted());
}

}  // namespace
}  // namespace corvane::files
