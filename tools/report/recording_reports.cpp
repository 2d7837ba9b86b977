#include "recording_reports.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "files/file_error.h"
#include "recording/recording_error.h"
#include "recording/recording_settings.h"
#include "report/run_report_file.h"
#include "settings/ini_file.h"
#include "tool_messages.h"

namespace corvane::tools {

namespace {

// The [Recording] criteria the cycles' steady flags are read with.
recording::SteadyCriteria Criteria(const std::string& settingsPath) {
    if (settingsPath.empty()) return {};
    try {
        return recording::LoadSteadyCriteria(settings::IniFile(settingsPath));
    } catch (const std::exception&) {
        return {};  // already read once for the disk table: it was readable then
    }
}

}  // namespace

bool AllRecordingFolders(const std::vector<std::string>& inputs) {
    return !inputs.empty() && std::all_of(inputs.begin(), inputs.end(), report::IsRecordingFolder);
}

void TrimRecordingFolders(std::vector<std::string>& inputs) {
    for (std::string& input : inputs) {
        if (!report::IsRecordingFolder(input)) continue;
        while (input.size() > 1 && input.back() == '/') input.pop_back();
    }
}

bool ReportRecording(const std::string& runFolder, const std::string& outputFolder,
                     const std::string& name, const std::string& settingsPath,
                     const performance::BenchSettings& bench, const QDateTime& created) {
    const std::string pdf = outputFolder.empty()
                                ? report::ReportBesideRecording(runFolder)
                                : (std::filesystem::path(outputFolder) / name).string();
    try {
        report::WriteRunReport(pdf, runFolder, Criteria(settingsPath), bench, {}, created);
        return true;
    } catch (const files::FileError& error) {
        ReportFile(pdf, error.what());  // the report could not be written
    } catch (const std::exception& error) {
        ReportFile(runFolder, error.what());
    }
    return false;
}

}  // namespace corvane::tools
