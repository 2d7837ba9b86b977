#include "settings/disk_table_settings.h"

#include <string>

#include "files/file_error.h"
#include "text/format.h"

namespace corvane::settings {

namespace {

std::string FlywheelSection(int number) { return "Flywheel" + std::to_string(number); }

}  // namespace

analysis::DiskTable LoadDiskTable(const IniFile& ini, const text::NumberFormat& fmt) {
    // Emptied to one blank row; each stored row fills the last row, then a row is added.
    analysis::DiskTable table(1);
    for (int i = 1; i <= kFlywheelSections; ++i) {
        const std::string section = FlywheelSection(i);
        const std::string mass = ini.ReadString(section, "Mass", "");
        const std::string diam = ini.ReadString(section, "Diam", "");
        const std::string moment = ini.ReadString(section, "MI", "");
        analysis::DiskRow& row = table.back();
        if (!text::IsBlank(mass) && !text::IsBlank(diam)) {
            row[0] = mass;
            row[1] = diam;
            // The stored moment is ignored: mass and diameter decide.
            const int index = static_cast<int>(table.size()) - 1;
            row[2] = text::FormatAdaptive(analysis::DiskMomentOfInertia(table, index, fmt), fmt);
            table.emplace_back();
        } else if (!text::IsBlank(moment)) {
            row[0].clear();
            row[1].clear();
            row[2] = moment;
            table.emplace_back();
        }
    }
    table.resize(kDiskTableRows);
    return table;
}

DiskTableFile LoadDiskTableFile(const std::string& path, const text::NumberFormat& fmt) {
    try {
        const IniFile ini(path, IniFile::Missing::IsAnError);
        if (!ini.Damage().empty()) return {{}, "could not be read whole: " + ini.Damage()};
        return {LoadDiskTable(ini, fmt), {}};
    } catch (const files::FileError& error) {
        return {{}, error.what()};
    }
}

void SaveDiskTable(IniFile& ini, const analysis::DiskTable& table) {
    for (int i = 1; i <= kFlywheelSections; ++i) {
        const std::string section = FlywheelSection(i);
        ini.WriteString(section, "Mass", "");
        ini.WriteString(section, "Diam", "");
        ini.WriteString(section, "MI", "");
    }
    for (std::size_t r = 0; r < table.size(); ++r) {
        const analysis::DiskRow& row = table[r];
        if (text::IsBlank(row[0]) && text::IsBlank(row[1]) && text::IsBlank(row[2])) continue;
        const std::string section = FlywheelSection(static_cast<int>(r) + 1);
        ini.WriteString(section, "Mass", row[0]);
        ini.WriteString(section, "Diam", row[1]);
        ini.WriteString(section, "MI", row[2]);
    }
}

}  // namespace corvane::settings
