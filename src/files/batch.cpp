#include "files/batch.h"

#include <filesystem>

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/file_identity.h"

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
        return "holds the results of " + CaptureFiles(*error.resultsHold()) +
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

void CheckResultsFileIsNotInput(const std::string& resultsPath,
                                const std::vector<std::string>& capturePaths) {
    if (FindSameFile(resultsPath, capturePaths)) throw ResultsFileIsInputError(resultsPath);
}

void RunBatch(const std::vector<std::string>& capturePaths, const EvaluateCaptureFile& evaluate,
              const WriteBatchText& write) {
    write(std::string(kBatchHeader) + "\r\n");
    int evaluated = 0;
    for (const std::string& path : capturePaths) {
        ResultsColumn column;
        try {
            column = evaluate(path);
        } catch (const std::exception& error) {
            throw BatchFileError(path, error.what(), evaluated);
        }
        write(BatchLine(FileNameOf(path), column) + "\r\n");
        ++evaluated;
    }
}

void RunBatchToFile(const std::string& resultsPath, const std::vector<std::string>& capturePaths,
                    const EvaluateCaptureFile& evaluate) {
    CheckResultsFileIsNotInput(resultsPath, capturePaths);
    AtomicFile results(resultsPath);
    try {
        RunBatch(capturePaths, evaluate,
                 [&results](std::string_view text) { results.Write(text); });
    } catch (BatchFileError& stop) {
        // The lines written so far are kept, as a batch that stops always kept
        // them; but an existing file is not traded for a bare header.
        if (stop.evaluated() > 0 || !results.TargetExisted()) {
            try {
                results.Commit();
                stop.SetResultsHold(stop.evaluated());
            } catch (const FileError& writeError) {
                stop.SetResultsLeftAsTheyWere(writeError.what());
            }
        }
        throw;
    }
    results.Commit();
}

}  // namespace corvane::files
