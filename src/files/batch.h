#pragma once
// Batch evaluation: many capture files into one comma-separated results file.
// The window's Multiple button and corvane-batch share this; each supplies the
// per-file evaluation (import + analysis, and display in the window).

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_error.h"

namespace corvane::files {

inline constexpr const char* kBatchHeader = "File, Lo Temp, Hi Temp, RPM, Ind Pwr, Power, Torque";

// Column 1 of the results table SG after a file's analysis, rows 0..7.
using ResultsColumn = std::array<std::string, 8>;

// Imports and analyses one capture file and returns the results table's column 1.
// Throwing ends the batch at that file.
using EvaluateCaptureFile = std::function<ResultsColumn(const std::string& path)>;

// Everything a batch's outputs take from one capture file, worked out where
// the file was evaluated (on any thread) and turned into lines in input order.
struct CaptureOutcome {
    ResultsColumn column;  // the results table's column 1
    // What the user is told about this capture besides its line, in input
    // order (the window's message boxes): "Please consult Help for ...".
    std::vector<std::string> notes;
    // The capture's line of the details file (CR LF included), when one is written.
    std::string details;
};

// One evaluation of the kind above; throwing ends the batch at that file.
using EvaluateCapture = std::function<CaptureOutcome(const std::string& path)>;
// Makes one evaluation for each thread of a batch: each keeps its own
// working record. Called on the batch's own thread, once per worker.
using MakeEvaluation = std::function<EvaluateCapture()>;

struct BatchOptions {
    // Threads evaluating capture files at once. The results are the same,
    // byte for byte and line for line, whatever the number.
    int threads = 1;
    // Add the lines to an existing results file instead of replacing it
    // (RunBatchToFile); the header is written only into a new or empty file.
    bool append = false;
    // A second file beside the results, one line per capture (each outcome's
    // details) after its header line: written by the same rules as the results
    // file (replaced by rename, or added to with append), and holding the
    // captures of the results; a capture that stops the batch adds its own
    // line when its evaluation gave one (UnevaluatedCapture).
    struct DetailsFile {
        std::string path;
        std::string header;  // its first line, CR LF included
    };
    std::optional<DetailsFile> details;
    // Told of each capture once its line is written, in input order, on the
    // calling thread (the tool shows the notes there).
    std::function<void(const std::string& path, const CaptureOutcome& outcome)> written;
};

// Receives the results file's text line by line (each with its CR LF).
using WriteBatchText = std::function<void(std::string_view text)>;

// Keeps only the digits 0-9 and points: "1,234.5 mW" gives "1234.5"; signs go too.
std::string KeepDigits(std::string_view text);

// The file's name without its folder.
std::string FileNameOf(const std::string& path);

// The name with every control character replaced by '?': a CR or LF in a file
// name must not start a line of its own in a results file or a message.
std::string PrintableName(std::string_view name);

// One results line without its line end: the name (PrintableName), then ", "
// and KeepDigits of rows 0, 1, 4, 5, 6 and 7.
std::string BatchLine(std::string_view fileName, const ResultsColumn& column);

// A capture whose evaluation failed, carrying the line the details file gives
// it (its name, its kind as far as known, no figures); what() is the reason.
class UnevaluatedCapture : public std::runtime_error {
public:
    UnevaluatedCapture(const std::string& reason, std::string detailsLine)
        : std::runtime_error(reason), detailsLine_(std::move(detailsLine)) {}
    const std::string& detailsLine() const { return detailsLine_; }

private:
    std::string detailsLine_;
};

// What a stopped batch left in one of the files it writes.
struct StoppedFile {
    // The number of capture lines the file now holds (or, when appending,
    // that were added to it), or nothing when it was left as it was (then
    // writeError says why, if writing failed).
    std::optional<int> hold;
    bool appended = false;
    std::string writeError;
};

// A capture file whose evaluation failed; what() is "<path>: <message>".
class BatchFileError : public std::runtime_error {
public:
    BatchFileError(std::string path, std::string message, int evaluated);
    const std::string& path() const { return path_; }
    const std::string& message() const { return message_; }
    // The capture files evaluated before this one, whose lines were written.
    int evaluated() const { return evaluated_; }

    // What the batch left in its results file (RunBatchToFile says): the
    // number of capture lines the file now holds (or, when appending, that
    // were added to it), or nothing when the file was left as it was (then
    // writeError says why, if writing failed).
    const std::optional<int>& resultsHold() const { return results_.hold; }
    bool resultsAppended() const { return results_.appended; }
    const std::string& resultsWriteError() const { return results_.writeError; }
    const StoppedFile& results() const { return results_; }
    StoppedFile& results() { return results_; }
    // The same for the details file, which also holds the failing capture's
    // line when its evaluation gave one (UnevaluatedCapture).
    bool detailsHoldFailingCapture() const { return detailsHoldFailingCapture_; }
    void SetDetailsHoldFailingCapture() { detailsHoldFailingCapture_ = true; }
    const StoppedFile& details() const { return details_; }
    StoppedFile& details() { return details_; }
    void SetResultsLeftAsTheyWere(std::string writeError) {
        results_.hold.reset();
        results_.writeError = std::move(writeError);
    }

private:
    std::string path_;
    std::string message_;
    int evaluated_ = 0;
    StoppedFile results_;
    StoppedFile details_;
    bool detailsHoldFailingCapture_ = false;
};

// What a stopped batch left in its results file, for the user: "holds the
// results of 2 capture files; the batch stopped at bad.CSV" (when appending
// "has the results of 2 more capture files; ..."), or "was left as it was: no
// capture file was evaluated".
std::string StoppedBatchNote(const BatchFileError& error);
// The same for the details file: "holds the details of 2 capture files; ...".
std::string StoppedDetailsNote(const BatchFileError& error);

// The chosen results file is one of the batch's input files: writing it would
// destroy that input, so the batch is refused before anything is written.
class ResultsFileIsInputError : public std::runtime_error {
public:
    // what: "one of the files to be evaluated", "the settings file", ...;
    // file: "results file" or "details file".
    explicit ResultsFileIsInputError(const std::string& resultsPath,
                                     const std::string& what = "one of the files to be evaluated",
                                     const std::string& file = "results file");
};

// An existing results file to be appended to does not begin with the header
// (it is some other file): nothing is appended, nothing evaluated.
class NotAResultsFileError : public std::runtime_error {
public:
    explicit NotAResultsFileError(const std::string& resultsPath);
    // The same for another file a batch writes, whose first line is header.
    NotAResultsFileError(const std::string& path, const std::string& file, std::string_view header);
};

// Throws ResultsFileIsInputError when resultsPath names the same file as one
// of capturePaths (compared by identity, SameFile; one look at each file).
void CheckResultsFileIsNotInput(const std::string& resultsPath,
                                const std::vector<std::string>& capturePaths);

// A file a batch writes (the results or the details file) could not be
// written; what() is the plain message ("Disk full"), path() the file.
class BatchOutputError : public FileError {
public:
    BatchOutputError(std::string path, const std::string& message)
        : FileError(message), path_(std::move(path)) {}
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Writes the header, then evaluates the files in order and writes one line for
// each. A failed evaluation throws BatchFileError naming the file; the lines of
// the files before it have already been written.
void RunBatch(const std::vector<std::string>& capturePaths, const EvaluateCaptureFile& evaluate,
              const WriteBatchText& write);
// The same on options.threads threads: the files are evaluated ahead of the
// writing, but written (and options.written told) in input order, and a failed
// file stops the batch at the same line as on one thread. A details file is
// refused, before anything is written, when it is one of the capture files
// (ResultsFileIsInputError); it is written like RunBatchToFile's results file,
// with the same lines as `write` was given. Its write errors throw
// BatchOutputError.
void RunBatch(const std::vector<std::string>& capturePaths, const MakeEvaluation& evaluation,
              const WriteBatchText& write, const BatchOptions& options);

// RunBatch into a results file, which is replaced only by complete text
// (AtomicFile). Refuses a results file that is one of the capture files
// before anything is evaluated. When a capture fails, the lines of the files
// before it replace the results file; but a file that already exists is left
// as it was when no capture was evaluated. The BatchFileError says which.
// Throws FileError when the results file cannot be written: it is then left
// exactly as it was.
//
// With options.append the new lines go after the file's present content (a
// file without a line end at its end gets one first), by the same
// replace-by-rename: old and new lines reach the disk together or not at all,
// so nothing already in the file is ever lost. A failing capture adds the
// lines before it, or leaves the file as it was when there are none. A file
// whose first line is not the header throws NotAResultsFileError first; one
// changed by someone else while the batch ran is left as they left it
// (FileError "The file was changed meanwhile").
//
// A details file (options.details) follows the same rules, checked before
// anything is evaluated, and gets the same captures (and the failing one's
// line, see BatchOptions::details): both files are flushed
// to the disk before either replaces its target. The errors of writing either
// are BatchOutputError, a FileError naming the file.
void RunBatchToFile(const std::string& resultsPath, const std::vector<std::string>& capturePaths,
                    const EvaluateCaptureFile& evaluate);
void RunBatchToFile(const std::string& resultsPath, const std::vector<std::string>& capturePaths,
                    const MakeEvaluation& evaluation, const BatchOptions& options);

}  // namespace corvane::files
