#include "files/capture_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>

#include "as_ordinary_user.h"
#include "files/file_error.h"
#include "synthetic_capture.h"
#include "temp_dir.h"
#include "text/errors.h"

namespace corvane::files {
namespace {

using analysis::CaptureRecord;
using analysis::DiskTable;

std::unique_ptr<CaptureRecord> Record(bool dyna, std::initializer_list<std::uint16_t> counts) {
    auto record = std::make_unique<CaptureRecord>();
    record->IsDyna = dyna;
    record->SamplePeriod = 0.001;
    int i = 0;
    for (auto c : counts) record->RawSamples[i++] = c;
    record->SampleCount = i;
    return record;
}

TEST(CaptureWriter, GrabExampleByteForByte) {
    auto record = Record(false, {2300, 2969, 2306, 2968, 2047, 2968});
    record->LoTemp = 295.25;
    record->HiTemp = 352.84;
    record->ResistorPower = 3.6;
    EXPECT_EQ(CaptureFileText(*record, DiskTable(5)),
              "grab\r\n"
              "Pressure, Tachometer, Low Temp, High Temp, Resistor Power\r\n"
              " 1.00000000000000E-0003, 1.23046875000000E+0000, "
              "4.49707031250000E+0000,295.3,352.8,3.6\r\n"
              " 2.00000000000000E-0003, 1.25976562500000E+0000, 4.49218750000000E+0000\r\n"
              " 3.00000000000000E-0003,-4.88281250000000E-0003, 4.49218750000000E+0000\r\n");
}

TEST(CaptureWriter, DynaExampleByteForByte) {
    auto record = Record(true, {2969, 2968, 2968, 2969, 2969, 2968});
    record->LoTemp = 296.1;
    record->HiTemp = 360.4;
    record->ResistorPower = 3.6;
    const DiskTable disks = {{"250", "100", "0.3125"},
                             {"120", "50", "0.0375"},
                             {"", "", ""},
                             {"", "", ""},
                             {"", "", ""}};
    EXPECT_EQ(CaptureFileText(*record, disks),
              "dyna\r\n"
              "Pressure, Tachometer, Low Temp, High Temp, Resistor Power, Flywheel Mass, Flywheel "
              "Diameter\r\n"
              " 1.00000000000000E-0003, 4.49707031250000E+0000,296.1,360.4,3.6,250, 100\r\n"
              " 2.00000000000000E-0003, 4.49218750000000E+0000, , , , 120, 50\r\n"
              " 3.00000000000000E-0003, 4.49218750000000E+0000, , , , , \r\n"
              " 4.00000000000000E-0003, 4.49707031250000E+0000, , , , , \r\n"
              " 5.00000000000000E-0003, 4.49707031250000E+0000, , , , , \r\n"
              " 6.00000000000000E-0003, 4.49218750000000E+0000\r\n");
}

TEST(CaptureWriter, MonitorValuesUseAPointAndNoGrouping) {
    struct Case {
        double lo, hi, power;
        const char* fields;
    };
    const Case cases[] = {
        {1234.56, 12345.0, 1234.5, ",1234.6,12345.0,1234.5\r\n"},
        {-0.04, 0.25, 0.0009, ",0.0,0.3,0\r\n"},
        {295.25, -3.0, 0.001, ",295.3,-3.0,0.0\r\n"},
    };
    for (const auto& c : cases) {
        auto record = Record(false, {2048, 2048});
        record->LoTemp = c.lo;
        record->HiTemp = c.hi;
        record->ResistorPower = c.power;
        const std::string text = CaptureFileText(*record, {});
        EXPECT_EQ(text.substr(text.size() - std::string(c.fields).size()), c.fields);
    }
}

TEST(CaptureWriter, DiskRowsOnlyAsFarAsTheDataLines) {
    auto record = Record(true, {2048, 2048});
    const DiskTable disks(5, {"1", "2", "3"});
    EXPECT_EQ(CaptureFileText(*record, disks),
              std::string("dyna\r\n") + kDynaCaption + "\r\n" +
                  " 1.00000000000000E-0003, 0.00000000000000E+0000,0.0,0.0,0,1, 2\r\n"
                  " 2.00000000000000E-0003, 0.00000000000000E+0000, , , , 1, 2\r\n");
}

TEST(CaptureWriter, EmptyCaptureWritesTheHeaderLines) {
    EXPECT_EQ(CaptureFileText(*Record(false, {}), {}),
              std::string("grab\r\n") + kGrabCaption + "\r\n");
    EXPECT_EQ(CaptureFileText(*Record(true, {}), DiskTable(5)),
              std::string("dyna\r\n") + kDynaCaption + "\r\n");
}

TEST(CaptureWriter, SampleCountBeyondTheTableIsARangeError) {
    auto record = Record(false, {});
    record->SampleCount = analysis::kRawCapacity + 1;
    EXPECT_THROW(CaptureFileText(*record, {}), RangeError);
}

TEST(WriteCaptureFile, ReplacesTheTargetOnlyWhenComplete) {
    testing::TempDir dir;
    const std::string target = dir.File("run.CSV");
    testing::WriteText(target, "precious");
    auto record = testing::MakeGrab({}, 1000);
    // A file size limit makes the write fail part-way, as a full disk would.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    try {
        WriteCaptureFile(target, *record, DiskTable(5));
    } catch (const FileError& error) {
        message = error.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(message, "Disk full");
    EXPECT_EQ(testing::ReadText(target), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left behind";

    WriteCaptureFile(target, *record, DiskTable(5));
    EXPECT_EQ(testing::ReadText(target), CaptureFileText(*record, DiskTable(5)));
}

TEST(WriteCaptureFile, UnwritablePlacesGivePlainTexts) {
    testing::TempDir dir;
    auto record = Record(false, {2048, 2048});
    auto messageFor = [&](const std::string& path) {
        try {
            WriteCaptureFile(path, *record, {});
        } catch (const FileError& error) {
            return std::string(error.what());
        }
        return std::string("(written)");
    };
    EXPECT_EQ(messageFor(dir.File("no/such/folder/x.CSV")), "Path not found");
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(messageFor(dir.File("folder")), "File access denied: it is a folder");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
}

// A read-only capture file is refused as the platform refuses to open it for
// writing, although the temporary file beside it could replace it.
TEST(WriteCaptureFile, ReadOnlyTargetIsAccessDenied) {
    testing::TempDir dir;
    const std::string target = dir.File("kept.CSV");
    testing::WriteText(target, "precious");
    ::chmod(target.c_str(), 0444);
    ::chmod(dir.path().c_str(), 0777);
    auto record = Record(false, {2048, 2048});
    const int outcome = testing::OutcomeAsOrdinaryUser([&] {
        try {
            WriteCaptureFile(target, *record, {});
        } catch (const FileError& error) {
            return std::string(error.what()) == "File access denied" ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(outcome, 0) << "1: written, 2: another error, 3: no user switch";
    EXPECT_EQ(testing::ReadText(target), "precious");
}

}  // namespace
}  // namespace corvane::files
