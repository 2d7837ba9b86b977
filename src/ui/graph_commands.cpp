#include "ui/graph_commands.h"

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <stdexcept>

#include "charts/chart_stack.h"
#include "charts/graph_pictures.h"
#include "charts/graph_table.h"
#include "files/file_error.h"
#include "report/report_file.h"
#include "ui/capture_window.h"
#include "ui/main_window_texts.h"
#include "ui/results_table.h"
#include "ui/user_prompts.h"

namespace corvane::ui {

namespace {

constexpr const char* kPictureFilter = "Pictures (PNG, SVG, PDF)|*.png *.svg *.pdf";
constexpr const char* kNoGraphShown =
    "No graph is shown: switch one on under \"Enable Graphs\" first.";
constexpr const char* kNoCapture =
    "There is no capture to report on yet: take a Grab or a Dyna, or import a capture file.";

// The folder a dialog opens in: the one it saved to last, else the home folder.
QString StartIn(const QString& remembered, const QString& fileName) {
    const QString folder =
        !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : QDir::homePath();
    return QDir(folder).filePath(fileName);
}

// A file error names no file; the user should know which one.
[[noreturn]] void ThrowNaming(const QString& path, const std::exception& error) {
    throw std::runtime_error(path.toStdString() + ": " + error.what());
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

GraphCommands::GraphCommands(GraphCommandsHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {
    saveGraphs_ = windowAction("Save picture of all graphs\u2026", "Ctrl+S",
                               &GraphCommands::saveGraphsPicture);
    print_ = windowAction("Print graphs\u2026", "Ctrl+P", &GraphCommands::printGraphs);
    report_ = windowAction("Save report\u2026", "Ctrl+R", &GraphCommands::saveReport);

    // The results table copies itself whole, by key and from its own menu.
    auto* copyTable = new QAction(QStringLiteral("Copy results table"), host_.results);
    copyTable->setShortcut(QKeySequence::Copy);
    copyTable->setShortcutContext(Qt::WidgetShortcut);
    copyTable->setShortcutVisibleInContextMenu(true);
    connect(copyTable, &QAction::triggered, this, &GraphCommands::copyResultsTable);
    host_.results->addAction(copyTable);
    host_.results->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QAction* GraphCommands::windowAction(const QString& text, const QString& keys,
                                     void (GraphCommands::*command)()) {
    auto* action = new QAction(text, host_.window);
    action->setShortcut(QKeySequence(keys));
    action->setShortcutContext(Qt::WindowShortcut);
    action->setShortcutVisibleInContextMenu(true);
    connect(action, &QAction::triggered, this, [this, command] { (this->*command)(); });
    host_.window->addAction(action);
    return action;
}

QMenu* GraphCommands::showMenu(int chart, QPoint globalPos) {
    auto* menu = new QMenu(host_.window);
    menu->setObjectName(QStringLiteral("GraphMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu->addAction(QStringLiteral("Save picture of this graph\u2026")),
            &QAction::triggered, this, [this, chart] { saveGraphPicture(chart); });
    menu->addAction(saveGraphs_);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Copy graph")), &QAction::triggered, this,
            [this, chart] { copyGraph(chart); });
    connect(menu->addAction(QStringLiteral("Copy results table")), &QAction::triggered, this,
            &GraphCommands::copyResultsTable);
    menu->addSeparator();
    menu->addAction(print_);
    menu->addAction(report_);
    menu->popup(globalPos);
    return menu;
}

std::vector<QCustomPlot*> GraphCommands::shownGraphs() const {
    std::vector<QCustomPlot*> plots;
    for (int i = 0; i < charts::kChartCount; ++i)
        if (host_.charts->chartVisible(i)) plots.push_back(host_.charts->chart(i));
    return plots;
}

void GraphCommands::saveGraphPicture(int chart) {
    savePicture({host_.charts->chart(chart)},
                QString::fromLatin1(charts::kGraphs.at(chart).settingsKey));
}

void GraphCommands::saveGraphsPicture() { savePicture(shownGraphs(), QStringLiteral("Graphs")); }

void GraphCommands::savePicture(const std::vector<QCustomPlot*>& plots, const QString& name) {
    const bool ran = host_.owner->Perform([&] {
        if (plots.empty()) {
            host_.prompts->message(host_.window, ApplicationTitle(), kNoGraphShown);
            return;
        }
        const auto path = host_.prompts->saveFileName(
            host_.window,
            FileDialogSetup{"Save picture", kPictureFilter, pictureSuffix_,
                            StartIn(remembered_.pictureFolder, name + "." + pictureSuffix_), true});
        if (!path) return;
        const auto format = charts::PictureFormatOf(*path);
        if (!format) {
            host_.prompts->message(host_.window, ApplicationTitle(),
                                   "A picture is saved as PNG, SVG or PDF: end the file name in "
                                   ".png, .svg or .pdf.");
            return;
        }
        const int screen = charts::ScreenDpi(*plots.front());
        int dpi = screen;
        if (*format == charts::PictureFormat::Png) {
            const auto chosen = host_.prompts->askNumber(
                host_.window, "Save picture",
                QStringLiteral("Resolution in dots per inch (%1: the size on the screen):")
                    .arg(screen),
                remembered_.pictureDpi > 0 ? remembered_.pictureDpi : screen, kLeastPictureDpi,
                kMostPictureDpi);
            if (!chosen) return;
            dpi = *chosen;
            remembered_.pictureDpi = dpi;
        }
        {
            WaitCursor wait;
            charts::SaveStackPicture(plots, *path, *format, dpi);
        }
        remembered_.pictureFolder = QFileInfo(*path).absolutePath();
        pictureSuffix_ = QFileInfo(*path).suffix().toLower();
    });
    if (!ran) host_.prompts->beep();
}

void GraphCommands::copyGraph(int chart) {
    QCustomPlot* plot = host_.charts->chart(chart);
    QApplication::clipboard()->setImage(charts::StackImage({plot}, charts::ScreenDpi(*plot)));
}

void GraphCommands::copyResultsTable() {
    auto* data = new QMimeData;
    data->setText(host_.results->tabSeparated());
    data->setHtml(host_.results->htmlTable());
    QApplication::clipboard()->setMimeData(data);
}

void GraphCommands::printGraphs() {
    const bool ran = host_.owner->Perform([&] {
        const std::vector<QCustomPlot*> plots = shownGraphs();
        if (plots.empty()) {
            host_.prompts->message(host_.window, ApplicationTitle(), kNoGraphShown);
            return;
        }
        QPrinter printer;
        const QSize size = charts::StackSize(plots);
        printer.setPageOrientation(size.width() > size.height() ? QPageLayout::Landscape
                                                                : QPageLayout::Portrait);
        printer.setDocName(QStringLiteral("Corvane Data Logger graphs"));
        if (!host_.prompts->choosePrinter(host_.window, printer)) return;
        WaitCursor wait;
        charts::PrintStack(plots, printer);
    });
    if (!ran) host_.prompts->beep();
}

void GraphCommands::saveReport() {
    const bool ran = host_.owner->Perform([&] {
        const std::optional<report::ReportSubject> subject = host_.owner->reportSubject();
        if (!subject) {
            host_.prompts->message(host_.window, ApplicationTitle(), kNoCapture);
            return;
        }
        const QString kind = subject->record->IsDyna ? "dyna" : "grab";
        QString name = QFileInfo(QString::fromStdString(subject->fileName)).completeBaseName();
        if (name.isEmpty()) name = kind;
        const auto path = host_.prompts->saveFileName(
            host_.window, FileDialogSetup{"Save report", "PDF document|*.pdf", "pdf",
                                          StartIn(remembered_.reportFolder, name + ".pdf"), true});
        if (!path) return;
        try {
            WaitCursor wait;
            report::WriteReport(path->toStdString(), *subject);
        } catch (const files::FileError& error) {
            ThrowNaming(*path, error);
        }
        remembered_.reportFolder = QFileInfo(*path).absolutePath();
    });
    if (!ran) host_.prompts->beep();
}

}  // namespace corvane::ui
