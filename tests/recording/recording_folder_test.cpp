// The recording folder: what the writer leaves is what the reader gives back,
// a crash's torn tail is left out, and damage or a bad place is named.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "as_ordinary_user.h"
#include "recording/manifest.h"
#include "recording/recording_error.h"
#include "recording/recording_reader.h"
#include "recording/recording_writer.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

using testing::ReadText;
using testing::TempDir;

Manifest TwoChannels() {
    Manifest manifest;
    manifest.startUtc = "2026-12-08T19:30:00.250Z";
    manifest.format = {0, 1, 1000};
    manifest.board = "simulated";
    manifest.simulated = true;
    manifest.program = "corvane-record 0.1.0";
    manifest.disks = {{"100", "100", "0.125"}, {"", "", ""}};
    return manifest;
}

const CycleRow kCycle{1.25, 500.125, 12.5, 104.25, 295.5, 351.0, 4.0};

void WriteSmallRecording(const std::string& folder) {
    RecordingWriter writer(folder, TwoChannels());
    writer.AddEvent({0, "start"});
    const std::uint16_t counts[] = {0x0123, 0x0FFF, 2048, 0};
    writer.AddScans(counts);
    writer.AddLostScans(1);
    writer.AddEvent({0.002, "gap: 1 scans lost (0.001 s)"});
    writer.AddCycle(kCycle);
    writer.AddCycle({2.5, 499.0, 12.0, 100.0, {}, {}, {}});
    writer.AddEvent({0.003, "mark: load 2, \"brake\" on"});
    writer.Sync();
}

TEST(RecordingFolder, ReadsBackWhatWasWrittenByteForByte) {
    TempDir dir;
    const std::string folder = dir.File("run");
    WriteSmallRecording(folder);
    EXPECT_EQ(ReadText(folder + "/samples.u16"),
              std::string("\x23\x01\xFF\x0F\x00\x08\x00\x00\xFF\xFF\xFF\xFF", 12));
    EXPECT_EQ(ReadText(folder + "/cycles.csv"),
              "time_s,rpm,work_mj,indicated_power_mw,lo_temp_k,hi_temp_k,heater_power_w,steady\n"
              "1.2500,500.125,12.50000,104.2500,295.500,351.000,4.0000,0\n"
              "2.5000,499.000,12.00000,100.0000,,,,0\n");
    EXPECT_EQ(ReadText(folder + "/events.csv"),
              "time_s,text\n0.000,start\n0.002,gap: 1 scans lost (0.001 s)\n"
              "0.003,\"mark: load 2, \"\"brake\"\" on\"\n");

    const RecordingContents read = ReadRecording(folder);
    EXPECT_EQ(read.scans, 3u);
    EXPECT_EQ(read.manifest.scans, 3u);
    EXPECT_EQ(read.manifest.startUtc, "2026-12-08T19:30:00.250Z");
    EXPECT_EQ(read.manifest.format.rate, 1000);
    EXPECT_EQ(read.manifest.format.highChannel, 1);
    EXPECT_TRUE(read.manifest.simulated);
    ASSERT_EQ(read.cycles.size(), 2u);
    EXPECT_EQ(read.cycles[0].rpm, kCycle.rpm);
    EXPECT_EQ(read.cycles[0].heaterPowerW, kCycle.heaterPowerW);
    EXPECT_FALSE(read.cycles[1].loTempK);
    ASSERT_EQ(read.events.size(), 3u);
    EXPECT_EQ(read.events[2].text, "mark: load 2, \"brake\" on");
    const SampleFile samples(folder, read.manifest.format);
    EXPECT_EQ(samples.Read(1, 5), (std::vector<std::uint16_t>{0x0800, 0x0000, 0xFFFF, 0xFFFF}));
    EXPECT_TRUE(IsLostScan(samples.Read(2, 1)));
    EXPECT_FALSE(IsLostScan(samples.Read(1, 1)));
}

TEST(RecordingFolder, LeavesOutWhatACrashTore) {
    struct Tear {
        const char* file;
        std::string tail;
    };
    for (const Tear& tear : {Tear{"samples.u16", std::string("\x01\x02\x03", 3)},
                             Tear{"cycles.csv", "3.7500,501.0,12."},
                             Tear{"events.csv", "0.004,mar"}}) {
        SCOPED_TRACE(tear.file);
        TempDir dir;
        const std::string folder = dir.File("run");
        WriteSmallRecording(folder);
        const RecordingContents whole = ReadRecording(folder);
        {
            std::ofstream out(folder + "/" + tear.file, std::ios::app | std::ios::binary);
            out << tear.tail;
        }
        const RecordingContents torn = ReadRecording(folder);
        EXPECT_EQ(torn.scans, whole.scans);
        EXPECT_EQ(torn.cycles.size(), whole.cycles.size());
        EXPECT_EQ(torn.events.size(), whole.events.size());
    }
    // Torn right after it was made: only part of a header.
    TempDir dir;
    std::filesystem::create_directory(dir.File("run"));
    testing::WriteText(dir.File("run/manifest.ini"), ReadText([&] {
                           WriteSmallRecording(dir.File("whole"));
                           return dir.File("whole/manifest.ini");
                       }()));
    testing::WriteText(dir.File("run/samples.u16"), "");
    testing::WriteText(dir.File("run/cycles.csv"), "time_s,rpm,wo");
    testing::WriteText(dir.File("run/events.csv"), "");
    const RecordingContents fresh = ReadRecording(dir.File("run"));
    EXPECT_EQ(fresh.scans, 0u);
    EXPECT_TRUE(fresh.cycles.empty());
}

TEST(RecordingFolder, NamesWhatCannotBeRead) {
    struct Damage {
        const char* file;
        std::string text;
        const char* named;
    };
    for (const Damage& damage :
         {Damage{"cycles.csv", "time_s,rpm\n", "cycles.csv: line 1 is not the header"},
          Damage{"events.csv", "time_s,text\n0.000,start\nnonsense\n0.1,stop\n",
                 "events.csv: line 3 cannot be read"},
          Damage{"manifest.ini", "[Recording]\nformat=corvane-recording 1\nrate=fast\n",
                 "manifest.ini: rate=fast is not a number"},
          Damage{"manifest.ini", "[Other]\n", "manifest.ini: not a Corvane recording"}}) {
        SCOPED_TRACE(damage.file);
        TempDir dir;
        const std::string folder = dir.File("run");
        WriteSmallRecording(folder);
        testing::WriteText(folder + "/" + damage.file, damage.text);
        try {
            ReadRecording(folder);
            ADD_FAILURE() << "read";
        } catch (const RecordingError& error) {
            EXPECT_NE(std::string(error.what()).find(damage.named), std::string::npos)
                << error.what();
        }
    }
}

// While it lasts, no file may grow beyond `bytes` (a write past it fails).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = before_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit before_{};
    void (*oldSignal_)(int) = SIG_DFL;
};

// A folder by the recording's name always opens, however early the program
// dies: the recording takes the name only once its manifest is written.
// The manifest names every channel recorded, first to last, each with its
// conversion (a channel the engine does not use is plain volts), and every
// row of the disk table.
TEST(RecordingFolder, TheManifestDescribesEveryChannelRecorded) {
    const struct {
        int low, high;
        const char* section;
    } cases[] = {
        {1, 2,
         "[Channels]\n"
         "channel1=tachometer; volts = (count - 2048) / 204.8; a flywheel hole reads below 2 V\n"
         "channel2=low temperature; K = 100 x volts\n\n"},
        {4, 5, "[Channels]\nchannel4=high temperature; K = 100 x volts\nchannel5=volts\n\n"},
    };
    for (const auto& c : cases) {
        Manifest manifest = TwoChannels();
        manifest.format = {c.low, c.high, 1000};
        const std::string text = ManifestText(manifest);
        EXPECT_NE(text.find(c.section), std::string::npos) << text;
    }
    const std::string text = ManifestText(TwoChannels());
    EXPECT_NE(text.find("[Disks]\ndisk1=100;100;0.125\ndisk2=;;\n"), std::string::npos) << text;
}

// A line without a value in the manifest (a note written in by hand, even
// one that names a key) is passed over, as INI readers do.
TEST(RecordingFolder, AManifestLineWithoutAValueIsPassedOver) {
    std::string text = ManifestText(TwoChannels());
    text.insert(text.find('\n') + 1, "rate\nhigh_channel\n");
    const Manifest read = ParseManifest(text);
    EXPECT_EQ(read.format.rate, 1000);
    EXPECT_EQ(read.format.highChannel, 1);
}

TEST(RecordingFolder, HasItsNameOnlyOnceItOpens) {
    TempDir dir;
    {
        const FileSizeLimit noRoom(0);  // the manifest cannot be written
        EXPECT_THROW(RecordingWriter(dir.File("run"), TwoChannels()), RecordingError);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("run"))) << "a folder without its manifest";
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "nothing half-made is left beside";
    {
        RecordingWriter writer(dir.File("run/"), TwoChannels());
        EXPECT_EQ(writer.Folder(), dir.File("run"));
        EXPECT_EQ(ReadRecording(dir.File("run")).manifest.startUtc, TwoChannels().startUtc);
    }
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()),
                                       std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 1) << "only the recording";
}

TEST(RecordingFolder, NeverWritesOverAnythingOrWhereItMayNot) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("empty"));
    EXPECT_NO_THROW(RecordingWriter(dir.File("empty"), TwoChannels()));
    std::filesystem::create_directory(dir.File("full"));
    testing::WriteText(dir.File("full/old.txt"), "kept");
    EXPECT_THROW(RecordingWriter(dir.File("full"), TwoChannels()), RecordingError);
    EXPECT_EQ(ReadText(dir.File("full/old.txt")), "kept");
    EXPECT_THROW(RecordingWriter(dir.File("no/such/run"), TwoChannels()), RecordingError);

    std::filesystem::create_directory(dir.File("locked"));
    ::chmod(dir.File("locked").c_str(), 0555);
    const int outcome = testing::OutcomeAsOrdinaryUser([&] {
        try {
            RecordingWriter writer(dir.File("locked/run"), TwoChannels());
        } catch (const RecordingError& error) {
            return std::string(error.what()).ends_with("locked/run: File access denied") ? 0 : 1;
        }
        return 2;
    });
    EXPECT_EQ(outcome, 0);
}

}  // namespace
}  // namespace corvane::recording
