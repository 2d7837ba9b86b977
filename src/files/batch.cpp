#include "files/batch.h"

#include <filesystem>
#include <memory>

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

std::string_view WithoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// "holds the results of 2 capture files; the batch stopped at bad.CSV", or
// "details" for the details file.
std::string StoppedNote(const BatchFileError& error, const StoppedFile& file,
                        const std::string& what) {
    if (file.hold) {
        return (file.appended ? "has the " + what + " of " + std::to_string(*file.hold) + " more" +
                                    (*file.hold == 1 ? " capture file" : " capture files")
                              : "holds the " + what + " of " + CaptureFiles(*file.hold)) +
               "; the batch stopped at " + PrintableName(FileNameOf(error.path()));
    }
    if (!file.writeError.empty()) {
        return "was left as it was: it could not be written (" + file.writeError + ")";
    }
    return "was left as it was: no capture file was evaluated";
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
    return StoppedNote(error, error.results(), "results");
}

std::string StoppedDetailsNote(const BatchFileError& error) {
    return StoppedNote(error, error.details(), "details");
}

ResultsFileIsInputError::ResultsFileIsInputError(const std::string& resultsPath,
                                                 const std::string& what, const std::string& file)
    : std::runtime_error("The " + file + " \"" + PrintableName(resultsPath) + "\" is also " +
                         what) {}

NotAResultsFileError::NotAResultsFileError(const std::string& resultsPath)
    : NotAResultsFileError(resultsPath, "results file", kBatchHeader) {}

NotAResultsFileError::NotAResultsFileError(const std::string& path, const std::string& file,
                                           std::string_view header)
    : std::runtime_error(
          "The " + file + " \"" + PrintableName(path) + "\" does not begin with the line \"" +
          std::string(WithoutLineEnd(header)) + "\": nothing is added to another kind of file") {}

void CheckResultsFileIsNotInput(const std::string& resultsPath,
                                const std::vector<std::string>& capturePaths) {
    if (FindSameFile(resultsPath, capturePaths)) throw ResultsFileIsInputError(resultsPath);
}

namespace {

// The one-thread evaluation of the window: the results column alone.
MakeEvaluation ColumnsOnly(const EvaluateCaptureFile& evaluate) {
    return [&evaluate]() -> EvaluateCapture {
        return [&evaluate](const std::string& path) {
            return CaptureOutcome{evaluate(path), {}, {}};
        };
    };
}

// One file a batch writes, replaced by rename or added to, its header only at
// the top of a new or empty file. Its write errors name it (BatchOutputError).
class OutputFile {
public:
    // file: "results file", "details file"; header: its first line.
    OutputFile(const std::string& path, const std::string& file, std::string_view header,
               bool append)
        : path_(path) {
        Guarded([&] { file_ = std::make_unique<AtomicFile>(path); });
        if (append) {
            AtomicFile::Copied present;
            Guarded([&] { present = file_->CopyTarget(); });
            if (present.size > 0) {
                if (WithoutLineEnd(present.firstLine) != WithoutLineEnd(header)) {
                    throw NotAResultsFileError(path, file, header);
                }
                addedTo_ = true;
                // A last line cut short stays as it is; the new lines start lines of their own.
                if (present.lastByte != '\n') Write("\r\n");
            }
        }
        if (!addedTo_) Write(std::string(WithoutLineEnd(header)) + "\r\n");
    }

    void Write(std::string_view text) {
        Guarded([&] { file_->Write(text); });
    }
    void Prepare() {
        Guarded([&] { file_->Prepare(); });
    }
    void Commit() {
        Guarded([&] { file_->Commit(); });
    }
    bool TargetExisted() const { return file_->TargetExisted(); }
    // The lines go after an existing file's own (append).
    bool AddedTo() const { return addedTo_; }
    const std::string& path() const { return path_; }

private:
    template <typename Action>
    void Guarded(const Action& action) {
        try {
            action();
        } catch (const BatchOutputError&) {
            throw;
        } catch (const FileError& error) {
            throw BatchOutputError(path_, error.what());
        }
    }

    std::string path_;
    std::unique_ptr<AtomicFile> file_;
    bool addedTo_ = false;
};

void WriteLines(const std::vector<std::string>& capturePaths, const MakeEvaluation& evaluation,
                const WriteBatchText& write, OutputFile* details, const BatchOptions& options) {
    std::size_t evaluated = 0;
    bool delivering = false;  // an error now is the writer's, not the capture's
    try {
        EvaluateInOrder(capturePaths, options.threads, evaluation,
                        [&](std::size_t index, CaptureOutcome& outcome) {
                            delivering = true;
                            const std::string& path = capturePaths[index];
                            write(BatchLine(FileNameOf(path), outcome.column) + "\r\n");
                            if (details) details->Write(outcome.details);
                            ++evaluated;
                            if (options.written) options.written(path, outcome);
                            delivering = false;
                        });
    } catch (const std::exception& error) {
        if (delivering) throw;
        BatchFileError stop(capturePaths[evaluated], error.what(), static_cast<int>(evaluated));
        // The capture that stops the batch still has its line in the details
        // file: its name and kind, no figures; the reason is told once, on stderr.
        const auto* unevaluated = dynamic_cast<const UnevaluatedCapture*>(&error);
        if (details && unevaluated) {
            details->Write(unevaluated->detailsLine());
            stop.SetDetailsHoldFailingCapture();
        }
        throw stop;
    }
}

void CheckDetailsFileIsNotInput(const std::vector<std::string>& capturePaths,
                                const BatchOptions& options) {
    if (options.details && FindSameFile(options.details->path, capturePaths)) {
        throw ResultsFileIsInputError(options.details->path, "one of the files to be evaluated",
                                      "details file");
    }
}

// The details file asked for, or none.
std::unique_ptr<OutputFile> OpenDetails(const BatchOptions& options) {
    if (!options.details) return nullptr;
    return std::make_unique<OutputFile>(options.details->path, "details file",
                                        options.details->header, options.append);
}

// The files in place together: each is on the disk before any replaces its target.
void CommitTogether(const std::vector<OutputFile*>& files) {
    for (OutputFile* file : files) file->Prepare();
    for (OutputFile* file : files) file->Commit();
}

// After a capture stopped the batch: the lines written so far are kept, as a
// batch that stops always kept them; but an existing file is not traded for a
// bare header, nor touched when nothing is added to it. `fates` says what
// became of each file (in the same order).
void KeepWhatWasWritten(BatchFileError& stop, const std::vector<OutputFile*>& files,
                        const std::vector<StoppedFile*>& fates) {
    std::vector<OutputFile*> kept;
    std::vector<StoppedFile*> keptFates;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (stop.evaluated() > 0 || !files[i]->TargetExisted()) {
            kept.push_back(files[i]);
            keptFates.push_back(fates[i]);
        }
    }
    std::size_t committed = 0;
    try {
        for (OutputFile* file : kept) file->Prepare();
        for (; committed < kept.size(); ++committed) {
            kept[committed]->Commit();
            // The details file may also hold the failing capture's own line.
            const bool failingLine =
                keptFates[committed] == &stop.details() && stop.detailsHoldFailingCapture();
            keptFates[committed]->hold = stop.evaluated() + (failingLine ? 1 : 0);
            keptFates[committed]->appended = kept[committed]->AddedTo();
        }
    } catch (const BatchOutputError& error) {
        for (std::size_t i = committed; i < kept.size(); ++i) {
            keptFates[i]->writeError = kept[i]->path() == error.path()
                                           ? std::string(error.what())
                                           : PrintableName(error.path()) + ": " + error.what();
        }
    }
}

}  // namespace

void RunBatch(const std::vector<std::string>& capturePaths, const EvaluateCaptureFile& evaluate,
              const WriteBatchText& write) {
    RunBatch(capturePaths, ColumnsOnly(evaluate), write, BatchOptions{});
}

void RunBatch(const std::vector<std::string>& capturePaths, const MakeEvaluation& evaluation,
              const WriteBatchText& write, const BatchOptions& options) {
    CheckDetailsFileIsNotInput(capturePaths, options);
    const std::unique_ptr<OutputFile> details = OpenDetails(options);
    write(std::string(kBatchHeader) + "\r\n");
    try {
        WriteLines(capturePaths, evaluation, write, details.get(), options);
    } catch (BatchFileError& stop) {
        if (details) KeepWhatWasWritten(stop, {details.get()}, {&stop.details()});
        throw;
    }
    if (details) details->Commit();
}

void RunBatchToFile(const std::string& resultsPath, const std::vector<std::string>& capturePaths,
                    const EvaluateCaptureFile& evaluate) {
    RunBatchToFile(resultsPath, capturePaths, ColumnsOnly(evaluate), BatchOptions{});
}

void RunBatchToFile(const std::string& resultsPath, const std::vector<std::string>& capturePaths,
                    const MakeEvaluation& evaluation, const BatchOptions& options) {
    CheckResultsFileIsNotInput(resultsPath, capturePaths);
    CheckDetailsFileIsNotInput(capturePaths, options);
    OutputFile results(resultsPath, "results file", kBatchHeader, options.append);
    const std::unique_ptr<OutputFile> details = OpenDetails(options);
    std::vector<OutputFile*> files{&results};
    if (details) files.push_back(details.get());
    const auto write = [&results](std::string_view text) { results.Write(text); };
    try {
        WriteLines(capturePaths, evaluation, write, details.get(), options);
    } catch (BatchFileError& stop) {
        KeepWhatWasWritten(stop, files, {&stop.results(), &stop.details()});
        throw;
    }
    CommitTogether(files);
}

}  // namespace corvane::files
