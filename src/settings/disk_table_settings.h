#pragma once
// The disk table's Flywheel1..Flywheel10 sections.

#include "analysis/moment_of_inertia.h"
#include "settings/ini_file.h"
#include "text/number_format.h"

namespace corvane::settings {

inline constexpr int kDiskTableRows = 5;
inline constexpr int kFlywheelSections = 10;

// Five rows: stored rows fill from the top without gaps; mass+diameter rows get
// their moment computed and formatted; MI-only rows keep the stored text.
analysis::DiskTable LoadDiskTable(const IniFile& ini, const text::NumberFormat& fmt);
// Blanks Flywheel1..10, then writes every row that is not all blank as Flywheel(r+1).
void SaveDiskTable(IniFile& ini, const analysis::DiskTable& table);

}  // namespace corvane::settings
