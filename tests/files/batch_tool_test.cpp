// corvane-batch end to end, on capture files written by the exporter.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "analysis/analyse_capture.h"
#include "files/batch.h"
#include "files/capture_import.h"
#include "files/capture_writer.h"
#include "performance/details_csv.h"
#include "performance/performance.h"
#include "synthetic_capture.h"
#include "temp_dir.h"
#include "text/number_format.h"

namespace corvane::files {
namespace {

using analysis::CaptureRecord;
using analysis::DiskTable;

using testing::ToolRun;

ToolRun RunTool(const testing::TempDir& dir, const std::string& arguments) {
    return testing::RunIn(dir, "'" + std::string(CORVANE_BATCH_TOOL) + "'", arguments);
}

// The results line the window would write for this capture, from an analysis
// of the record in memory (no file in between).
std::string ExpectedLine(const std::string& name, CaptureRecord record, const DiskTable& disks) {
    analysis::AnalysisInputs inputs;
    inputs.disks = disks;
    inputs.format = text::PointComma();
    const auto result = analysis::AnalyseCapture(record, inputs);
    ResultsColumn column;
    for (int row = 0; row < 8; ++row) column[row] = result.table[row][1];
    return BatchLine(name, column) + "\r\n";
}

// What follows the kind on the line of a capture without figures.
// Twelve figures and their seven uncertainties, all empty.
const std::string kNoFigures = std::string(25, ',') + "\r\n";

// The details line of a capture file, from the engine-performance analysis of
// the file as the window imports it.
std::string ExpectedDetails(const testing::TempDir& dir, const std::string& name,
                            DiskTable disks = DiskTable(5),
                            const performance::BenchSettings& bench = {}) {
    auto record = std::make_unique<CaptureRecord>();
    ImportCaptureFile(dir.File(name), *record, disks, [](CaptureKind kind, CaptureRecord& working) {
        working.IsDyna = kind == CaptureKind::Dyna;
        working.SamplePeriod = working.IsDyna ? kDynaSamplePeriod : kGrabSamplePeriod;
    });
    const performance::PerformanceResult result =
        performance::AnalysePerformance(*record, disks, text::PointComma(), bench);
    return performance::DetailsLine(name, record->IsDyna, &result);
}

class BatchTool : public ::testing::Test {
protected:
    void SetUp() override {
        grab300 = testing::MakeGrab({.startRpm = 300, .endRpm = 300}, 1000);
        grab400 = testing::MakeGrab({.startRpm = 400, .endRpm = 400, .hiTemp = 1234.5}, 1000);
        dyna = testing::MakeDyna({.startRpm = 200, .endRpm = 400}, 4000);
        WriteCaptureFile(dir.File("grab300.CSV"), *grab300, DiskTable(5));
        WriteCaptureFile(dir.File("grab400.CSV"), *grab400, DiskTable(5));
        WriteCaptureFile(dir.File("accel.CSV"), *dyna, fileDisks);
        WriteCaptureFile(dir.File("nodisks.CSV"), *dyna, DiskTable(5));
        testing::WriteText(dir.File("bad.CSV"), "Grab\r\n");
        testing::WriteText(dir.File("settings.INI"),
                           "[Flywheel1]\r\nMass=200\r\nDiam=100\r\nMI=\r\n");
    }
    testing::TempDir dir;
    std::unique_ptr<CaptureRecord> grab300, grab400, dyna;
    const DiskTable fileDisks = {
        {"250", "100", ""}, {"120", "50", ""}, {"", "", ""}, {"", "", ""}, {"", "", ""}};
};

TEST_F(BatchTool, ResultsFileByteForByte) {
    const ToolRun run =
        RunTool(dir, "-o results.CSV --settings settings.INI grab300.CSV accel.CSV grab400.CSV");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // The disk table after the dyna import: its rows from the file, column 2 as loaded.
    const DiskTable afterDyna = {{"250", " 100", "0.25"},
                                 {" 120", " 50", ""},
                                 {" ", " ", ""},
                                 {" ", " ", ""},
                                 {" ", " ", ""}};
    const std::string expected = std::string(kBatchHeader) + "\r\n" +
                                 ExpectedLine("grab300.CSV", *grab300, DiskTable(5)) +
                                 ExpectedLine("accel.CSV", *dyna, afterDyna) +
                                 ExpectedLine("grab400.CSV", *grab400, DiskTable(5));
    EXPECT_EQ(testing::ReadText(dir.File("results.CSV")), expected);
    // Independent anchors: temperatures and speeds the simulated engine was given.
    EXPECT_NE(expected.find("grab300.CSV, 295.3, 352.8, 300.0, "), std::string::npos);
    EXPECT_NE(expected.find("grab400.CSV, 295.3, 1234.5, 400.0, "), std::string::npos);
    EXPECT_NE(expected.find("accel.CSV, 295.3, 352.8, , , "), std::string::npos);
}

// Run with its standard input closed (as from some schedulers), the files it
// opens get the lowest descriptor, 0: they are read and written as any other.
TEST_F(BatchTool, WorksWithItsStandardInputClosed) {
    const ToolRun open = RunTool(dir, "-o open.CSV grab300.CSV accel.CSV");
    ASSERT_EQ(open.status, 0) << open.err;
    const ToolRun closed = RunTool(dir, "-o closed.CSV grab300.CSV accel.CSV <&-");
    EXPECT_EQ(closed.status, 0) << closed.err;
    EXPECT_EQ(closed.err, "");
    EXPECT_EQ(testing::ReadText(dir.File("closed.CSV")), testing::ReadText(dir.File("open.CSV")));
}

TEST_F(BatchTool, StandardOutputWithoutResultsOption) {
    const ToolRun run = RunTool(dir, "grab300.CSV");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string(kBatchHeader) + "\r\n" +
                           ExpectedLine("grab300.CSV", *grab300, DiskTable(5)));
    EXPECT_EQ(RunTool(dir, "-o - grab300.CSV").out, run.out);
}

TEST_F(BatchTool, FailedImportStopsWithExitOne) {
    const ToolRun run = RunTool(dir, "-o r.CSV grab300.CSV bad.CSV grab400.CSV");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "bad.CSV: Input file is neither \"grab\" nor \"dyna\"!\n"
              "r.CSV: holds the results of 1 capture file; the batch stopped at bad.CSV\n");
    EXPECT_EQ(
        testing::ReadText(dir.File("r.CSV")),
        std::string(kBatchHeader) + "\r\n" + ExpectedLine("grab300.CSV", *grab300, DiskTable(5)));

    const ToolRun missing = RunTool(dir, "-o new.CSV nothere.CSV");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "nothere.CSV: File not found\n"
              "new.CSV: holds the results of 0 capture files; the batch stopped at nothere.CSV\n");
    EXPECT_EQ(testing::ReadText(dir.File("new.CSV")), std::string(kBatchHeader) + "\r\n");
}

// The results of an earlier run are not destroyed by a run that evaluated
// nothing: a typing error in a capture's name costs nothing.
TEST_F(BatchTool, AFailingBatchLeavesThePreviousResultsFile) {
    ASSERT_EQ(RunTool(dir, "-o old.CSV grab300.CSV grab400.CSV").status, 0);
    const std::string before = testing::ReadText(dir.File("old.CSV"));
    for (const char* captures : {"missing.CSV", "bad.CSV grab300.CSV"}) {
        const ToolRun run = RunTool(dir, std::string("-o old.CSV ") + captures);
        EXPECT_EQ(run.status, 1) << captures;
        EXPECT_NE(run.err.find("old.CSV: was left as it was: no capture file was evaluated\n"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(testing::ReadText(dir.File("old.CSV")), before) << captures;
    }
}

TEST_F(BatchTool, AnalysisRangeErrorStopsTheBatch) {
    // 4001 dyna samples read in full, but the tachometer trace holds 4000.
    WriteCaptureFile(dir.File("long.CSV"), *testing::MakeDyna({}, 4001), DiskTable(5));
    const ToolRun run = RunTool(dir, "-o r.CSV grab300.CSV long.CSV grab400.CSV");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "long.CSV: Range check error\n"
              "r.CSV: holds the results of 1 capture file; the batch stopped at long.CSV\n");
    EXPECT_EQ(
        testing::ReadText(dir.File("r.CSV")),
        std::string(kBatchHeader) + "\r\n" + ExpectedLine("grab300.CSV", *grab300, DiskTable(5)));
}

// Every line describes its own capture: a file without data lines shows the
// fresh record's 0.0, not the temperatures of the file before it.
TEST_F(BatchTool, EachLineDescribesItsOwnCapture) {
    testing::WriteText(dir.File("empty.CSV"), "grab\r\nPressure\r\n");
    const ToolRun run = RunTool(dir, "empty.CSV grab400.CSV empty.CSV");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string(kBatchHeader) + "\r\nempty.CSV, 0.0, 0.0, , , , \r\n" +
                           ExpectedLine("grab400.CSV", *grab400, DiskTable(5)) +
                           "empty.CSV, 0.0, 0.0, , , , \r\n");
}

// A CR LF in a capture's name would add a forged line to the results file.
TEST_F(BatchTool, ControlCharactersInANameCannotForgeALine) {
    const std::string evil = "evil\r\nforged, 1, 2, 3, 4, 5, 6\r\n.CSV";
    WriteCaptureFile(dir.File(evil), *grab300, DiskTable(5));
    const ToolRun run =
        RunTool(dir, "-o r.CSV \"$(printf 'evil\\r\\nforged, 1, 2, 3, 4, 5, 6\\r\\n.CSV')\"");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string text = testing::ReadText(dir.File("r.CSV"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(text.substr(text.find("\r\n") + 2, 33), "evil??forged, 1, 2, 3, 4, 5, 6??.");
}

TEST_F(BatchTool, DynamometerAdviceGoesToStandardError) {
    const ToolRun run = RunTool(dir, "-o r.CSV nodisks.CSV grab300.CSV");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "nodisks.CSV: Please consult Help for proper Dynamometer methodology\n");
    EXPECT_NE(
        testing::ReadText(dir.File("r.CSV")).find("nodisks.CSV, 295.3, 352.8, , , 0, 0.00\r\n"),
        std::string::npos);
}

TEST_F(BatchTool, UsageErrorsExitTwo) {
    const std::string before = testing::ReadText(dir.File("grab300.CSV"));
    for (const std::string arguments :
         {"", "-o r.CSV", "--frobnicate grab300.CSV", "-o grab300.CSV grab400.CSV grab300.CSV",
          "-o ./sub/../grab300.CSV grab300.CSV"}) {
        const ToolRun run = RunTool(dir, arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("Usage: corvane-batch"), std::string::npos) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
    }
    EXPECT_EQ(testing::ReadText(dir.File("grab300.CSV")), before);
    const ToolRun help = RunTool(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage:"), std::string::npos);
}

// The settings file is an input like the captures: results never overwrite it,
// however it is named.
TEST_F(BatchTool, TheSettingsFileIsNeverOverwrittenWithResults) {
    const std::string before = testing::ReadText(dir.File("settings.INI"));
    std::filesystem::create_symlink("settings.INI", dir.File("link.INI"));
    for (const std::string arguments : {"--settings settings.INI -o settings.INI grab300.CSV",
                                        "--settings settings.INI -o ./settings.INI grab300.CSV",
                                        "--settings link.INI -o settings.INI grab300.CSV",
                                        "-o link.INI --settings settings.INI grab300.CSV"}) {
        const ToolRun run = RunTool(dir, arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("is also the settings file"), std::string::npos) << run.err;
        EXPECT_EQ(testing::ReadText(dir.File("settings.INI")), before) << arguments;
    }
}

// A settings file named on the command line that cannot be read would give
// every dyna a table without disks: power and torque 0, exit 0.
TEST_F(BatchTool, ASettingsFileThatCannotBeReadIsAnError) {
    std::filesystem::create_directory(dir.File("folder.INI"));
    testing::WriteText(dir.File("cut.INI"), std::string("[Flywheel1]\r\nMass=20\0\0\0", 23));
    struct Case {
        const char* settings;
        const char* message;
    };
    const Case cases[] = {
        {"missing.INI", "missing.INI: File not found\n"},
        {"folder.INI", "folder.INI: File access denied\n"},
        {"cut.INI", "cut.INI: could not be read whole: line 2 holds a NUL byte\n"},
    };
    for (const Case& c : cases) {
        for (const char* output : {"-o r.CSV ", ""}) {
            const ToolRun run =
                RunTool(dir, std::string(output) + "--settings " + c.settings + " accel.CSV");
            EXPECT_EQ(run.status, 2) << c.settings;
            EXPECT_EQ(run.err, c.message);
            EXPECT_EQ(run.out, "") << "nothing evaluated";
            EXPECT_FALSE(std::filesystem::exists(dir.File("r.CSV"))) << "nothing written";
        }
    }
}

// An archive evaluated by folder, by list or by list on standard input gives
// the results file the names in the same order give.
TEST_F(BatchTool, FoldersAndListsTakeAnyNumberOfFiles) {
    namespace fs = std::filesystem;
    fs::create_directories(dir.File("archive/2-later"));
    fs::copy_file(dir.File("grab300.CSV"), dir.File("archive/1-grab300.CSV"));
    fs::copy_file(dir.File("accel.CSV"), dir.File("archive/2-later/accel.csv"));
    fs::copy_file(dir.File("grab400.CSV"), dir.File("archive/3-grab400.csv"));
    testing::WriteText(dir.File("archive/notes.txt"), "not a capture");
    testing::WriteText(dir.File("list.txt"),
                       "archive/1-grab300.CSV\r\narchive/2-later/accel.csv\r\n\r\n"
                       "archive/3-grab400.csv\r\n");
    const ToolRun named = RunTool(
        dir, "-o named.CSV archive/1-grab300.CSV archive/2-later/accel.csv archive/3-grab400.csv");
    ASSERT_EQ(named.status, 0) << named.err;
    const std::string expected = testing::ReadText(dir.File("named.CSV"));
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 4);
    for (const std::string arguments :
         {"-r -o archive/r.CSV archive", "-o archive/r.CSV --files-from list.txt",
          "-o archive/r.CSV --files-from - < list.txt", "-o archive/r.CSV -j 1 -r archive/"}) {
        // The results file of an earlier run lies in the archive: it is left out.
        const ToolRun run = RunTool(dir, arguments);
        EXPECT_EQ(run.status, 0) << arguments << ": " << run.err;
        EXPECT_EQ(testing::ReadText(dir.File("archive/r.CSV")), expected) << arguments;
    }
    // Without -r a folder's sub-folders stay out.
    ASSERT_EQ(RunTool(dir, "archive").out, std::string(kBatchHeader) + "\r\n" +
                                               ExpectedLine("1-grab300.CSV", *grab300, {}) +
                                               ExpectedLine("3-grab400.csv", *grab400, {}));

    // More names than a command line holds (2.5 MB of them).
    const std::string deep = std::string(200, 'd');
    fs::create_directories(dir.File(deep));
    testing::WriteText(dir.File(deep + "/empty.CSV"), "grab\r\nPressure\r\n");
    std::string list;
    for (int i = 0; i < 12000; ++i) list += deep + "/empty.CSV\n";
    testing::WriteText(dir.File("long.txt"), list);
    const ToolRun many = RunTool(dir, "--files-from long.txt -o many.CSV");
    EXPECT_EQ(many.status, 0) << many.err;
    const std::string text = testing::ReadText(dir.File("many.CSV"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12001);

    const ToolRun nothing = RunTool(dir, "-o r.CSV archive/2-later/empty-folder-name");
    EXPECT_EQ(nothing.status, 1) << "a name that is no folder is a capture file that fails";
    fs::create_directory(dir.File("void"));
    const ToolRun none = RunTool(dir, "-o r.CSV void");
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no capture file to evaluate"), std::string::npos) << none.err;
    const ToolRun noList = RunTool(dir, "--files-from missing.txt");
    EXPECT_EQ(noList.status, 2);
    EXPECT_EQ(noList.err, "missing.txt: File not found\n");
}

// The same results file, messages and exit status on any number of threads,
// for a batch that runs through and one that stops at a failing capture.
TEST_F(BatchTool, EveryNumberOfThreadsGivesTheSameBatch) {
    // Eleven captures, twice as many as the most threads asked for.
    std::string names;
    for (int i = 0; i < 6; ++i) names += i % 5 == 2 ? " nodisks.CSV" : " grab300.CSV accel.CSV";
    for (const std::string& batch : {names, names + " bad.CSV" + names, " --details d.CSV" + names,
                                     " --details d.CSV" + names + " bad.CSV" + names}) {
        const std::string captures = batch;
        std::filesystem::remove(dir.File("r.CSV"));
        std::filesystem::remove(dir.File("d.CSV"));
        const ToolRun one = RunTool(dir, "-j 1 -o r.CSV" + captures);
        const std::string results = testing::ReadText(dir.File("r.CSV"));
        const std::string details = testing::ReadText(dir.File("d.CSV"));
        const std::string printed = RunTool(dir, "-j 1" + captures).out;
        EXPECT_NE(one.err.find("nodisks.CSV: Please consult Help"), std::string::npos);
        for (const char* threads : {"-j 2", "-j 5", ""}) {
            std::filesystem::remove(dir.File("r.CSV"));
            std::filesystem::remove(dir.File("d.CSV"));
            const ToolRun many = RunTool(dir, std::string(threads) + " -o r.CSV" + captures);
            EXPECT_EQ(many.status, one.status) << threads;
            EXPECT_EQ(many.err, one.err) << threads;
            EXPECT_EQ(testing::ReadText(dir.File("r.CSV")), results) << threads;
            EXPECT_EQ(testing::ReadText(dir.File("d.CSV")), details) << threads;
            EXPECT_EQ(RunTool(dir, std::string(threads) + captures).out, printed) << threads;
        }
    }
    EXPECT_EQ(RunTool(dir, "-j 0 grab300.CSV").status, 2);
}

// xargs runs the tool once per chunk of names: with --append the chunks add up
// to the batch one run gives, header once.
TEST_F(BatchTool, AppendedChunksAddUpToOneBatch) {
    const std::string captures = "grab300.CSV accel.CSV grab400.CSV nodisks.CSV grab300.CSV";
    ASSERT_EQ(RunTool(dir, "-o whole.CSV --details wholeD.CSV " + captures).status, 0);
    const ToolRun chunked =
        RunTool(dir, "-o chunked.CSV --append --details chunkedD.CSV grab300.CSV accel.CSV && '" +
                         std::string(CORVANE_BATCH_TOOL) +
                         "' --append -o chunked.CSV --details chunkedD.CSV grab400.CSV "
                         "nodisks.CSV grab300.CSV");
    EXPECT_EQ(chunked.status, 0) << chunked.err;
    EXPECT_EQ(testing::ReadText(dir.File("chunked.CSV")), testing::ReadText(dir.File("whole.CSV")));
    EXPECT_EQ(testing::ReadText(dir.File("chunkedD.CSV")),
              testing::ReadText(dir.File("wholeD.CSV")));

    // A chunk that fails adds the lines before its failing capture to both, and says so.
    const std::string before = testing::ReadText(dir.File("chunked.CSV"));
    const std::string detailsBefore = testing::ReadText(dir.File("chunkedD.CSV"));
    const ToolRun failed = RunTool(
        dir, "--append -o chunked.CSV --details chunkedD.CSV grab400.CSV bad.CSV grab300.CSV");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err,
              "bad.CSV: Input file is neither \"grab\" nor \"dyna\"!\n"
              "chunked.CSV: has the results of 1 more capture file; the batch stopped at "
              "bad.CSV\n"
              "chunkedD.CSV: has the details of 2 more capture files; the batch stopped at "
              "bad.CSV\n");
    EXPECT_EQ(testing::ReadText(dir.File("chunked.CSV")),
              before + ExpectedLine("grab400.CSV", *grab400, DiskTable(5)));
    EXPECT_EQ(testing::ReadText(dir.File("chunkedD.CSV")),
              detailsBefore + ExpectedDetails(dir, "grab400.CSV") + "bad.CSV," + kNoFigures);

    // Another kind of file as the details: nothing is added to either file.
    testing::WriteText(dir.File("notes.txt"), "my notes\r\n");
    const ToolRun other = RunTool(dir, "--append -o chunked.CSV --details notes.txt grab400.CSV");
    EXPECT_EQ(other.status, 2);
    EXPECT_NE(other.err.find("The details file \"notes.txt\" does not begin with the line"),
              std::string::npos)
        << other.err;
    EXPECT_EQ(testing::ReadText(dir.File("notes.txt")), "my notes\r\n");
    EXPECT_EQ(testing::ReadText(dir.File("chunked.CSV")),
              before + ExpectedLine("grab400.CSV", *grab400, DiskTable(5)));

    const std::string capture = testing::ReadText(dir.File("grab300.CSV"));
    for (const char* wrong : {"--append grab300.CSV", "--append -o grab400.CSV grab300.CSV"}) {
        const ToolRun run = RunTool(dir, wrong);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_NE(run.err.find("Usage: corvane-batch"), std::string::npos) << run.err;
    }
    EXPECT_EQ(testing::ReadText(dir.File("grab400.CSV")).substr(0, 6), "grab\r\n")
        << "nothing is appended to a capture file";
}

// --details: a second file with the engine-performance figures, one line per
// capture, beside a results file that stays exactly as it is without it.
TEST_F(BatchTool, DetailsFileBesideTheResults) {
    testing::WriteText(dir.File("empty.CSV"), "grab\r\nPressure\r\n");
    const std::string captures =
        " --settings settings.INI grab300.CSV accel.CSV empty.CSV grab400.CSV";
    ASSERT_EQ(RunTool(dir, "-o plain.CSV" + captures).status, 0);
    const ToolRun run = RunTool(dir, "-o r.CSV --details d.CSV" + captures);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "empty.CSV: details left empty: No samples\n");
    EXPECT_EQ(testing::ReadText(dir.File("r.CSV")), testing::ReadText(dir.File("plain.CSV")));

    const std::string details = testing::ReadText(dir.File("d.CSV"));
    EXPECT_EQ(details, performance::DetailsHeader() + ExpectedDetails(dir, "grab300.CSV") +
                           ExpectedDetails(dir, "accel.CSV") + "empty.CSV,grab" + kNoFigures +
                           ExpectedDetails(dir, "grab400.CSV"));
    // Independent anchors: the kinds, the engine's speed, which fields a kind fills.
    EXPECT_NE(details.find("\r\ngrab300.CSV,grab,3,300.0,"), std::string::npos) << details;
    EXPECT_NE(details.find("\r\ngrab400.CSV,grab,"), std::string::npos) << details;
    const std::size_t dynaLine = details.find("\r\naccel.CSV,dyna,,");
    ASSERT_NE(dynaLine, std::string::npos) << details;
    const std::string dynaFields =
        details.substr(dynaLine + 2, details.find("\r\n", dynaLine + 2) - dynaLine - 2);
    EXPECT_EQ(std::count(dynaFields.begin(), dynaFields.end(), ','), 26);
    const auto fieldAfter = [&](int commas) {
        std::size_t at = 0;
        for (int comma = 0; comma < commas; ++comma) at = dynaFields.find(',', at) + 1;
        return at;
    };
    EXPECT_NE(dynaFields[fieldAfter(13)], ',')
        << "the torque at the highest power is given" << dynaFields;
    EXPECT_NE(dynaFields[fieldAfter(20)], ',') << "and its uncertainty" << dynaFields;
    EXPECT_EQ(dynaFields.substr(fieldAfter(21)), ",,,,,") << "no energy chain for a dyna";

    // Results on standard output: the same details file.
    const ToolRun piped = RunTool(dir, "--details d2.CSV -j 1" + captures);
    EXPECT_EQ(piped.out, testing::ReadText(dir.File("plain.CSV")));
    EXPECT_EQ(testing::ReadText(dir.File("d2.CSV")), details);

    // Written through a link to the file it names, keeping that file's permissions.
    namespace fs = std::filesystem;
    fs::create_symlink("d2.CSV", dir.File("link.CSV"));
    fs::permissions(dir.File("d2.CSV"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(RunTool(dir, "--details link.CSV grab300.CSV").status, 0);
    EXPECT_TRUE(fs::is_symlink(dir.File("link.CSV")));
    EXPECT_EQ(testing::ReadText(dir.File("d2.CSV")),
              performance::DetailsHeader() + ExpectedDetails(dir, "grab300.CSV"));
    EXPECT_EQ(fs::status(dir.File("d2.CSV")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);

    // The settings file's budget gives the uncertainties, its phase offset the loop.
    testing::WriteText(dir.File("lab.ini"), "[Performance]\r\nPhaseUDeg=3\r\nGeometryUPercent=0\r\nPhaseOffset=-2.5\r\n");
    ASSERT_EQ(RunTool(dir, "--settings lab.ini --details d3.CSV grab300.CSV").status, 0);
    performance::BenchSettings lab;
    lab.budget.phaseDeg = 3;
    lab.budget.geometryPercent = 0;
    lab.phaseOffsetDeg = -2.5;
    const std::string labLine = ExpectedDetails(dir, "grab300.CSV", DiskTable(5), lab);
    EXPECT_NE(labLine, ExpectedDetails(dir, "grab300.CSV"));
    EXPECT_EQ(testing::ReadText(dir.File("d3.CSV")), performance::DetailsHeader() + labLine);
}

// The transducer's calibration reaches the details file only: the results,
// the specified figures, stay the same byte for byte.
TEST_F(BatchTool, PressureCalibrationChangesTheDetailsOnly) {
    testing::WriteText(dir.File("lab.ini"),
                       "[Performance]\r\nPressureScale=1.25\r\nPressureZeroVolts=0.3\r\n");
    const ToolRun plain = RunTool(dir, "grab300.CSV grab400.CSV");
    const ToolRun calibrated =
        RunTool(dir, "--settings lab.ini --details d.CSV grab300.CSV grab400.CSV");
    ASSERT_EQ(calibrated.status, 0) << calibrated.err;
    EXPECT_EQ(calibrated.out, plain.out);
    performance::BenchSettings lab;
    lab.pressure = {1.25, 0.3};
    const std::string line = ExpectedDetails(dir, "grab300.CSV", DiskTable(5), lab);
    EXPECT_NE(line, ExpectedDetails(dir, "grab300.CSV"));
    EXPECT_EQ(testing::ReadText(dir.File("d.CSV")),
              performance::DetailsHeader() + line +
                  ExpectedDetails(dir, "grab400.CSV", DiskTable(5), lab));
}

// The friction adds the energy chain after every other details column; the
// results and the columns before it stay byte for byte.
TEST_F(BatchTool, FrictionAddsTheEnergyChainAfterTheOtherDetails) {
    testing::WriteText(dir.File("lab.ini"),
                       "[Performance]\r\nFrictionA=0.5\r\nFrictionB=2\r\nFrictionAU=0.02\r\n");
    const ToolRun plain = RunTool(dir, "--details plain.CSV grab300.CSV accel.CSV");
    const ToolRun run = RunTool(dir, "--settings lab.ini --details d.CSV grab300.CSV accel.CSV");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, plain.out);
    const std::string before = testing::ReadText(dir.File("plain.CSV"));
    const std::string details = testing::ReadText(dir.File("d.CSV"));
    const std::string grabBefore = before.substr(before.find("\r\ngrab300"));
    const std::string grab = details.substr(details.find("\r\ngrab300"));
    const std::string kept = grabBefore.substr(0, grabBefore.find(",,,,,,\r\n"));
    ASSERT_EQ(grab.rfind(kept + ',', 0), 0u) << grab;
    // This grab's indicated power is negative: no mechanical efficiency, nor its uncertainty.
    double friction = 0, shaft = 0, frictionU = 0, shaftU = 0;
    ASSERT_EQ(std::sscanf(grab.c_str() + kept.size() + 1, "%lf,%lf,,%lf,%lf,\r\n", &friction,
                          &shaft, &frictionU, &shaftU),
              4)
        << grab;
    // 300 rpm: 0.5 + 2 x 0.3 = 1.1 mN m at 10 pi rad/s.
    EXPECT_NEAR(friction, 11 * 3.14159265, 0.006);
    EXPECT_GT(frictionU, 0);
    EXPECT_GE(shaftU, frictionU);
    performance::BenchSettings lab;
    lab.friction = performance::FrictionModel{0.5, 2, 0.02, 0.1};
    EXPECT_EQ(details, performance::DetailsHeader() +
                           ExpectedDetails(dir, "grab300.CSV", DiskTable(5), lab) +
                           ExpectedDetails(dir, "accel.CSV", DiskTable(5), lab));
    EXPECT_EQ(details.substr(details.find("\r\naccel")), before.substr(before.find("\r\naccel")));
}

// A capture that stops the batch stops both files there: the details file
// gives it its file, kind (as far as read) and empty fields; its reason is
// told once. An existing details file is not traded for a bare header.
TEST_F(BatchTool, AStoppedBatchGivesTheFailingCaptureAnEmptyDetailsLine) {
    WriteCaptureFile(dir.File("long.CSV"), *testing::MakeDyna({}, 4001), DiskTable(5));
    for (const char* stop : {"bad.CSV", "long.CSV"}) {
        const bool wrongKind = stop == std::string("bad.CSV");
        const std::string reason =
            std::string(stop) + (wrongKind ? ": Input file is neither \"grab\" nor \"dyna\"!\n"
                                           : ": Range check error\n");
        const std::string failingLine =
            std::string(stop) + (wrongKind ? "," : ",dyna") + kNoFigures;
        for (const char* results : {"-o r.CSV ", ""}) {
            const ToolRun run = RunTool(
                dir, std::string(results) + "--details d.CSV grab300.CSV " + stop + " grab400.CSV");
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, reason +
                                   (*results ? "r.CSV: holds the results of 1 capture file; the "
                                               "batch stopped at " +
                                                   std::string(stop) + "\n"
                                             : std::string()) +
                                   "d.CSV: holds the details of 2 capture files; the batch stopped "
                                   "at " +
                                   stop + "\n");
            EXPECT_EQ(
                testing::ReadText(dir.File("d.CSV")),
                performance::DetailsHeader() + ExpectedDetails(dir, "grab300.CSV") + failingLine);
        }
        const std::string before = testing::ReadText(dir.File("d.CSV"));
        const ToolRun first = RunTool(dir, std::string("-o r.CSV --details d.CSV ") + stop);
        EXPECT_EQ(first.status, 1);
        EXPECT_NE(first.err.find("d.CSV: was left as it was: no capture file was evaluated\n"),
                  std::string::npos)
            << first.err;
        EXPECT_EQ(testing::ReadText(dir.File("d.CSV")), before);
    }
    const ToolRun fresh = RunTool(dir, "--details new.CSV bad.CSV");
    EXPECT_EQ(fresh.status, 1);
    EXPECT_EQ(testing::ReadText(dir.File("new.CSV")),
              performance::DetailsHeader() + "bad.CSV," + kNoFigures);
}

// The details file is never one of the batch's inputs or the results file,
// however it is named; nothing is evaluated or written then.
TEST_F(BatchTool, TheDetailsFileIsNoOtherFileOfTheBatch) {
    ASSERT_EQ(RunTool(dir, "-o r.CSV grab300.CSV").status, 0);
    std::filesystem::create_symlink("grab300.CSV", dir.File("link.CSV"));
    std::filesystem::create_hard_link(dir.File("r.CSV"), dir.File("hard.CSV"));
    std::filesystem::create_hard_link(dir.File("settings.INI"), dir.File("hard.INI"));
    const std::string capture = testing::ReadText(dir.File("grab300.CSV"));
    const std::string results = testing::ReadText(dir.File("r.CSV"));
    const std::string settings = testing::ReadText(dir.File("settings.INI"));
    struct Case {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"--details grab300.CSV grab300.CSV", "is also one of the files to be evaluated"},
        {"--details link.CSV grab400.CSV grab300.CSV", "is also one of the files to be evaluated"},
        {"-o r.CSV --details ./r.CSV grab400.CSV", "is also the results file"},
        {"-o r.CSV --details hard.CSV grab400.CSV", "is also the results file"},
        {"-o new.CSV --details new.CSV grab400.CSV", "is also the results file"},
        {"--settings settings.INI --details hard.INI grab400.CSV", "is also the settings file"},
        {"--details - grab400.CSV", "--details needs a file name"},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunTool(dir, c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.arguments;
    }
    EXPECT_EQ(testing::ReadText(dir.File("grab300.CSV")), capture);
    EXPECT_EQ(testing::ReadText(dir.File("r.CSV")), results);
    EXPECT_EQ(testing::ReadText(dir.File("settings.INI")), settings);
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.CSV")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("-")));

    // A details file that cannot be written leaves the results as they were.
    const ToolRun unwritable = RunTool(dir, "-o r.CSV --details void/d.CSV grab400.CSV");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err.rfind("void/d.CSV: ", 0), 0u) << unwritable.err;
    EXPECT_EQ(testing::ReadText(dir.File("r.CSV")), results);
}

}  // namespace
}  // namespace corvane::files
