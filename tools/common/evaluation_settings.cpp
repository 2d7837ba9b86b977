#include "evaluation_settings.h"

#include <utility>

#include "settings/disk_table_settings.h"
#include "settings/performance_settings.h"
#include "tool_messages.h"

namespace corvane::tools {

bool LoadEvaluationSettings(const std::string& path, EvaluationSettings& into) {
    into.disks = analysis::DiskTable(settings::kDiskTableRows);
    if (path.empty()) return true;
    auto loaded = settings::LoadDiskTableFile(path, into.numbers);
    if (!loaded.error.empty()) {
        ReportFile(path, loaded.error);
        return false;
    }
    into.disks = std::move(loaded.disks);
    into.bench = settings::LoadBenchSettingsFile(path);
    return true;
}

}  // namespace corvane::tools
