#include "ui/window_settings.h"

#include <QDir>
#include <QFileInfo>

#include "settings/disk_table_settings.h"

namespace corvane::ui {

QString SettingsFolder(const QString& appDir) {
    const QFileInfo folder(appDir);
    if (folder.isDir() && folder.isWritable()) return QDir(appDir).absolutePath() + "/";
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + "/.config";
    return config + "/corvane/";
}

FormSettings LoadFormSettings(const settings::IniFile& ini, const FormSettings& current,
                              const text::NumberFormat& fmt) {
    FormSettings state = current;
    state.left = ini.ReadInteger("Form", "Left", current.left);
    state.top = ini.ReadInteger("Form", "Top", current.top);
    state.height = ini.ReadInteger("Form", "Height", current.height);
    state.width = ini.ReadInteger("Form", "Width", current.width);
    for (std::size_t i = 0; i < kGraphs.size(); ++i)
        state.graphs[i] = ini.ReadYesNo("Graphs", kGraphs[i].settingsKey, current.graphs[i]);
    state.disks = settings::LoadDiskTable(ini, fmt);
    return state;
}

void SaveFormSettings(settings::IniFile& ini, const FormSettings& state) {
    ini.WriteInteger("Form", "Left", state.left);
    ini.WriteInteger("Form", "Top", state.top);
    ini.WriteInteger("Form", "Height", state.height);
    ini.WriteInteger("Form", "Width", state.width);
    for (std::size_t i = 0; i < kGraphs.size(); ++i)
        ini.WriteYesNo("Graphs", kGraphs[i].settingsKey, state.graphs[i]);
    settings::SaveDiskTable(ini, state.disks);
    // A settings folder under ~/.config may not exist yet.
    QDir().mkpath(QFileInfo(QString::fromStdString(ini.path())).absolutePath());
    ini.Save();
}

}  // namespace corvane::ui
