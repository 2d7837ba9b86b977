// corvane-batch at its edges: outputs that are inputs or no ordinary files,
// lists of names ending in NUL, runs side by side and runs interrupted.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "files/batch.h"
#include "files/capture_writer.h"
#include "synthetic_capture.h"
#include "temp_dir.h"

namespace corvane::files {
namespace {

namespace fs = std::filesystem;
using testing::ToolRun;

const std::string kTool = "'" + std::string(CORVANE_BATCH_TOOL) + "'";

ToolRun RunTool(const testing::TempDir& dir, const std::string& arguments) {
    return testing::RunIn(dir, kTool, arguments);
}

int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class BatchToolEdges : public ::testing::Test {
protected:
    void SetUp() override {
        WriteCaptureFile(dir.File("g.CSV"), *testing::MakeGrab({}, 1000), analysis::DiskTable(5));
        fs::create_directory(dir.File("f"));
        for (const char* name : {"a.csv", "b.csv", "c.csv"})
            fs::copy_file(dir.File("g.CSV"), dir.File(std::string("f/") + name));
    }
    // The temporary files in the folder, in name order, each with a blank after it.
    std::string Temporaries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (entry.path().filename().string().find(".tmp-") != std::string::npos)
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        std::string found;
        for (const std::string& name : names) found += name + " ";
        return found;
    }
    testing::TempDir dir;
};

// Two runs adding to one results file at once: every line of both, or the
// second refused with exit 1; never a line lost while both say 0.
TEST_F(BatchToolEdges, AppendersSideBySideLoseNoLine) {
    const std::string run = kTool + " -j1 --append -o r.CSV g.CSV g.CSV g.CSV g.CSV";
    for (int trial = 0; trial < 20; ++trial) {
        fs::remove(dir.File("r.CSV"));
        const std::string both = "cd '" + dir.path().string() + "' && { (" + run +
                                 " 2>e1; echo $? >s1) & (" + run + " 2>e2; echo $? >s2) & wait; }";
        ASSERT_EQ(std::system(("sh -c \"" + both + "\"").c_str()), 0);
        int expected = 1;
        for (const char* status : {"s1", "s2"}) {
            const std::string code = testing::ReadText(dir.File(status));
            ASSERT_TRUE(code == "0\n" || code == "1\n") << code;
            if (code == "0\n") expected += 4;
        }
        EXPECT_EQ(Lines(testing::ReadText(dir.File("r.CSV"))), expected) << "trial " << trial;
    }
    EXPECT_EQ(Temporaries(), "");
}

// An output that is one of a folder's captures is refused before anything is
// written; the results of an earlier run in the folder are still left out.
TEST_F(BatchToolEdges, AnOutputAmongAFoldersCapturesIsRefused) {
    const std::string capture = testing::ReadText(dir.File("f/b.csv"));
    for (const char* arguments : {"-o f/b.csv f/", "-r -o f/b.csv f", "--details f/b.csv f/",
                                  "-o r.CSV --details f/b.csv -r f"}) {
        const ToolRun run = RunTool(dir, arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("is also one of the files to be evaluated"), std::string::npos)
            << run.err;
        EXPECT_EQ(testing::ReadText(dir.File("f/b.csv")), capture) << arguments;
        EXPECT_FALSE(fs::exists(dir.File("r.CSV"))) << arguments;
    }
    for (int again = 0; again < 2; ++again) {
        const ToolRun run = RunTool(dir, "-o f/results.csv --details f/details.csv f/");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Lines(testing::ReadText(dir.File("f/results.csv"))), 4);
    }
}

// A list of names (--files-from) is an input like a capture.
TEST_F(BatchToolEdges, AnOutputThatIsTheListOfNamesIsRefused) {
    testing::WriteText(dir.File("list.txt"), "g.CSV\n");
    for (const char* arguments :
         {"-o list.txt --files-from list.txt", "--details ./list.txt --files-from list.txt"}) {
        const ToolRun run = RunTool(dir, arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("is also a list of names (--files-from)"), std::string::npos)
            << run.err;
        EXPECT_EQ(testing::ReadText(dir.File("list.txt")), "g.CSV\n");
    }
}

TEST_F(BatchToolEdges, NulSeparatedListsNeedTheirOption) {
    fs::copy_file(dir.File("g.CSV"), dir.File("h.CSV"));
    testing::WriteText(dir.File("nul.txt"), std::string("g.CSV\0h.CSV\0g.CSV\0", 18));
    const ToolRun separated = RunTool(dir, "-0 --files-from - < nul.txt");
    EXPECT_EQ(separated.status, 0) << separated.err;
    EXPECT_EQ(Lines(separated.out), 4);
    EXPECT_NE(separated.out.find("\nh.CSV, "), std::string::npos);
    EXPECT_EQ(RunTool(dir, "--null --files-from nul.txt").out, separated.out);

    for (const char* list : {"--files-from - < nul.txt", "--files-from nul.txt"}) {
        const ToolRun run = RunTool(dir, list);
        EXPECT_EQ(run.status, 2) << list;
        EXPECT_NE(run.err.find(": line 1 holds a NUL character"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

// A pipe or device is written where it is (never replaced by a file); a
// folder is named as one.
TEST_F(BatchToolEdges, OutputsThatAreNoOrdinaryFiles) {
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    const std::string pipe = "'" + dir.File("pipe") + "'";
    testing::RunIn(dir, "timeout 20 " + kTool, "-o pipe g.CSV & timeout 20 cat " + pipe + " >" + pipe + ".got; wait");
    fs::rename(dir.File("pipe.got"), dir.File("got"));
    EXPECT_EQ(testing::ReadText(dir.File("got")).substr(0, 6), "File, ");
    EXPECT_EQ(Lines(testing::ReadText(dir.File("got"))), 2);
    EXPECT_TRUE(fs::is_fifo(dir.File("pipe")));

    const std::string devices = "cd '" + dir.path().string() + "' && { " + kTool +
                                " -o /dev/null --details /dev/stdout g.CSV 2>errors; echo $? "
                                ">status; } | cat >details";
    ASSERT_EQ(std::system(devices.c_str()), 0);
    EXPECT_EQ(testing::ReadText(dir.File("details")).substr(0, 10), "file,kind,");
    EXPECT_EQ(testing::ReadText(dir.File("errors")), "");
    EXPECT_EQ(testing::ReadText(dir.File("status")), "0\n");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    const ToolRun full = RunTool(dir, "-o /dev/full g.CSV");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "/dev/full: Disk full; the file was left as it was\n");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    const ToolRun folder = RunTool(dir, "-o f g.CSV");
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, "f: File access denied: it is a folder; the file was left as it was\n");
    EXPECT_EQ(Temporaries(), "");
}

// A new file made only so that appenders take turns is gone again when the
// batch is refused before writing it.
TEST_F(BatchToolEdges, ARefusedAppendLeavesNoNewFile) {
    testing::WriteText(dir.File("other.csv"), "not details\r\n");
    const ToolRun run = RunTool(dir, "--append -o new.CSV --details other.csv g.CSV");
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_FALSE(fs::exists(dir.File("new.CSV")));
    EXPECT_EQ(Temporaries(), "");
}

// A pipe given as a capture would be waited on for ever.
TEST_F(BatchToolEdges, APipeGivenAsACaptureIsRefusedAtOnce) {
    ASSERT_EQ(::mkfifo(dir.File("pipe.CSV").c_str(), 0600), 0);
    const ToolRun run = testing::RunIn(dir, "timeout 20 " + kTool, "g.CSV pipe.CSV");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')),
              "pipe.CSV: Not a file but a pipe or device: nothing was read");
}

// A run killed outright leaves its temporary file; the next run removes it,
// but not one a running program holds, nor another file's.
TEST_F(BatchToolEdges, LeftoversOfKilledRunsGoAndOnlyThose) {
    for (const char* name :
         {"r.CSV.tmp-dead0000", "r.CSV.tmp-live0000", "r.CSV.tmp-short", "x.CSV.tmp-dead0000"})
        testing::WriteText(dir.File(name), "partial");
    const int live = ::open(dir.File("r.CSV.tmp-live0000").c_str(), O_WRONLY);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(live, F_SETLK, &lock), 0);
    EXPECT_EQ(RunTool(dir, "-o r.CSV g.CSV").status, 0);
    ::close(live);
    EXPECT_EQ(Temporaries(), "r.CSV.tmp-live0000 r.CSV.tmp-short x.CSV.tmp-dead0000 ");
}

// Ctrl+C, kill and a closed terminal: the run ends by the signal and leaves
// no temporary file.
TEST_F(BatchToolEdges, InterruptedRunsLeaveNoTemporaryFile) {
    std::string list;
    for (int i = 0; i < 4000; ++i) list += "g.CSV\n";
    testing::WriteText(dir.File("many.txt"), list);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string command = "cd '" + dir.path().string() + "' && exec " + kTool +
                                    " -j1 -o r.CSV --details d.CSV --files-from many.txt";
        const pid_t child = ::fork();
        if (child == 0) ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr), ::_exit(127);
        for (int wait = 0; wait < 500 && Temporaries().find("d.CSV.tmp-") == std::string::npos;
             ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_NE(Temporaries(), "") << "the run made no temporary file";
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(Temporaries(), "") << signal;
        EXPECT_FALSE(fs::exists(dir.File("r.CSV")));
    }
}

// Disks too heavy to calculate with leave a dyna's Power and Torque empty:
// the user is told why.
TEST_F(BatchToolEdges, ADynaWithoutPowerSaysWhy) {
    const analysis::DiskTable huge = {
        {"1e300", "1e300", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}};
    WriteCaptureFile(dir.File("huge.CSV"), *testing::MakeDyna({.startRpm = 200, .endRpm = 400}),
                     huge);
    const ToolRun run = RunTool(dir, "huge.CSV");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("huge.CSV, 295.3, 352.8, , , , \r\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "huge.CSV: Power and Torque left empty: the disk table gives no moment of "
                       "inertia that can be calculated (check each disk's mass and diameter)\n");
}

}  // namespace
}  // namespace corvane::files
