// corvane-report end to end: the figures on page 1 of its PDFs, read back with
// pdftotext, against corvane-batch's results file and the details line of the
// engine-performance evaluation for the same captures; failures and usage.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "files/batch.h"
#include "performance/details_csv.h"
#include "report/report_file.h"
#include "temp_dir.h"

namespace corvane::report {
namespace {

using testing::RunIn;
using testing::ToolRun;

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

ToolRun Report(const testing::TempDir& dir, const std::string& arguments) {
    // As over SSH: no display at all.
    return RunIn(dir, "env -u DISPLAY -u WAYLAND_DISPLAY " + Quoted(CORVANE_REPORT_TOOL),
                 arguments);
}

// Page 1 of a PDF as text, laid out as on the page.
std::string PageOneText(const testing::TempDir& dir, const std::string& pdf) {
    const ToolRun run =
        RunIn(dir, Quoted(PDFTOTEXT), "-layout -f 1 -l 1 " + Quoted(pdf) + " page1.txt");
    EXPECT_EQ(run.status, 0) << run.err;
    return testing::ReadText(dir.File("page1.txt"));
}

// The first number that follows `label` on a line, with only blanks between
// (and `between`, a pattern, after the first number when given); "" when no
// line has one.
std::string FigureAfter(const std::string& text, const std::string& label,
                        const std::string& between = "") {
    const std::string number = "(-?[0-9][0-9.,]*)";
    const std::regex pattern("(?:^|\\s)" + label + "\\s+" +
                             (between.empty() ? number : "[-0-9.,]+" + between + number));
    std::istringstream lines(text);
    std::smatch match;
    for (std::string line; std::getline(lines, line);)
        if (std::regex_search(line, match, pattern)) return match[1];
    return "";
}

std::vector<std::string> Split(std::string line, const std::string& separator) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at; (at = line.find(separator, start)) != std::string::npos;) {
        fields.push_back(line.substr(start, at - start));
        start = at + separator.size();
    }
    fields.push_back(line.substr(start));
    return fields;
}

// The engine-performance details line of a capture file, as
// corvane-batch --details writes it.
std::vector<std::string> DetailsOf(const testing::TempDir& dir, const std::string& name) {
    const ToolRun run =
        RunIn(dir, Quoted(CORVANE_BATCH_TOOL), "--details details.csv " + Quoted(name));
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string text = testing::ReadText(dir.File("details.csv"));
    const std::size_t line = text.find("\r\n");
    EXPECT_EQ(text.substr(0, line + 2), performance::DetailsHeader());
    return Split(line == std::string::npos ? "" : text.substr(line + 2), ",");
}

// The PNG's width and height from its header.
std::pair<int, int> PngSize(const std::string& path) {
    const std::string bytes = testing::ReadText(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    auto word = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = at; i < at + 4; ++i) value = value * 256 + (unsigned char)bytes[i];
        return value;
    };
    return {word(16), word(20)};
}

// A grey page rendered by pdftoppm -gray (binary PGM).
struct GreyPage {
    int width = 0, height = 0;
    std::string pixels;
};

GreyPage ReadPgm(const std::string& path) {
    std::istringstream in(testing::ReadText(path));
    std::string magic;
    GreyPage page;
    int most = 0;
    in >> magic >> page.width >> page.height >> most;
    in.get();  // the one blank before the pixels
    if (magic != "P5" || most != 255) return {};
    page.pixels.assign(std::istreambuf_iterator<char>(in), {});
    page.pixels.resize(static_cast<std::size_t>(page.width) * page.height);
    return page;
}

// The most separate dark strokes any row of the page crosses: a trace whose
// pulses run together into a band gives one, legible pulses one or two each.
int MostStrokesInARow(const GreyPage& page) {
    int most = 0;
    for (int y = 0; y < page.height; ++y) {
        const char* row = page.pixels.data() + static_cast<std::size_t>(y) * page.width;
        int strokes = 0;
        bool dark = false;
        for (int x = 0; x < page.width; ++x) {
            const bool now = static_cast<unsigned char>(row[x]) < 128;
            strokes += now && !dark;
            dark = now;
        }
        most = std::max(most, strokes);
    }
    return most;
}

class ReportTool : public ::testing::Test {
protected:
    void SetUp() override {
        // The simulated engine's captures: a grab whose cycles give work, and
        // a dyna that brings its disk table.
        const std::string simulate = Quoted(CORVANE_SIMULATE_TOOL);
        ASSERT_EQ(RunIn(dir, simulate, "grab --rpm 480 --seed 3 -o grab.CSV").status, 0);
        ASSERT_EQ(RunIn(dir, simulate, "dyna --seed 3 -o accel.CSV").status, 0);
    }
    testing::TempDir dir;
};

// Page 1 shows exactly what corvane-batch writes for the capture (the results
// table) and what its details line holds (the engine performance).
TEST_F(ReportTool, PageOneFiguresEqualBatchAndDetails) {
    const ToolRun report = Report(dir, "-o reports grab.CSV accel.CSV");
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(report.err, "");
    const ToolRun batch = RunIn(dir, Quoted(CORVANE_BATCH_TOOL), "grab.CSV accel.CSV");
    ASSERT_EQ(batch.status, 0) << batch.err;
    const std::vector<std::string> lines = Split(batch.out, "\r\n");
    ASSERT_GE(lines.size(), 3u);

    struct Capture {
        std::string name, pdf, batchLine;
        // Report label (and pattern between two figures) -> details column.
        std::vector<std::tuple<std::string, std::string, int>> details;
    };
    const std::vector<Capture> captures = {
        {"grab.CSV",
         "reports/grab.pdf",
         lines[1],
         {{"Cycles", "", 2},
          {"Mean speed", "", 3},
          {"Work per cycle", "", 4},
          {"Cycle-resolved indicated power", "", 5},
          {"Cycle-resolved indicated power", "\\s+\u00b1\\s+", 6},
          {"COV", "", 7},
          {"Heater power", "", 8},
          {"Indicated efficiency", "", 9},
          {"Carnot limit", "", 10}}},
        {"accel.CSV",
         "reports/accel.pdf",
         lines[2],
         {{"Mean speed", "", 3},
          {"Heater power", "", 8},
          {"Carnot limit", "", 10},
          {"Maximum power", "", 11},
          {"Maximum power", "\\s+mW at\\s+", 12},
          {"Torque at maximum power", "", 13}}},
    };
    for (const Capture& capture : captures) {
        SCOPED_TRACE(capture.name);
        const std::string page = PageOneText(dir, capture.pdf);
        EXPECT_NE(page.find(capture.name), std::string::npos) << page;
        EXPECT_NE(page.find("Corvane Data Logger 0."), std::string::npos) << page;
        EXPECT_NE(page.find("report of 20"), std::string::npos) << page;  // its date

        // File, Lo Temp, Hi Temp, RPM, Ind Pwr, Power, Torque.
        const std::vector<std::string> fields = Split(capture.batchLine, ", ");
        ASSERT_EQ(fields.size(), 7u) << capture.batchLine;
        EXPECT_EQ(fields[0], capture.name);
        const char* rows[] = {"Lo Tmp", "Hi Tmp", "RPM", "Ind Pwr", "Power", "Torque"};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(files::KeepDigits(FigureAfter(page, rows[i])), fields[i + 1]) << rows[i];

        const std::vector<std::string> details = DetailsOf(dir, capture.name);
        // 14 figures, 7 uncertainties, then the energy chain (3 figures, 3 uncertainties).
        ASSERT_EQ(details.size(), 27u);
        EXPECT_NE(page.find("Uncertainty (k = 2)"), std::string::npos) << page;
        for (const auto& [label, between, column] : capture.details) {
            EXPECT_FALSE(details[column].empty()) << label;  // a figure is compared
            EXPECT_EQ(FigureAfter(page, label, between), details[column]) << label;
        }
    }
    // A dyna's disk table: the rows the file brought.
    const std::string dyna = PageOneText(dir, "reports/accel.pdf");
    EXPECT_NE(dyna.find("Flywheel disks"), std::string::npos);
    EXPECT_NE(dyna.find("Total"), std::string::npos);
    // Beside its Carnot limit, what the dyna reached: the maximum shaft power
    // over the heater power (from the details' rounded figures, so to 0.01).
    const std::vector<std::string> accel = DetailsOf(dir, "accel.CSV");
    const std::string reached = FigureAfter(dyna, "Maximum power / heater power");
    ASSERT_NE(reached, "") << dyna;
    EXPECT_NEAR(std::stod(reached), 100 * std::stod(accel[11]) / 1000 / std::stod(accel[8]), 0.01);
    // The grab names its indicated power's method where it shows it.
    const std::string grab = PageOneText(dir, "reports/grab.pdf");
    EXPECT_NE(grab.find("Cycle-resolved: each cycle's p dV integral"), std::string::npos) << grab;
}

// Page 1 renders to an A4 picture. A grab's three graphs fill the rest of
// page 1 (none is left alone on a second page); a dyna's four need a second.
TEST_F(ReportTool, PagesRenderAsA4) {
    ASSERT_EQ(Report(dir, "-o . grab.CSV accel.CSV").status, 0);
    const std::string grab = PageOneText(dir, "grab.pdf");
    EXPECT_NE(grab.find("Pressure vs Volume"), std::string::npos);
    // The values' axes say what and in which unit: the pressure graph's (beside
    // its caption and the PV graph's axis) and the tachometer's.
    const std::regex pressure("Pressure \\(kPa\\)");
    EXPECT_EQ(std::distance(std::sregex_iterator(grab.begin(), grab.end(), pressure),
                            std::sregex_iterator()),
              3);
    EXPECT_NE(grab.find("Signal (V)"), std::string::npos);
    EXPECT_NE(PageOneText(dir, "accel.pdf").find("Signal (V)"), std::string::npos);
    for (const auto& [name, count] : {std::pair{"grab", "1"}, std::pair{"accel", "2"}}) {
        const ToolRun pages = RunIn(dir, Quoted(PDFINFO), name + std::string(".pdf"));
        EXPECT_NE(pages.out.find(std::string("Pages:           ") + count), std::string::npos)
            << pages.out;
        EXPECT_NE(pages.out.find("595 x 842 pts (A4)"), std::string::npos) << pages.out;
        ASSERT_EQ(RunIn(dir, Quoted(PDFTOPPM),
                        "-f 1 -l 1 -singlefile -r 20 -png " + std::string(name) + ".pdf page")
                      .status,
                  0);
        const auto [width, height] = PngSize(dir.File("page.png"));
        EXPECT_NEAR(width, 165, 2) << name;  // 210 x 297 mm at 20 dpi
        EXPECT_NEAR(height, 234, 2) << name;
    }
}

// A dyna's tachometer spans hundreds of flywheel holes across the page: in
// print each hole's pulse stays a stroke of its own, not a solid band.
TEST_F(ReportTool, TheTachometerStaysLegibleInPrint) {
    ASSERT_EQ(Report(dir, "-o . accel.CSV").status, 0);
    const std::vector<std::string> details = DetailsOf(dir, "accel.CSV");
    // Holes passing in the 4 s of the dyna, 16 a revolution, at least.
    const double holes = std::stod(details[3]) / 60 * 16 * 4;
    ASSERT_GT(holes, 300);
    int strokes = 0;
    for (const std::string page : {"1", "2"}) {
        ASSERT_EQ(RunIn(dir, Quoted(PDFTOPPM),
                        "-gray -r 400 -f " + page + " -l " + page + " -singlefile accel.pdf page")
                      .status,
                  0);
        strokes = std::max(strokes, MostStrokesInARow(ReadPgm(dir.File("page.pgm"))));
    }
    EXPECT_GT(strokes, 0.8 * holes);
}

TEST_F(ReportTool, AFailedCaptureGetsNoReportTheOthersDo) {
    testing::WriteText(dir.File("bad.CSV"), "Grab\r\n");
    const ToolRun run = Report(dir, "-o out grab.CSV bad.CSV missing.CSV accel.CSV");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "bad.CSV: Input file is neither \"grab\" nor \"dyna\"!\n"
              "missing.CSV: File not found\n");
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/grab.pdf")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/accel.pdf")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/bad.pdf")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/missing.pdf")));
    // Nothing but the reports: no temporary file left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("out")),
                            std::filesystem::directory_iterator()),
              2);
}

// A report never replaces the file it is made from, nor the settings it uses.
TEST_F(ReportTool, AReportNeverReplacesItsInputs) {
    std::filesystem::copy_file(dir.File("grab.CSV"), dir.File("grab.pdf"));
    testing::WriteText(dir.File("settings.pdf"), "[Flywheel1]\r\nMass=1\r\nDiam=1\r\n");
    const std::string capture = testing::ReadText(dir.File("grab.pdf"));
    const std::string settings = testing::ReadText(dir.File("settings.pdf"));
    std::filesystem::copy_file(dir.File("accel.CSV"), dir.File("settings.CSV"));
    const ToolRun run = Report(dir, "--settings settings.pdf -o . grab.pdf settings.CSV");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("grab.pdf: its report ./grab.pdf would replace the capture itself"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("settings.CSV: its report ./settings.pdf would replace the settings"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(testing::ReadText(dir.File("grab.pdf")), capture);
    EXPECT_EQ(testing::ReadText(dir.File("settings.pdf")), settings);
}

// What cannot be evaluated gets no report, and a pipe is not waited on.
TEST_F(ReportTool, NoReportForWhatCannotBeEvaluated) {
    testing::WriteText(dir.File("nonsense.CSV"), "grab\nnonsense\n");
    std::filesystem::create_directory(dir.File("folder.CSV"));
    ASSERT_EQ(RunIn(dir, "mkfifo", "pipe.CSV").status, 0);
    const ToolRun run = RunIn(dir, "timeout 60 env -u DISPLAY " + Quoted(CORVANE_REPORT_TOOL),
                              "-o out nonsense.CSV folder.CSV pipe.CSV grab.CSV");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "nonsense.CSV: No samples: the capture cannot be evaluated\n"
              "folder.CSV: File access denied: it is a folder\n"
              "pipe.CSV: Not a file but a pipe or device: nothing was read\n");
    for (const char* name : {"nonsense", "folder", "pipe"})
        EXPECT_FALSE(std::filesystem::exists(dir.File("out/" + std::string(name) + ".pdf")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/grab.pdf")));
}

TEST_F(ReportTool, UsageErrorsExitTwo) {
    testing::WriteText(dir.File("file"), "");
    for (const std::string arguments :
         {"", "grab.CSV", "-o out", "--frobnicate -o out grab.CSV",
          "--settings missing.INI -o out grab.CSV", "-o file grab.CSV"}) {
        const ToolRun run = Report(dir, arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err, "") << arguments;
        EXPECT_EQ(run.out, "") << arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/grab.pdf")));
    EXPECT_EQ(Report(dir, "--settings missing.INI -o out grab.CSV").err,
              "missing.INI: File not found\n");
    EXPECT_NE(Report(dir, "-o out").err.find("Usage: corvane-report"), std::string::npos);
}

// Two captures of one name from different folders: both reports are kept.
TEST(ReportFileNames, ANameMetBeforeGetsANumber) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
        {{"a/run.CSV", "b/run.csv", "run.txt"}, {"run.pdf", "run-2.pdf", "run-3.pdf"}},
        {{"run.CSV", "run-2.CSV", "x/run.CSV"}, {"run.pdf", "run-2.pdf", "run-3.pdf"}},
        {{"run-2.CSV", "run.CSV", "y/run.CSV"}, {"run-2.pdf", "run.pdf", "run-3.pdf"}},
        {{"/data/week 1/run.1.CSV", "noext", ".CSV"}, {"run.1.pdf", "noext.pdf", ".CSV.pdf"}},
    };
    for (const auto& [captures, names] : cases) EXPECT_EQ(ReportFileNames(captures), names);
}

TEST_F(ReportTool, CollidingNamesAreAllWritten) {
    std::filesystem::create_directories(dir.File("other"));
    std::filesystem::copy_file(dir.File("accel.CSV"), dir.File("other/grab.CSV"));
    ASSERT_EQ(Report(dir, "-o out grab.CSV other/grab.CSV").status, 0);
    EXPECT_NE(PageOneText(dir, "out/grab.pdf").find("Grab capture"), std::string::npos);
    EXPECT_NE(PageOneText(dir, "out/grab-2.pdf").find("Dyna capture"), std::string::npos);
}

}  // namespace
}  // namespace corvane::report
