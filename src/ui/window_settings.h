#pragma once
// The settings file CorvaneLogger.INI: window bounds, graph choice, disk table.

#include <QString>
#include <array>
#include <memory>

#include "analysis/moment_of_inertia.h"
#include "charts/graph_table.h"
#include "performance/performance.h"
#include "settings/ini_file.h"
#include "text/number_format.h"

namespace corvane::ui {

inline constexpr const char* kSettingsFileName = "CorvaneLogger.INI";
inline constexpr const char* kSettingsBackupSuffix = ".bak";
// The program's own section beside the lab's: the Engine performance window's switch.
inline constexpr const char* kPerformanceSection = "Performance";
inline constexpr const char* kAveragedLoopKey = "AveragedLoop";

// Where the picture and report dialogs last saved, and the resolution last
// chosen for a PNG picture. Kept in sections of the program's own, [Pictures]
// and [Reports], written only once such a dialog has been used: a settings
// file that never saw one holds its usual sections alone.
struct ExportSettings {
    QString pictureFolder;
    int pictureDpi = 0;  // 0: never chosen
    QString reportFolder;
};

inline constexpr int kLeastPictureDpi = 30;
// Six times the screen's pixels each way is plenty for print, and keeps a
// picture of the whole stack near 100 MB in memory while it is made.
inline constexpr int kMostPictureDpi = 600;

struct FormSettings {
    int left = 360;
    int top = 245;
    int width = 825;
    int height = 924;
    charts::GraphChoice graphs = charts::DesignedGraphs();
    analysis::DiskTable disks;
    bool averagedLoop = false;  // the averaged loop drawn over the PV graph
    performance::BenchSettings bench;  // read only: the lab sets it in the file
    ExportSettings exports;
    QString recordingFolder;  // where the Recorder window records; empty: its default
};

// Where the settings are read from when the window opens and saved to when it closes.
struct SettingsLocation {
    QString readPath;
    QString savePath;
};

// The program folder's file when it can be written there (a build tree or a
// portable install). Otherwise the settings are saved to
// $XDG_CONFIG_HOME/corvane/ (default ~/.config/corvane/) and read from there
// once saved; until then from the program folder's file when it exists, so a
// disk table and board set up for the lab by whoever installed it still count.
SettingsLocation LocateSettings(const QString& appDir);
// Both in the given folder.
SettingsLocation SettingsIn(const QString& folder);

// Reads Form, Graphs, Flywheel1..10, Performance, Pictures, Reports and Recording's folder; `current` gives the
// defaults.
FormSettings LoadFormSettings(const settings::IniFile& ini, const FormSettings& current,
                              const text::NumberFormat& fmt);
// Writes them in the same order (the caller saves the file). The Performance
// key is written only when the switch is on or the file has the key already,
// so a file of the lab's sections alone stays as it was.
void SaveFormSettings(settings::IniFile& ini, const FormSettings& state);

// The settings file over one run: read when the window is first shown, saved
// when it closes.
class SettingsStore {
public:
    explicit SettingsStore(SettingsLocation location);
    ~SettingsStore();

    // Reads the settings. A file that could not be read whole (a NUL byte,
    // UTF-16 text, a line that is neither section, key nor comment) is first
    // kept as CorvaneLogger.INI.bak beside the saved file, replacing an older
    // backup, because the next save would lose what could not be read;
    // notice() then says so.
    FormSettings Load(const FormSettings& current, const text::NumberFormat& fmt);
    // What the user should be told once about the load, or empty.
    const QString& notice() const { return notice_; }
    // Writes the settings, keeping every other key of the file read. A backup
    // that could not be made at loading is made first; when it still fails,
    // nothing is saved. Throws "Unable to write to <file>".
    void Save(const FormSettings& state);

    const SettingsLocation& location() const { return location_; }
    QString backupPath() const { return location_.savePath + kSettingsBackupSuffix; }

private:
    SettingsLocation location_;
    std::unique_ptr<settings::IniFile> unsaved_;  // a damaged file whose backup failed
    QString notice_;
};

}  // namespace corvane::ui
