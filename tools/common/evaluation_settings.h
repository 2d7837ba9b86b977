#pragma once
// What the tools evaluate every capture with: the point-and-comma numbers of
// the files, and the disk table and bench settings of a settings file, or the
// defaults (five blank rows, the manual's budget) without one.

#include <string>

#include "analysis/moment_of_inertia.h"
#include "performance/performance.h"
#include "text/number_format.h"

namespace corvane::tools {

struct EvaluationSettings {
    text::NumberFormat numbers = text::PointComma();
    analysis::DiskTable disks;  // filled by LoadEvaluationSettings
    performance::BenchSettings bench;
};

// What --settings INI means to every tool that evaluates captures.
inline constexpr const char* kSettingsOptionHelp =
    "settings file whose Flywheel sections give the disk table (default: five "
    "blank rows) and whose [Performance] section gives the uncertainty budget "
    "and the calibrations "
    "(default: the manual's); a file that cannot be read is an error";

// The settings of the file at `path`, or the defaults when it is empty; a
// file that cannot be read is reported ("FILE: message") and gives none.
bool LoadEvaluationSettings(const std::string& path, EvaluationSettings& into);

}  // namespace corvane::tools
