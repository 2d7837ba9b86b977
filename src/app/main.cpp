// corvane-logger: the data logger's desktop program.

#include <QDir>
#include <iostream>
#include <optional>
#include <string_view>

#include "corvane/version.h"
#include "daq/board_factory.h"
#include "settings/board_settings.h"
#include "ui/help/error_reporter.h"
#include "ui/main_window.h"
#include "ui/window_settings.h"

namespace {

constexpr std::string_view kProgram = "corvane-logger";
constexpr std::string_view kHelp =
    "Usage: corvane-logger [QT-OPTION]...\n"
    "Captures and analyses the laboratory heat engine through its USB data-acquisition\n"
    "board, or on the simulated engine when no board is configured: pressure and\n"
    "tachometer grabs, the PV diagram and indicated power, dynamometer runs.\n"
    "\n"
    "Options:\n"
    "  --help     show this help and exit\n"
    "  --version  show the program's name and version and exit\n"
    "\n"
    "Qt's own options are accepted, for example -platform offscreen or -style fusion.\n"
    "The settings file CorvaneLogger.INI keeps the window, the graphs, the disk table\n"
    "and, in section [DAQ], the board; the manual (Help button) says where it lives.\n";

// --help and --version are answered before the application exists, so they
// need no display; every other argument is left to Qt. Returns the exit status
// when one of them was asked for.
std::optional<int> AnswerBeforeStart(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--version") {
            std::cout << corvane::VersionLine(kProgram) << '\n';
        } else if (argument == "--help") {
            std::cout << kHelp;
        } else {
            continue;
        }
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = AnswerBeforeStart(argc, argv)) return *status;
    corvane::ui::CorvaneApplication app(argc, argv);
    // No display name: the desktop would append it to every window's caption.
    // Message boxes take the program's title themselves.

    // The board is chosen by the settings file ([DAQ] Board); the window itself
    // reads the rest of the file when it is first shown.
    const QString appDir = QDir(QCoreApplication::applicationDirPath()).absolutePath() + "/";
    const corvane::settings::IniFile ini(
        corvane::ui::LocateSettings(appDir).readPath.toStdString());
    corvane::daq::BoardChoice made = corvane::daq::MakeBoard(corvane::settings::ReadBoardSettings(ini));

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
