#include "files/batch.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "files/file_error.h"
#include "files/ordered_evaluation.h"
#include "temp_dir.h"

namespace corvane::files {
namespace {

TEST(KeepDigits, KeepsDigitsAndPointsOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"295.3 K", "295.3"},
        {"1,234.5", "1234.5"},
        {"-1.20 mNm", "1.20"},
        {"0 mw", "0"},
        {"", ""},
        {"12.3 mW", "12.3"},
        {"1.235E-006", "1.235006"},
        {"1 234,5", "12345"},
        {"\t7\r\n", "7"},
    };
    for (const auto& [text, kept] : cases) EXPECT_EQ(KeepDigits(text), kept) << text;
}

ResultsColumn GrabColumn() {
    return {"295.3 K", "352.8 K", "3.6 W", "12.34 kPa", "1,234.5", "12.3 mW", "", ""};
}
ResultsColumn DynaColumn() {
    return {"296.1 K", "360.4 K", "3.6 W", "0 kPa", "", "", "1.23 mw", "-4.56 mNm"};
}

TEST(BatchLine, TakesRows0145674) {
    EXPECT_EQ(BatchLine("run1.CSV", GrabColumn()), "run1.CSV, 295.3, 352.8, 1234.5, 12.3, , ");
    EXPECT_EQ(BatchLine("accel.CSV", DynaColumn()), "accel.CSV, 296.1, 360.4, , , 1.23, 4.56");
    EXPECT_EQ(BatchLine("a,b.CSV", ResultsColumn{}), "a,b.CSV, , , , , , ");
}

// A CR LF in a file's name would start a line of its own: a forged result.
TEST(BatchLine, ControlCharactersInANameBecomeQuestionMarks) {
    EXPECT_EQ(BatchLine("evil\r\nforged, 1, 2.CSV", ResultsColumn{}),
              "evil??forged, 1, 2.CSV, , , , , , ");
    EXPECT_EQ(BatchLine(std::string("a\0b\tc\x7F.CSV", 10), ResultsColumn{}),
              "a?b?c?.CSV, , , , , , ");
    EXPECT_EQ(PrintableName("Messung \xE4\xF6.CSV"), "Messung \xE4\xF6.CSV")
        << "8-bit letters are no control characters";
}

TEST(FileNameOf, DropsTheFolder) {
    EXPECT_EQ(FileNameOf("/data/runs/run1.CSV"), "run1.CSV");
    EXPECT_EQ(FileNameOf("run1.CSV"), "run1.CSV");
    EXPECT_EQ(FileNameOf("../x/y z.csv"), "y z.csv");
}

// Evaluates from a table of columns; a path missing from it fails like a bad import.
struct FakeEvaluation {
    std::vector<std::string> seen;
    ResultsColumn operator()(const std::string& path) {
        seen.push_back(path);
        if (path.find("bad") != std::string::npos) throw std::runtime_error("Range check error");
        return path.find("dyna") != std::string::npos ? DynaColumn() : GrabColumn();
    }
};

TEST(RunBatch, HeaderThenOneLinePerFileInOrder) {
    FakeEvaluation fake;
    std::string text;
    RunBatch({"/in/run1.CSV", "/in/dyna.CSV"}, std::ref(fake),
             [&](std::string_view part) { text += part; });
    EXPECT_EQ(text,
              "File, Lo Temp, Hi Temp, RPM, Ind Pwr, Power, Torque\r\n"
              "run1.CSV, 295.3, 352.8, 1234.5, 12.3, , \r\n"
              "dyna.CSV, 296.1, 360.4, , , 1.23, 4.56\r\n");
    EXPECT_EQ(fake.seen, (std::vector<std::string>{"/in/run1.CSV", "/in/dyna.CSV"}));
}

TEST(RunBatch, AFailedFileEndsTheBatchAndIsNamed) {
    FakeEvaluation fake;
    std::string text;
    try {
        RunBatch({"a.CSV", "/in/bad.CSV", "c.CSV"}, std::ref(fake),
                 [&](std::string_view part) { text += part; });
        ADD_FAILURE() << "the batch went on";
    } catch (const BatchFileError& error) {
        EXPECT_EQ(error.path(), "/in/bad.CSV");
        EXPECT_EQ(error.message(), "Range check error");
        EXPECT_STREQ(error.what(), "/in/bad.CSV: Range check error");
        EXPECT_EQ(error.evaluated(), 1);
    }
    EXPECT_EQ(fake.seen, (std::vector<std::string>{"a.CSV", "/in/bad.CSV"}));
    EXPECT_EQ(text, std::string(kBatchHeader) + "\r\na.CSV, 295.3, 352.8, 1234.5, 12.3, , \r\n");
}

// A batch that stops keeps the lines written so far; but an existing results
// file is never traded for a bare header, and the error says what is left.
TEST(RunBatchToFile, AStoppedBatchKeepsWhatItEvaluatedAndNothingLess) {
    const std::string header = std::string(kBatchHeader) + "\r\n";
    const std::string line = "a.CSV, 295.3, 352.8, 1234.5, 12.3, , \r\n";
    struct Case {
        const char* name;
        std::optional<std::string> before;  // the results file before the batch
        std::vector<std::string> captures;
        std::string after;
        std::optional<int> hold;
        std::string note;
    };
    const Case cases[] = {
        {"existing file, nothing evaluated",
         "old results",
         {"bad.CSV", "a.CSV"},
         "old results",
         std::nullopt,
         "was left as it was: no capture file was evaluated"},
        {"new file, nothing evaluated",
         std::nullopt,
         {"bad.CSV"},
         header,
         0,
         "holds the results of 0 capture files; the batch stopped at bad.CSV"},
        {"existing file, one evaluated",
         "old results",
         {"a.CSV", "/in/bad.CSV"},
         header + line,
         1,
         "holds the results of 1 capture file; the batch stopped at bad.CSV"},
        {"new file, two evaluated",
         std::nullopt,
         {"a.CSV", "a.CSV", "bad.CSV", "d.CSV"},
         header + line + line,
         2,
         "holds the results of 2 capture files; the batch stopped at bad.CSV"},
    };
    for (const Case& c : cases) {
        testing::TempDir dir;
        const std::string results = dir.File("results.CSV");
        if (c.before) testing::WriteText(results, *c.before);
        FakeEvaluation fake;
        try {
            RunBatchToFile(results, c.captures, std::ref(fake));
            ADD_FAILURE() << c.name << ": the batch went on";
        } catch (const BatchFileError& error) {
            EXPECT_EQ(error.resultsHold(), c.hold) << c.name;
            EXPECT_EQ(StoppedBatchNote(error), c.note) << c.name;
        }
        EXPECT_EQ(testing::ReadText(results), c.after) << c.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  1)
            << c.name << ": no temporary file is left behind";
    }
}

// A results file that cannot be written whole (a full disk) stays as it was,
// not cut off after the first few kilobytes.
TEST(RunBatchToFile, AFailedWriteLeavesTheResultsFileAsItWas) {
    testing::TempDir dir;
    const std::string results = dir.File("results.CSV");
    testing::WriteText(results, "precious");
    const std::vector<std::string> captures(200, "a.CSV");  // about 8 KB of lines
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    try {
        FakeEvaluation fake;
        RunBatchToFile(results, captures, std::ref(fake));
    } catch (const FileError& error) {
        message = error.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(message, "Disk full");
    EXPECT_EQ(testing::ReadText(results), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(RunBatchToFile, RefusesAResultsFileThatIsACaptureFile) {
    testing::TempDir dir;
    const std::string capture = dir.File("run1.CSV");
    testing::WriteText(capture, "grab\r\n");
    std::filesystem::create_directory(dir.File("sub"));
    const std::string sameFileSpelledOtherwise = dir.File("sub/../run1.CSV");
    std::filesystem::create_symlink(capture, dir.File("link.CSV"));
    std::filesystem::create_hard_link(capture, dir.File("hard.CSV"));
    for (const std::string& results :
         {capture, sameFileSpelledOtherwise, dir.File("link.CSV"), dir.File("hard.CSV")}) {
        FakeEvaluation fake;
        EXPECT_THROW(RunBatchToFile(results, {dir.File("other.CSV"), capture}, std::ref(fake)),
                     ResultsFileIsInputError)
            << results;
        EXPECT_TRUE(fake.seen.empty());
        EXPECT_EQ(testing::ReadText(capture), "grab\r\n");
    }
    // Two files that do not exist yet but are the same name are refused as well.
    EXPECT_THROW(CheckResultsFileIsNotInput(dir.File("new.CSV"), {dir.File("./new.CSV")}),
                 ResultsFileIsInputError);
    EXPECT_NO_THROW(CheckResultsFileIsNotInput(dir.File("out.CSV"), {capture}));
}

TEST(RunBatchToFile, UncreatableResultsFile) {
    testing::TempDir dir;
    FakeEvaluation fake;
    try {
        RunBatchToFile(dir.File("missing/folder/r.CSV"), {"a.CSV"}, std::ref(fake));
        ADD_FAILURE();
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Path not found");
    }
    EXPECT_TRUE(fake.seen.empty()) << "nothing is evaluated without a results file";
}

// Evaluations on several threads finish in any order; what the batch writes,
// tells and stops at is that of one thread, file by file.
struct ScrambledRun {
    std::string text;
    std::vector<std::string> told;  // "path: note" in the order `written` heard them
    std::optional<std::pair<std::string, int>> stopped;  // path, evaluated
};

ScrambledRun RunScrambled(const std::vector<std::string>& paths, int threads) {
    const MakeEvaluation evaluation = [] {
        return EvaluateCapture([random = std::mt19937(std::random_device{}())](
                                   const std::string& path) mutable -> CaptureOutcome {
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
            if (path.find("bad") != std::string::npos)
                throw std::runtime_error("Range check error");
            CaptureOutcome outcome{{path + " K", "1", "", "", "2", "3", "", ""}, {}, {}};
            if (path.find("advice") != std::string::npos) outcome.notes = {"note " + path};
            return outcome;
        });
    };
    ScrambledRun run;
    BatchOptions options;
    options.threads = threads;
    options.written = [&run](const std::string& path, const CaptureOutcome& outcome) {
        for (const std::string& note : outcome.notes) run.told.push_back(path + ": " + note);
    };
    try {
        RunBatch(
            paths, evaluation, [&run](std::string_view text) { run.text += text; }, options);
    } catch (const BatchFileError& error) {
        run.stopped = {error.path(), error.evaluated()};
    }
    return run;
}

TEST(RunBatch, AnyNumberOfThreadsWritesWhatOneThreadWrites) {
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i)
        paths.push_back((i % 7 == 3 ? "advice" : "f") + std::to_string(i));
    std::vector<std::string> failing = paths;
    failing[211] = "bad211";
    for (const auto& inputs : {paths, failing}) {
        const ScrambledRun one = RunScrambled(inputs, 1);
        ASSERT_EQ(std::count(one.text.begin(), one.text.end(), '\n'), inputs == paths ? 301 : 212);
        ASSERT_FALSE(one.told.empty());
        for (int threads : {2, 3, 8}) {
            const ScrambledRun many = RunScrambled(inputs, threads);
            EXPECT_EQ(many.text, one.text) << threads << " threads";
            EXPECT_EQ(many.told, one.told) << threads << " threads";
            EXPECT_EQ(many.stopped, one.stopped) << threads << " threads";
        }
    }
}

// Memory stays bounded however many files there are: the threads run only a
// little ahead of the writing.
TEST(EvaluateInOrder, RunsOnlyALittleAheadOfTheDelivery) {
    const std::vector<std::string> paths(5000, "f");
    std::atomic<int> started{0};
    const MakeEvaluation evaluation = [&started] {
        return EvaluateCapture([&started](const std::string&) {
            ++started;
            return CaptureOutcome{};
        });
    };
    int mostAhead = 0;
    EvaluateInOrder(paths, 4, evaluation, [&](std::size_t index, CaptureOutcome&) {
        if (index % 1000 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        mostAhead = std::max(mostAhead, started.load() - static_cast<int>(index));
    });
    EXPECT_EQ(started.load(), 5000);
    EXPECT_GT(mostAhead, 4) << "the threads do run ahead";
    EXPECT_LE(mostAhead, 4 * 32 + 4);
}

// --append: the new lines go after what the file holds; nothing already in it
// is ever lost, and a header is written only into a new or empty file.
TEST(RunBatchToFile, AppendingKeepsEverythingAlreadyInTheFile) {
    const std::string header = std::string(kBatchHeader) + "\r\n";
    const std::string line = "a.CSV, 295.3, 352.8, 1234.5, 12.3, , \r\n";
    const std::string old = header + "old.CSV, 1, 2, 3, 4, , \r\n";
    struct Case {
        const char* name;
        std::optional<std::string> before;
        std::vector<std::string> captures;
        std::string after;
        std::string note;  // of a stopped batch; empty when it ran to its end
    };
    const Case cases[] = {
        {"new file", std::nullopt, {"a.CSV", "a.CSV"}, header + line + line, ""},
        {"results file", old, {"a.CSV", "a.CSV"}, old + line + line, ""},
        {"empty file", "", {"a.CSV"}, header + line, ""},
        {"LF line ends",
         header.substr(0, header.size() - 2) + "\nold\n",
         {"a.CSV"},
         header.substr(0, header.size() - 2) + "\nold\n" + line,
         ""},
        {"last line cut short", old + "cut.CSV, 29", {"a.CSV"}, old + "cut.CSV, 29\r\n" + line, ""},
        {"stopped after one",
         old,
         {"a.CSV", "bad.CSV", "a.CSV"},
         old + line,
         "has the results of 1 more capture file; the batch stopped at bad.CSV"},
        {"stopped at the first",
         old,
         {"bad.CSV", "a.CSV"},
         old,
         "was left as it was: no capture file was evaluated"},
        {"new file stopped at the first",
         std::nullopt,
         {"bad.CSV"},
         header,
         "holds the results of 0 capture files; the batch stopped at bad.CSV"},
    };
    for (const Case& c : cases) {
        testing::TempDir dir;
        const std::string results = dir.File("results.CSV");
        if (c.before) testing::WriteText(results, *c.before);
        std::string note;
        try {
            FakeEvaluation fake;
            BatchOptions options;
            options.append = true;
            RunBatchToFile(
                results, c.captures,
                [&fake] {
                    return EvaluateCapture([&fake](const std::string& path) {
                        return CaptureOutcome{fake(path), {}, {}};
                    });
                },
                options);
        } catch (const BatchFileError& error) {
            note = StoppedBatchNote(error);
        }
        EXPECT_EQ(testing::ReadText(results), c.after) << c.name;
        EXPECT_EQ(note, c.note) << c.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  1)
            << c.name;
    }
}

TEST(RunBatchToFile, AppendingRefusesAFileThatIsNotAResultsFile) {
    testing::TempDir dir;
    const std::string capture = dir.File("capture.CSV");
    testing::WriteText(capture, "grab\r\nPressure, Tachometer\r\n");
    FakeEvaluation fake;
    BatchOptions options;
    options.append = true;
    const auto evaluation = [&fake] {
        return EvaluateCapture([&fake](const std::string& path) {
            return CaptureOutcome{fake(path), {}, {}};
        });
    };
    EXPECT_THROW(RunBatchToFile(capture, {"a.CSV"}, evaluation, options), NotAResultsFileError);
    EXPECT_TRUE(fake.seen.empty()) << "nothing evaluated";
    EXPECT_EQ(testing::ReadText(capture), "grab\r\nPressure, Tachometer\r\n");
}

// Two appending batches at once (xargs -P) would each put the old lines and
// their own in place, the later losing the earlier's: the later one refuses.
TEST(RunBatchToFile, AppendingToAFileChangedMeanwhileAddsNothing) {
    testing::TempDir dir;
    const std::string results = dir.File("results.CSV");
    const std::string before = std::string(kBatchHeader) + "\r\n";
    testing::WriteText(results, before);
    const std::string other = before + "other.CSV, 1, 2, 3, 4, , \r\n";
    BatchOptions options;
    options.append = true;
    const auto evaluation = [&] {
        return EvaluateCapture([&](const std::string&) {
            testing::WriteText(results, other);  // another batch finished meanwhile
            return CaptureOutcome{};
        });
    };
    try {
        RunBatchToFile(results, {"a.CSV"}, evaluation, options);
        ADD_FAILURE() << "the batch replaced a file changed meanwhile";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "The file was changed meanwhile");
    }
    EXPECT_EQ(testing::ReadText(results), other);
}

}  // namespace
}  // namespace corvane::files
