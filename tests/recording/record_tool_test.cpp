// corvane-record as a user runs it: replays re-evaluated byte for byte, a
// second exported as a grab, bad input named, Ctrl+C and SIGTERM closing the
// folder, and SIGKILL at random moments never costing more than a second.

#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <thread>

#include "daq/engine_truth.h"
#include "engine_trace.h"
#include "files/capture_reader.h"
#include "performance/performance.h"
#include "recording/recording_reader.h"
#include "temp_dir.h"
#include "text/number_format.h"

extern char** environ;

namespace corvane::recording {
namespace {

using testing::ReadText;
using testing::RunIn;
using testing::TempDir;

constexpr long kRate = 1000;
const std::string kTool = CORVANE_RECORD_TOOL;

daq::EngineModel Engine() { return daq::EngineModel(daq::EngineParameters{}); }

void WriteTrace(const TempDir& dir, double seconds) {
    testing::WriteText(dir.File("trace.csv"),
                       testing::EngineVoltsCsv(Engine(), kRate, static_cast<std::uint64_t>(seconds * kRate)));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
        lines.push_back(text.substr(from, end - from));
    }
    return lines;
}

TEST(RecordTool, ReplaysATraceAndReEvaluatesTheRecordingToTheByte) {
    TempDir dir;
    WriteTrace(dir, 10);
    const auto first = RunIn(dir, kTool, "--replay trace.csv --fast -o run");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("run: 0:00:10  cycles "), std::string::npos) << first.out;
    const RecordingContents run = ReadRecording(dir.File("run"));
    EXPECT_EQ(run.scans, 10u * kRate);
    EXPECT_EQ(run.manifest.board, "replay of trace.csv");
    const double truthRpm = daq::GrabTruthOf(Engine()).rpm;
    EXPECT_NEAR(static_cast<double>(run.cycles.size()), 10 * truthRpm / 60, 2);
    ASSERT_EQ(run.events.size(), 2u);
    EXPECT_EQ(run.events[1].text, "stop");
    EXPECT_EQ(run.events[1].timeS, 10.0);

    const auto again = RunIn(dir, kTool, "--replay run --fast -o again --settings missing.ini");
    EXPECT_EQ(again.status, 2);  // a settings file that cannot be read
    const auto replayed = RunIn(dir, kTool, "--replay run --fast -o again --seconds 8");
    ASSERT_EQ(replayed.status, 0) << replayed.err;
    const std::string samples = ReadText(dir.File("run/samples.u16"));
    EXPECT_EQ(ReadText(dir.File("again/samples.u16")), samples.substr(0, 8 * kRate * 10));
    const auto cycles = Lines(ReadText(dir.File("run/cycles.csv")));
    const auto cyclesAgain = Lines(ReadText(dir.File("again/cycles.csv")));
    ASSERT_GE(cyclesAgain.size(), 60u);
    // The same cycles up to where the shorter run's last one waited for its next hole.
    EXPECT_TRUE(std::equal(cyclesAgain.begin(), cyclesAgain.end() - 1, cycles.begin()));
}

TEST(RecordTool, ExportsASecondAsAGrabTheAnalysisTakes) {
    TempDir dir;
    WriteTrace(dir, 4);
    ASSERT_EQ(RunIn(dir, kTool, "--replay trace.csv --fast -o run").status, 0);
    const auto exported = RunIn(dir, kTool, "--export run --at 2.5 -o grab.csv");
    ASSERT_EQ(exported.status, 0) << exported.err;
    analysis::CaptureRecord record;
    analysis::DiskTable disks(5);
    files::ReadCaptureData(files::OpenCaptureFile(dir.File("grab.csv")), record, disks);
    EXPECT_EQ(record.SampleCount, 2000);
    EXPECT_EQ(record.SamplePeriod, 0.001);
    EXPECT_NEAR(record.HiTemp, Engine().HighTemperatureK(), 0.25);
    const auto counts = testing::EngineScans(Engine(), kRate, 2500, 1);
    EXPECT_EQ(record.RawSamples[0], counts[0]);
    EXPECT_EQ(record.RawSamples[1], counts[1]);
    const auto figures = performance::AnalysePerformance(record, disks, text::PointComma());
    ASSERT_TRUE(figures.summary);
    EXPECT_NEAR(figures.summary->meanRpm, daq::GrabTruthOf(Engine()).rpm, 2.5);

    const auto beyond = RunIn(dir, kTool, "--export run --at 3.5 -o late.csv");
    EXPECT_EQ(beyond.status, 1);
    EXPECT_NE(beyond.err.find("run: holds no whole second from 3.500 s (it holds 4.000 s)"),
              std::string::npos)
        << beyond.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("late.csv")));
}

TEST(RecordTool, ABadReplayLineIsNamedAndWhatWasReadKept) {
    TempDir dir;
    std::string csv = testing::EngineVoltsCsv(Engine(), kRate, 1500);
    testing::WriteText(dir.File("bad.csv"), csv + "0.1,0.2,0.3,oops,0.5\n" + "0,0,0,0,0\n");
    const auto run = RunIn(dir, kTool, "--replay bad.csv --fast -o run");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("bad.csv: line 1502: 'oops' is not a number of volts"), std::string::npos)
        << run.err;
    const RecordingContents read = ReadRecording(dir.File("run"));
    EXPECT_EQ(read.scans, 1500u);
    EXPECT_GE(read.cycles.size(), 11u);
    EXPECT_EQ(read.events.back().text, "stop");
}

TEST(RecordTool, AWrongCommandLineRecordsNothing) {
    TempDir dir;
    WriteTrace(dir, 0.1);
    for (const char* arguments :
         {"--replay trace.csv", "--fast -o run", "--rate 500 -o run", "--export trace.csv -o x.csv",
          "--at 1 --replay trace.csv -o run", "--replay trace.csv -o run --seconds -1",
          "--replay trace.csv -o run --seconds nan", "--replay trace.csv -o run --rate 0",
          "--export run --at 1 --fast -o x.csv", "--replay trace.csv -o run extra"}) {
        SCOPED_TRACE(arguments);
        const auto run = RunIn(dir, kTool, arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("Usage: corvane-record"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("run")));
    }
    std::filesystem::create_directory(dir.File("full"));
    testing::WriteText(dir.File("full/notes.txt"), "mine");
    const auto taken = RunIn(dir, kTool, "--replay trace.csv -o full");
    EXPECT_EQ(taken.status, 1);
    EXPECT_NE(taken.err.find("full: already exists and is not an empty folder"), std::string::npos);
}

TEST(RecordTool, RecordsFromTheConfiguredBoard) {
    TempDir dir;
    const auto simulated = RunIn(dir, kTool, "-o live --seconds 1.5");
    ASSERT_EQ(simulated.status, 0) << simulated.err;
    const RecordingContents live = ReadRecording(dir.File("live"));
    EXPECT_EQ(live.scans, 1500u);
    EXPECT_EQ(live.manifest.board, "simulated");
    EXPECT_TRUE(live.manifest.simulated);
    EXPECT_GE(live.cycles.size(), 10u);

    testing::WriteText(dir.File("lab.ini"), "[DAQ]\nBoard=no-such-board\n");
    const auto absent = RunIn(dir, kTool, "-o absent --seconds 1 --settings lab.ini");
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.err.find("corvane-record: "), std::string::npos);
    const RecordingContents kept = ReadRecording(dir.File("absent"));
    EXPECT_EQ(kept.scans, 0u);
    EXPECT_FALSE(kept.manifest.simulated);
    EXPECT_EQ(kept.events[1].text.rfind("failed: ", 0), 0u) << kept.events[1].text;
}

pid_t Start(const TempDir& dir, const std::string& run) {
    const std::string trace = dir.File("trace.csv");
    const std::string folder = dir.File(run);
    const char* argv[] = {kTool.c_str(), "--replay", trace.c_str(), "-o", folder.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    // As from a terminal: a shell's background job would ignore SIGINT.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &stopSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int failed =
        posix_spawn(&pid, kTool.c_str(), &actions, &attributes, const_cast<char**>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    // Never a signal to a process group or to every process.
    if (failed != 0 || pid <= 0) throw std::runtime_error("corvane-record could not be started");
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(RecordTool, SigtermAndSigintCloseTheRecordingCleanly) {
    TempDir dir;
    WriteTrace(dir, 30);
    for (int signal : {SIGTERM, SIGINT}) {
        const std::string run = "run" + std::to_string(signal);
        const pid_t pid = Start(dir, run);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        ::kill(pid, signal);
        const int status = Wait(pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const RecordingContents read = ReadRecording(dir.File(run));
        EXPECT_EQ(read.manifest.scans, read.scans);
        EXPECT_GE(read.scans, 300u);
        EXPECT_LT(read.scans, 5000u) << signal << " " << ReadText(dir.File(run) + "/events.csv");
        EXPECT_EQ(read.events.back().text, "stop");
    }
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Twenty recordings in real time, each killed at a random moment: every
// folder opens, holds all but the last second, and what it holds is the
// uninterrupted recording's to the byte.
TEST(RecordTool, SigkillAtRandomMomentsCostsAtMostASecond) {
    TempDir dir;
    WriteTrace(dir, 6);
    ASSERT_EQ(RunIn(dir, kTool, "--replay trace.csv --fast -o whole").status, 0);
    const std::string samples = ReadText(dir.File("whole/samples.u16"));
    const std::string cycles = ReadText(dir.File("whole/cycles.csv"));

    std::mt19937 random(21);
    std::uniform_int_distribution<int> moment(0, 2500);
    struct Killed {
        pid_t pid;
        std::chrono::steady_clock::time_point started;
        int afterMs;
    };
    std::vector<Killed> runs;
    for (int i = 0; i < 20; ++i) {
        runs.push_back({Start(dir, "run" + std::to_string(i)), {}, moment(random)});
    }
    // Each killed at its moment of its recording, counted from when its folder
    // is there (however slowly the program starts, under a sanitizer too).
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::string manifest = dir.File("run" + std::to_string(i) + "/manifest.ini");
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!std::filesystem::exists(manifest) && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(std::filesystem::exists(manifest));
        runs[i].started = std::chrono::steady_clock::now();
    }
    std::vector<double> lived(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        std::this_thread::sleep_until(runs[i].started + std::chrono::milliseconds(runs[i].afterMs));
        ::kill(runs[i].pid, SIGKILL);
        lived[i] = std::chrono::duration<double>(std::chrono::steady_clock::now() - runs[i].started).count();
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE("run" + std::to_string(i) + " killed after " + std::to_string(lived[i]) + " s");
        EXPECT_TRUE(WIFSIGNALED(Wait(runs[i].pid)));
        const std::string folder = dir.File("run" + std::to_string(i));
        const RecordingContents read = ReadRecording(folder);
        // A quarter second for the stream to start after the folder is made.
        EXPECT_GE(static_cast<double>(read.scans) / kRate, lived[i] - 1.0 - 0.25);
        const std::string held = ReadText(folder + "/samples.u16");
        EXPECT_TRUE(StartsWith(samples, held.substr(0, read.scans * 10)));
        const std::string heldCycles = ReadText(folder + "/cycles.csv");
        EXPECT_TRUE(StartsWith(cycles, heldCycles.substr(0, heldCycles.rfind('\n') + 1)));
        ASSERT_FALSE(read.events.empty());
        EXPECT_EQ(read.events.front().text, "start");
    }
}

}  // namespace
}  // namespace corvane::recording
