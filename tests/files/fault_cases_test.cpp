// Faults the other files tests would let pass: names that only look like
// capture files, a list that breaks off, files started after a failed one,
// and the atomic writer's refusals.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <streambuf>
#include <thread>

#include "files/atomic_file.h"
#include "files/capture_inputs.h"
#include "files/file_error.h"
#include "files/ordered_evaluation.h"
#include "temp_dir.h"

namespace corvane::files {
namespace {

namespace fs = std::filesystem;

TEST(CaptureFolderNames, OnlyTheExtensionCsvInAnyCase) {
    testing::TempDir dir;
    for (const char* name : {"run.csv~", "x.csvx", "x.cs", "csv", "x.csv.bak", "x.", "xcsv",
                             "x.c.v", "y.cSv", "z.csv"}) {
        testing::WriteText(dir.File(name), "grab\r\n");
    }
    EXPECT_EQ(CaptureFilesInFolder(dir.path().string(), false),
              (std::vector<std::string>{dir.File("y.cSv"), dir.File("z.csv")}));
}

// Gives its text, then fails as a broken pipe or a lost network share would.
class BreakingStream : public std::streambuf {
public:
    explicit BreakingStream(std::string text) : text_(std::move(text)) {}

protected:
    int_type underflow() override {
        if (given_) throw std::runtime_error("read failed");
        given_ = true;
        setg(text_.data(), text_.data(), text_.data() + text_.size());
        return traits_type::to_int_type(text_[0]);
    }

private:
    std::string text_;
    bool given_ = false;
};

TEST(NameList, AStreamThatFailsPartWayIsAnErrorNotAnEnd) {
    BreakingStream source("a.csv\nb.csv\n");
    std::istream list(&source);
    try {
        ReadNameList(list, "-");
        ADD_FAILURE() << "a list cut short was taken as whole";
    } catch (const InputReadError& error) {
        EXPECT_EQ(error.path(), "-");
        EXPECT_FALSE(std::string(error.what()).empty());
    }
}

// A capture whose evaluation fails ends the batch there: no file after it is
// started once it has failed. The files after it that a thread had already
// taken are held until the delivery has reached the failed file, which it can
// only once the failure is known; so at most one file per other thread is
// started beyond it.
TEST(EvaluateInOrder, NoFileIsStartedAfterAFailedOne) {
    constexpr std::size_t kFailing = 5;
    std::vector<std::string> paths;
    for (int i = 0; i < 200; ++i) paths.push_back(std::to_string(i));
    for (const int threads : {1, 2, 4}) {
        const std::size_t most = kFailing + static_cast<std::size_t>(threads);
        std::mutex mutex;
        std::condition_variable changed;
        std::size_t started = 0;
        bool reachedTheFailure = false;
        const MakeEvaluation make = [&] {
            return EvaluateCapture([&](const std::string& path) -> CaptureOutcome {
                const auto index = static_cast<std::size_t>(std::stoul(path));
                std::unique_lock lock(mutex);
                ++started;
                changed.notify_all();
                if (index == kFailing) throw std::runtime_error("Range check error");
                if (index > kFailing) {
                    changed.wait_for(lock, std::chrono::seconds(10),
                                     [&] { return reachedTheFailure || started > most; });
                }
                return CaptureOutcome{};
            });
        };
        std::vector<std::size_t> delivered;
        const DeliverOutcome deliver = [&](std::size_t index, CaptureOutcome&) {
            delivered.push_back(index);
            std::lock_guard lock(mutex);
            reachedTheFailure = index + 1 == kFailing;
            changed.notify_all();
        };
        EXPECT_THROW(EvaluateInOrder(paths, threads, make, deliver), std::runtime_error) << threads;
        EXPECT_EQ(delivered, (std::vector<std::size_t>{0, 1, 2, 3, 4})) << threads;
        EXPECT_LE(started, most) << threads << " threads";
    }
}

TEST(AtomicFile, AFolderAsTheTargetIsRefusedBeforeAnythingIsWritten) {
    testing::TempDir dir;
    fs::create_directory(dir.File("out.csv"));
    fs::create_symlink(dir.File("out.csv"), dir.File("link.csv"));
    for (const char* name : {"out.csv", "link.csv"}) {
        try {
            AtomicFile file(dir.File(name));
            ADD_FAILURE() << name << ": a folder taken as the target";
        } catch (const FileError& error) {
            EXPECT_STREQ(error.what(), kIsAFolder) << name;
        }
    }
    // Nothing beside the folder, nothing in it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
    EXPECT_TRUE(fs::is_empty(dir.File("out.csv")));
}

void SetModified(const std::string& path, long nanoseconds) {
    const struct timespec times[2] = {{1'700'000'000, 0}, {1'700'000'000, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Another program rewrites the target after it was copied, with as many bytes
// and within the same second: only the nanoseconds of its time tell, and the
// append must still be refused rather than lose what that program wrote.
TEST(AtomicFile, ARewriteOfTheSameSizeInTheSameSecondIsAChange) {
    testing::TempDir dir;
    const std::string target = dir.File("results.csv");
    testing::WriteText(target, "line 1\r\n");
    SetModified(target, 100);
    AtomicFile file(target);
    file.CopyTarget();
    file.Write("line 2\r\n");
    {
        std::ofstream rewrite(target, std::ios::binary | std::ios::in);  // same file, same inode
        rewrite << "LINE 1\r\n";
    }
    SetModified(target, 200);
    try {
        file.Commit();
        ADD_FAILURE() << "the other program's line was lost";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "The file was changed meanwhile");
    }
    EXPECT_EQ(testing::ReadText(target), "LINE 1\r\n");
}

}  // namespace
}  // namespace corvane::files
