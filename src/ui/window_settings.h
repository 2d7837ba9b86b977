#pragma once
// The settings file CorvaneLogger.INI: window bounds, graph choice, disk table.

#include <QString>
#include <array>

#include "analysis/moment_of_inertia.h"
#include "settings/ini_file.h"
#include "text/number_format.h"
#include "ui/charts/graph_table.h"

namespace corvane::ui {

inline constexpr const char* kSettingsFileName = "CorvaneLogger.INI";

struct FormSettings {
    int left = 360;
    int top = 245;
    int width = 825;
    int height = 924;
    GraphChoice graphs = DesignedGraphs();
    analysis::DiskTable disks;
};

// The program's folder when it is writable (a build tree or a portable
// install), else $XDG_CONFIG_HOME/corvane/ (default ~/.config/corvane/);
// always with a trailing separator.
QString SettingsFolder(const QString& appDir);

// Reads Form, Graphs and Flywheel1..10; `current` gives the defaults.
FormSettings LoadFormSettings(const settings::IniFile& ini, const FormSettings& current,
                              const text::NumberFormat& fmt);
// Writes them in the same order and saves the file (throws "Unable to write to ...").
void SaveFormSettings(settings::IniFile& ini, const FormSettings& state);

}  // namespace corvane::ui
