#include "files/batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "files/file_error.h"

namespace corvane::files {

namespace {

constexpr int kReportedRows[] = {0, 1, 4, 5, 6, 7};

// The results file, closed on every path out of the batch.
class ResultsFile {
public:
    explicit ResultsFile(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
        if (fd_ < 0) throw FileError(FileErrorText(errno, FileAccess::Write));
    }
    ~ResultsFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    ResultsFile(const ResultsFile&) = delete;
    ResultsFile& operator=(const ResultsFile&) = delete;

    void Write(std::string_view text) {
        while (!text.empty()) {
            ssize_t put = ::write(fd_, text.data(), text.size());
            if (put < 0) {
                if (errno == EINTR) continue;
                throw FileError(FileErrorText(errno, FileAccess::Write));
            }
            text.remove_prefix(static_cast<std::size_t>(put));
        }
    }
    void Close() {
        int result = ::close(fd_);
        fd_ = -1;
        if (result != 0) throw FileError(FileErrorText(errno, FileAccess::Write));
    }

private:
    int fd_;
};

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error) && !error) return true;
    std::error_code errorA, errorB;
    const auto normalA = std::filesystem::weakly_canonical(a, errorA);
    const auto normalB = std::filesystem::weakly_canonical(b, errorB);
    if (errorA || errorB) return a.lexically_normal() == b.lexically_normal();
    return normalA == normalB;
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

std::string BatchLine(std::string_view fileName, const ResultsColumn& column) {
    std::string line(fileName);
    for (int row : kReportedRows) {
        line += ", ";
        line += KeepDigits(column[static_cast<std::size_t>(row)]);
    }
    return line;
}

BatchFileError::BatchFileError(std::string path, std::string message)
    : std::runtime_error(path + ": " + message),
      path_(std::move(path)),
      message_(std::move(message)) {}

ResultsFileIsInputError::ResultsFileIsInputError(const std::string& resultsPath)
    : std::runtime_error("The results file \"" + resultsPath +
                         "\" is also one of the files to be evaluated") {}

void CheckResultsFileIsNotInput(const std::string& resultsPath,
                                const std::vector<std::string>& capturePaths) {
    for (const std::string& capture : capturePaths) {
        if (SameFile(resultsPath, capture)) throw ResultsFileIsInputError(resultsPath);
    }
}

void RunBatch(const std::vector<std::string>& capturePaths, const EvaluateCaptureFile& evaluate,
              const WriteBatchText& write) {
    write(std::string(kBatchHeader) + "\r\n");
    for (const std::string& path : capturePaths) {
        ResultsColumn column;
        try {
            column = evaluate(path);
        } catch (const std::exception& error) {
            throw BatchFileError(path, error.what());
        }
        write(BatchLine(FileNameOf(path), column) + "\r\n");
    }
}

void RunBatchToFile(const std::string& resultsPath, const std::vector<std::string>& capturePaths,
                    const EvaluateCaptureFile& evaluate) {
    CheckResultsFileIsNotInput(resultsPath, capturePaths);
    ResultsFile results(resultsPath);
    RunBatch(capturePaths, evaluate, [&results](std::string_view text) { results.Write(text); });
    results.Close();
}

}  // namespace corvane::files
