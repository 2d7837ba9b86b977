#include "curve_files.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "files/atomic_file.h"
#include "files/file_identity.h"
#include "performance/pointwise_curve.h"

namespace corvane::batch {

namespace {

constexpr const char* kCurvesFolder = "curves folder";

// The folder and each folder it lies in, from itself outward.
std::vector<std::string> FolderAndParents(const std::string& folder) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(folder, error);
    if (error) path = std::filesystem::absolute(folder);
    std::vector<std::string> chain;
    for (; !path.empty(); path = path.parent_path()) {
        chain.push_back(path.string());
        if (path == path.root_path()) break;
    }
    return chain;
}

std::string InputRefusal(const std::string& folder, const std::vector<std::string>& inputs,
                         bool recursive) {
    const std::vector<std::string> chain = FolderAndParents(folder);
    for (std::size_t depth = 0; depth < chain.size() && (depth == 0 || recursive); ++depth) {
        for (const std::string& input : inputs) {
            if (input == "-" || !files::SameFile(chain[depth], input)) continue;
            const char* what = depth == 0 ? "one of the files and folders to be evaluated"
                                          : "inside a folder to be evaluated (-r)";
            return files::ResultsFileIsInputError(folder, what, kCurvesFolder).what();
        }
    }
    return {};
}

std::string NameClash(const std::string& folder, const std::vector<std::string>& captures) {
    std::map<std::string, std::string> seen;
    for (const std::string& capture : captures) {
        const std::string curve = CurvePathOf(folder, capture);
        const auto [at, added] = seen.emplace(curve, capture);
        if (!added) {
            return "\"" + files::PrintableName(at->second) + "\" and \"" +
                   files::PrintableName(capture) + "\" would both have the curve file \"" +
                   files::PrintableName(curve) + "\"";
        }
    }
    return {};
}

}  // namespace

std::string CurvesRefusal(const std::string& folder, const std::vector<std::string>& inputs,
                          bool recursive, const std::vector<std::string>& captures) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return "The " + std::string(kCurvesFolder) + " \"" + files::PrintableName(folder) +
               "\" is not a folder";
    }
    const std::string input = InputRefusal(folder, inputs, recursive);
    return input.empty() ? NameClash(folder, captures) : input;
}

std::string CurvePathOf(const std::string& folder, const std::string& capture) {
    const std::string name = std::filesystem::path(capture).stem().string();
    return (std::filesystem::path(folder) / (name + ".curve.csv")).string();
}

CurveFiles::CurveFiles(std::string folder, performance::BenchSettings bench)
    : folder_(std::move(folder)), bench_(bench) {}

files::EvaluateCapture CurveFiles::Evaluating(
    const std::shared_ptr<files::HeadlessEvaluation>& headless) {
    if (folder_.empty()) {
        return [headless](const std::string& path) { return headless->Evaluate(path); };
    }
    return [this, headless](const std::string& path) {
        files::CaptureOutcome outcome = headless->Evaluate(path);
        WriteCurve(*headless, path, outcome);
        return outcome;
    };
}

void CurveFiles::WriteCurve(files::HeadlessEvaluation& headless, const std::string& path,
                            files::CaptureOutcome& outcome) {
    const analysis::CaptureRecord& record = headless.record();
    if (!record.IsDyna) return;
    const performance::PerformanceResult result =
        performance::AnalysePerformance(record, headless.disks(), text::PointComma(), bench_);
    const auto& curve = result.curve;
    if (curve.empty()) {
        outcome.notes.push_back("no curve written: " +
                                std::string(performance::StatusText(result.status)));
        return;
    }
    const std::string target = CurvePathOf(folder_, path);
    try {
        files::AtomicFile file(target);
        file.Write(performance::CurveCsv(curve));
        file.Commit();
    } catch (const std::exception& error) {
        outcome.notes.push_back("curve " + files::PrintableName(target) + " not written: " +
                                error.what());
        failed_ = true;
    }
}

}  // namespace corvane::batch
