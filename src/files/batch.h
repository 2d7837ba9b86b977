#pragma once
// Batch evaluation: many capture files into one comma-separated results file.
// The window's Multiple button and corvane-batch share this; each supplies the
// per-file evaluation (import + analysis, and display in the window).

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::files {

inline constexpr const char* kBatchHeader = "File, Lo Temp, Hi Temp, RPM, Ind Pwr, Power, Torque";

// Column 1 of the results table SG after a file's analysis, rows 0..7.
using ResultsColumn = std::array<std::string, 8>;

// Imports and analyses one capture file and returns the results table's column 1.
// Throwing ends the batch at that file.
using EvaluateCaptureFile = std::function<ResultsColumn(const std::string& path)>;

// Receives the results file's text line by line (each with its CR LF).
using WriteBatchText = std::function<void(std::string_view text)>;

// Keeps only the digits 0-9 and points: "1,234.5 mW" gives "1234.5"; signs go too.
std::string KeepDigits(std::string_view text);

// The file's name without its folder.
std::string FileNameOf(const std::string& path);

// One results line without its line end: the name, then ", " and KeepDigits of
// rows 0, 1, 4, 5, 6 and 7.
std::string BatchLine(std::string_view fileName, const ResultsColumn& column);

// A capture file whose evaluation failed; what() is "<path>: <message>".
class BatchFileError : public std::runtime_error {
public:
    BatchFileError(std::string path, std::string message);
    const std::string& path() const { return path_; }
    const std::string& message() const { return message_; }

private:
    std::string path_;
    std::string message_;
};

// The chosen results file is one of the capture files: writing it would destroy
// that capture, so the batch is refused before anything is written.
class ResultsFileIsInputError : public std::runtime_error {
public:
    explicit ResultsFileIsInputError(const std::string& resultsPath);
};

// Throws ResultsFileIsInputError when resultsPath names the same file as one of
// capturePaths (same file on disk, or the same normalised path).
void CheckResultsFileIsNotInput(const std::string& resultsPath,
                                const std::vector<std::string>& capturePaths);

// Writes the header, then evaluates the files in order and writes one line for
// each. A failed evaluation throws BatchFileError naming the file; the lines of
// the files before it have already been written.
void RunBatch(const std::vector<std::string>& capturePaths, const EvaluateCaptureFile& evaluate,
              const WriteBatchText& write);

// RunBatch into a results file: refuses a results file that is one of the
// capture files (nothing written), then creates or replaces it. The file is
// closed on every path, keeping the lines written before a failure.
// Throws FileError when the file cannot be created or written.
void RunBatchToFile(const std::string& resultsPath, const std::vector<std::string>& capturePaths,
                    const EvaluateCaptureFile& evaluate);

}  // namespace corvane::files
