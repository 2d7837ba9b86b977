#include "files/batch.h"

#include <filesystem>

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/file_identity.h"
#include "files/ordered_evaluation.h"

namespace corvane::files {

namespace {

constexpr int kReportedRows[] = {0, 1, 4, 5, 6, 7};

std::string CaptureFiles(int count) {
    return std::to_string(count) + (count == 1 ? " capture file" : " capture files");
}

}  // namespace

std::string KeepDigits(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if ((c >= '0' && c <= '9') || c == '.') kept += c;
    }
    return kept;
}

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string PrintableName(std::string_view name) {
    std::string printable(name);
    for (char& c : printable) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F) c = '?';
    }
    return printable;
}

std::string BatchLine(std::string_view fileName, const ResultsColumn& column) {
    std::string line = PrintableName(fileName);
    for (int row : kReportedRows) {
        line += ", ";
        line += KeepDigits(column[static_cast<std::size_t>(row)]);
    }
    return line;
}

BatchFileError::BatchFileError(std::string path, std::string message, int evaluated)
    : std::runtime_error(path + ": " + message),
      path_(std::move(path)),
      message_(std::move(message)),
      evaluated_(evaluated) {}

std::string StoppedBatchNote(const BatchFileError& error) {
    if (error.resultsHold()) {
        return (error.resultsAppended()
                    ? "has the results of " + std::to_string(*error.resultsHold()) + " more" +
                          (*error.resultsHold() == 1 ? " capture file" : " capture files")
                    : "holds the results of " + CaptureFiles(*error.resultsHold())) +
               "; the batch stopped at " + PrintableName(FileNameOf(error.path()));
    }
    if (!error.resultsWriteError().empty()) {
        return "was left as it was: it could not be written (" + error.resultsWriteError() + ")";
    }
    return "was left as it was: no capture file was evaluated";
}

ResultsFileIsInputError::ResultsFileIsInputError(const std::string& resultsPath,
                                                 const std::string& what)
    : std::runtime_error("The results file \"" + PrintableName(resultsPath) + "\" is also " +
                         what) {}

NotAResultsFileError::NotAResultsFileError(const std::string& resultsPath)
    : std::runtime_error("The results file \"" + PrintableName(resultsPath) +
                         "\" does not begin with the line \"" + kBatchHeader +
                         "\": nothing is added to another kind of file") {}

void CheckResultsFileIsNotInput(const std::string& resultsPath,
                                const std::vector<std::string>& capturePaths) {
    if (FindSameFile(resultsPath, capturePaths)) throw ResultsFileIsInputError(resultsPath);
}

namespace {

// The one-thread evaluation of the window: the results column alone.
MakeEvaluation ColumnsOnly(const EvaluateCaptureFile& evaluate) {
    return [&evaluate]() -> EvaluateCapture {
        return [&evaluate](const std::string& path) { return CaptureOutcome{evaluate(path), {}}; };
    };
}

void WriteLines(const std::vector<std::string>& capturePaths, const MakeEvaluation& evaluation,
                const WriteBatchText& write, const BatchOptions& options) {
    std::size_t evaluated = 0;
    bool delivering = false;  // an error now is the writer's, not the capture's
    try {
        EvaluateInOrder(capturePaths, options.threads, evaluation,
                        [&](std::size_t index, CaptureOutcome& outcome) {
                            delivering = true;
                            const std::string& path = capturePaths[index];
                            write(BatchLine(FileNameOf(path), outcome.column) + "\r\n");
                            ++evaluated;
                            if (options.written) options.written(path, outcome);
                            delivering = false;
                        });
    } catch (const std::exception& error) {
        if (delivering) throw;
        throw BatchFileError(capturePaths[evaluated], error.what(), static_cast<int>(evaluated));
    }
}

}  // namespace

void RunBatch(const std::vector<std::string>& capturePaths, const EvaluateCaptureFile& evaluate,
              const WriteBatchText& write) {
    RunBatch(capturePaths, ColumnsOnly(evaluate), write, BatchOptions{});
}

void RunBatch(const std::vector<std::string>& capturePaths, const MakeEvaluation& evaluation,
              const WriteBatchText& write, const BatchOptions& options) {
    write(std::string(kBatchHeader) + "\r\n");
    WriteLines(capturePaths, evaluation, write, options);
}

void RunBatchToFile(const std::string& resultsPath, const std::vector<std::string>& capturePaths,
                    const EvaluateCaptureFile& evaluate) {
    RunBatchToFile(resultsPath, capturePaths, ColumnsOnly(evaluate), BatchOptions{});
}

void RunBatchToFile(const std::string& resultsPath, const std::vector<std::string>& capturePaths,
                    const MakeEvaluation& evaluation, const BatchOptions& options) {
    CheckResultsFileIsNotInput(resultsPath, capturePaths);
    AtomicFile results(resultsPath);
    bool header = true;
    if (options.append) {
        const AtomicFile::Copied present = results.CopyTarget();
        if (present.size > 0) {
            std::string_view first = present.firstLine;
            if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
            if (first != kBatchHeader) throw NotAResultsFileError(resultsPath);
            header = false;
            // A last line cut short stays as it is; the new lines start lines of their own.
            if (present.lastByte != '\n') results.Write("\r\n");
        }
    }
    const auto write = [&results](std::string_view text) { results.Write(text); };
    try {
        if (header) write(std::string(kBatchHeader) + "\r\n");
        WriteLines(capturePaths, evaluation, write, options);
    } catch (BatchFileError& stop) {
        // The lines written so far are kept, as a batch that stops always kept
        // them; but an existing file is not traded for a bare header, nor
        // touched when nothing is added to it.
        if (stop.evaluated() > 0 || !results.TargetExisted()) {
            try {
                results.Commit();
                stop.SetResultsHold(stop.evaluated(), options.append && !header);
            } catch (const FileError& writeError) {
                stop.SetResultsLeftAsTheyWere(writeError.what());
            }
        }
        throw;
    }
    results.Commit();
}

}  // namespace corvane::files
