// corvane-logger: the data logger's desktop program.

#include <QDir>

#include "daq/board_factory.h"
#include "settings/ini_file.h"
#include "ui/help/error_reporter.h"
#include "ui/main_window.h"
#include "ui/window_settings.h"

int main(int argc, char** argv) {
    corvane::ui::CorvaneApplication app(argc, argv);
    // No display name: the desktop would append it to every window's caption.
    // Message boxes take the program's title themselves.

    // The board is chosen by the settings file ([DAQ] Board); the window itself
    // reads the rest of the file when it is first shown.
    const QString appDir = QDir(QCoreApplication::applicationDirPath()).absolutePath() + "/";
    const corvane::settings::IniFile ini(
        corvane::ui::LocateSettings(appDir).readPath.toStdString());
    corvane::daq::BoardChoice made = corvane::daq::MakeBoard(ini);

    corvane::ui::TForm1::Options options;
    options.board = std::move(made.board);
    options.simulated = made.simulated != nullptr;
    options.simulator = made.simulated;
    auto* form1 = new corvane::ui::TForm1(std::move(options));
    QObject::connect(form1, &corvane::ui::TForm1::closed, &app, &QApplication::quit);
    form1->show();
    const int result = app.exec();
    delete form1;  // FormDestroy: releases the samples and saves the settings
    return result;
}
