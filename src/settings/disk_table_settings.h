#pragma once
// The disk table's Flywheel1..Flywheel10 sections.

#include <string>

#include "analysis/moment_of_inertia.h"
#include "settings/ini_file.h"
#include "text/number_format.h"

namespace corvane::settings {

inline constexpr int kDiskTableRows = 5;
inline constexpr int kFlywheelSections = 10;

// Five rows: stored rows fill from the top without gaps; mass+diameter rows get
// their moment computed and formatted; MI-only rows keep the stored text.
analysis::DiskTable LoadDiskTable(const IniFile& ini, const text::NumberFormat& fmt);

// The disk table of a settings file the user named (a tool's --settings).
struct DiskTableFile {
    analysis::DiskTable disks;
    // Why there is no table, or empty: "File not found", "File access denied",
    // "could not be read whole: line 2 holds a NUL byte", ...
    std::string error;
};
// A file that is missing, unreadable or not read whole gives an error and no
// table: every dyna would silently be computed without (some of) its disks.
DiskTableFile LoadDiskTableFile(const std::string& path, const text::NumberFormat& fmt);

// Blanks Flywheel1..10, then writes every row that is not all blank as Flywheel(r+1).
void SaveDiskTable(IniFile& ini, const analysis::DiskTable& table);

}  // namespace corvane::settings
