#include "ui/capture_file_flow.h"

#include <QFileInfo>
#include <QWidget>

#include "files/capture_import.h"
#include "files/capture_writer.h"
#include "files/file_identity.h"
#include "ui/capture_window.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/main_window_texts.h"
#include "ui/multiple_progress.h"
#include "ui/results_table.h"
#include "ui/user_prompts.h"

namespace corvane::ui {

namespace {

FileDialogSetup SaveDialogSetup(const QString& title, const QString& folder,
                                bool confirmOverwrite) {
    return FileDialogSetup{title, "CSV File|*.CSV", "CSV", folder, confirmOverwrite};
}

FileDialogSetup OpenDialogSetup(const QString& title, const QString& folder) {
    return FileDialogSetup{title, "CSV Files|*.CSV", "CSV", folder, false};
}

}  // namespace

void CaptureFileFlow::ExportButtonClick() {
    // The dialog asks before replacing a file: a capture overwritten by
    // mistake is a measurement lost.
    const auto path = host_.prompts->saveFileName(
        host_.window,
        SaveDialogSetup("Specify Export file name", host_.owner->startFolder(), true));
    if (!path) return;
    files::WriteCaptureFile(path->toStdString(), *host_.record, host_.panel->MOISG->table());
}

void CaptureFileFlow::ImportButtonClick() {
    const auto path = host_.prompts->openFileName(
        host_.window, OpenDialogSetup("Select file to be Imported", host_.owner->startFolder()));
    if (!path) return;
    ImportCaptureFile(*path);
}

void CaptureFileFlow::ImportCaptureFile(const QString& path) {
    host_.window->setWindowTitle(CaptionNaming(QFileInfo(path).fileName()));
    analysis::DiskTable disks = host_.panel->MOISG->table();
    try {
        files::ImportCaptureFile(path.toStdString(), *host_.record, disks,
                                 [this](files::CaptureKind kind, analysis::CaptureRecord& target) {
                                     host_.owner->PrepareCapture(kind, target);
                                 });
    } catch (const files::WrongKindError& e) {
        host_.prompts->message(host_.window, ApplicationTitle(), QString::fromStdString(e.what()));
        throw ImportRefused();
    }
    host_.panel->MOISG->setTable(disks);
    host_.owner->MarkCaptureSource(false);
    host_.owner->AnalyseCapture();
}

std::optional<QString> CaptureFileFlow::ChooseResultsFile() {
    const auto results = host_.prompts->saveFileName(
        host_.window, SaveDialogSetup("In what file do you wish to save the multiple results?",
                                      host_.owner->startFolder(), false));
    if (!results) return std::nullopt;
    // The window writes its settings file again at quit: results written there
    // would be lost then, and the settings the window does not know with them.
    if (files::SameFile(results->toStdString(), host_.owner->settingsPath().toStdString()))
        throw files::ResultsFileIsInputError(results->toStdString(), "the settings file");
    if (QFileInfo::exists(*results) &&
        !host_.prompts->confirm(
            host_.window, "Is it OK to write over \"" + QFileInfo(*results).fileName() + "\"?"))
        return std::nullopt;
    return results;
}

void CaptureFileFlow::MultipleButtonClick() {
    const auto results = ChooseResultsFile();
    if (!results) return;
    const auto captures = host_.prompts->openFileNames(
        host_.window,
        OpenDialogSetup("Select multiple files to be evaluated", host_.owner->startFolder()));
    if (!captures) return;

    std::vector<std::string> paths;
    for (const QString& p : *captures) paths.push_back(p.toStdString());
    MultipleProgress progress(host_.window, static_cast<int>(paths.size()));
    bool refusedWithMessage = false;
    int number = 0;
    try {
        files::RunBatchToFile(results->toStdString(), paths, [&](const std::string& path) {
            progress.startFile(++number);
            try {
                ImportCaptureFile(QString::fromStdString(path));
            } catch (const ImportRefused&) {
                refusedWithMessage = true;
                throw;
            }
            return host_.panel->SG->column(1);
        });
    } catch (const files::BatchFileError& e) {
        ReportStoppedBatch(*results, e, progress, refusedWithMessage);
        return;
    }
    host_.prompts->message(host_.window, ApplicationTitle(), "Your results are in " + *results);
}

void CaptureFileFlow::ReportStoppedBatch(const QString& results, const files::BatchFileError& e,
                                         const MultipleProgress& progress,
                                         bool refusedWithMessage) {
    // The batch stops at that file. The caption names it; the user reads the
    // import's own error (a refused file has shown its box), then what the
    // results file now holds. A cancel is no error: it says how far the batch came.
    QString text = "The results file " + results + " " +
                   QString::fromStdString(files::StoppedBatchNote(e)) + ".";
    if (progress.cancelled())
        text = QString("Multiple was cancelled after %1 of %2 files. ")
                   .arg(e.evaluated())
                   .arg(progress.files()) +
               text;
    else if (!refusedWithMessage)
        host_.prompts->reportError(host_.window, std::runtime_error(e.message()));
    host_.prompts->message(host_.window, ApplicationTitle(), text);
}

}  // namespace corvane::ui
