#include "ui/window_settings.h"

#include <QDir>
#include <QFileInfo>

#include "settings/disk_table_settings.h"
#include "settings/performance_settings.h"

namespace corvane::ui {

namespace {

QString UserConfigFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + "/.config";
    return config + "/corvane/";
}

}  // namespace

SettingsLocation LocateSettings(const QString& appDir) {
    const QFileInfo folder(appDir);
    const QString programFile = QDir(appDir).absoluteFilePath(kSettingsFileName);
    const QFileInfo file(programFile);
    const bool writable = folder.isDir() && folder.isWritable() &&
                          (!file.exists() || (file.isFile() && file.isWritable()));
    if (writable) return {programFile, programFile};
    const QString userFile = UserConfigFolder() + kSettingsFileName;
    const bool saved = QFileInfo::exists(userFile);
    return {saved || !file.exists() ? userFile : programFile, userFile};
}

SettingsLocation SettingsIn(const QString& folder) {
    const QString path = QDir(folder).absoluteFilePath(kSettingsFileName);
    return {path, path};
}

FormSettings LoadFormSettings(const settings::IniFile& ini, const FormSettings& current,
                              const text::NumberFormat& fmt) {
    FormSettings state = current;
    state.left = ini.ReadInteger("Form", "Left", current.left);
    state.top = ini.ReadInteger("Form", "Top", current.top);
    state.height = ini.ReadInteger("Form", "Height", current.height);
    state.width = ini.ReadInteger("Form", "Width", current.width);
    for (std::size_t i = 0; i < charts::kGraphs.size(); ++i)
        state.graphs[i] =
            ini.ReadYesNo("Graphs", charts::kGraphs[i].settingsKey, current.graphs[i]);
    state.disks = settings::LoadDiskTable(ini, fmt);
    state.averagedLoop = ini.ReadYesNo(kPerformanceSection, kAveragedLoopKey, current.averagedLoop);
    state.bench = settings::LoadBenchSettings(ini);
    ExportSettings& exports = state.exports;
    exports.pictureFolder = QString::fromStdString(ini.ReadString("Pictures", "Folder", ""));
    exports.pictureDpi = ini.ReadInteger("Pictures", "Dpi", 0);
    if (exports.pictureDpi < kLeastPictureDpi || exports.pictureDpi > kMostPictureDpi)
        exports.pictureDpi = 0;
    exports.reportFolder = QString::fromStdString(ini.ReadString("Reports", "Folder", ""));
    state.recordingFolder = QString::fromStdString(ini.ReadString("Recording", "Folder", ""));
    return state;
}

void SaveFormSettings(settings::IniFile& ini, const FormSettings& state) {
    ini.WriteInteger("Form", "Left", state.left);
    ini.WriteInteger("Form", "Top", state.top);
    ini.WriteInteger("Form", "Height", state.height);
    ini.WriteInteger("Form", "Width", state.width);
    for (std::size_t i = 0; i < charts::kGraphs.size(); ++i)
        ini.WriteYesNo("Graphs", charts::kGraphs[i].settingsKey, state.graphs[i]);
    settings::SaveDiskTable(ini, state.disks);
    // A key that is present reads the same whatever the fallback.
    const bool present = ini.ReadString(kPerformanceSection, kAveragedLoopKey, "Yes") ==
                         ini.ReadString(kPerformanceSection, kAveragedLoopKey, "No");
    if (state.averagedLoop || present)
        ini.WriteYesNo(kPerformanceSection, kAveragedLoopKey, state.averagedLoop);
    const ExportSettings& exports = state.exports;
    if (!exports.pictureFolder.isEmpty())
        ini.WriteString("Pictures", "Folder", exports.pictureFolder.toStdString());
    if (exports.pictureDpi > 0) ini.WriteInteger("Pictures", "Dpi", exports.pictureDpi);
    if (!exports.reportFolder.isEmpty())
        ini.WriteString("Reports", "Folder", exports.reportFolder.toStdString());
    if (!state.recordingFolder.isEmpty())
        ini.WriteString("Recording", "Folder", state.recordingFolder.toStdString());
}

SettingsStore::SettingsStore(SettingsLocation location) : location_(std::move(location)) {}

SettingsStore::~SettingsStore() = default;

FormSettings SettingsStore::Load(const FormSettings& current, const text::NumberFormat& fmt) {
    auto ini = std::make_unique<settings::IniFile>(location_.readPath.toStdString());
    const FormSettings state = LoadFormSettings(*ini, current, fmt);
    if (ini->Damage().empty()) return state;
    notice_ = "The settings file " + location_.readPath + " could not be read whole (" +
              QString::fromStdString(ini->Damage()) + "). The program uses what it could read. ";
    try {
        QDir().mkpath(QFileInfo(backupPath()).absolutePath());
        ini->SaveOriginalAs(backupPath().toStdString());
        notice_ += "The file as it was is kept as " + backupPath() + ".";
    } catch (const std::exception& e) {
        notice_ += "It could not be kept as " + backupPath() + " (" +
                   QString::fromStdString(e.what()) +
                   "), so the settings will not be saved over it.";
        unsaved_ = std::move(ini);
    }
    return state;
}

void SettingsStore::Save(const FormSettings& state) {
    // A settings folder under ~/.config may not exist yet.
    QDir().mkpath(QFileInfo(location_.savePath).absolutePath());
    if (unsaved_) {
        unsaved_->SaveOriginalAs(backupPath().toStdString());
        unsaved_.reset();
    }
    settings::IniFile ini(location_.readPath.toStdString());
    SaveFormSettings(ini, state);
    ini.SaveAs(location_.savePath.toStdString());
}

}  // namespace corvane::ui
