// Feeds arbitrary bytes to the settings-file parser: load, save, load again.
// The second load must read what the first did, each value as a plain
// key=value line carries it (no outer blanks, one pair of outer quotes taken
// off), and what was written must read whole.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "settings/disk_table_settings.h"
#include "settings/ini_file.h"
#include "text/number_format.h"

namespace {

using corvane::settings::IniEntry;
using corvane::settings::IniFile;

// What "key=" + value reads back as.
std::string Plain(std::string_view value) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!value.empty() && blank(value.front())) value.remove_prefix(1);
    while (!value.empty() && blank(value.back())) value.remove_suffix(1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const IniFile first = IniFile::FromText("CorvaneLogger.INI", text);
    // What the window and the batch read must not fail on any input.
    corvane::settings::LoadDiskTable(first, corvane::text::PointComma());
    first.ReadInteger("Form", "Left", 360);
    first.ReadYesNo("Graphs", "Pressure", true);

    const std::string saved = first.Text();
    const IniFile second = IniFile::FromText("CorvaneLogger.INI", saved);
    // Compared as what a lookup finds: keys outside any section (or in one
    // named "[ ]") are written first, so the order of sections may change.
    const auto sorted = [](std::vector<IniEntry> entries) {
        std::sort(entries.begin(), entries.end(), [](const IniEntry& a, const IniEntry& b) {
            return std::tie(a.section, a.key) < std::tie(b.section, b.key);
        });
        return entries;
    };
    std::vector<IniEntry> expected = first.Entries();
    for (IniEntry& entry : expected) entry.value = Plain(entry.value);
    if (sorted(second.Entries()) != sorted(expected)) std::abort();
    if (!second.Damage().empty()) std::abort();  // what we write reads whole
    return 0;
}
