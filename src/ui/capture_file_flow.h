#pragma once
// Export, Import and Multiple: the dialogs, messages and confirmation of the
// capture-file buttons around the file work of corvane_files.

#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "files/batch.h"
#include "files/capture_reader.h"

class QWidget;

namespace corvane::ui {

class UserPrompts;

// What the flow needs of the window.
struct CaptureFileHost {
    QWidget* window = nullptr;
    UserPrompts* prompts = nullptr;
    analysis::CaptureRecord* record = nullptr;
    std::function<QString()> startFolder;  // AppDir
    std::function<void(const QString&)> setCaption;
    // PrepareGrab or PrepareDyna on the record being read.
    std::function<void(files::CaptureKind, analysis::CaptureRecord&)> prepare;
    std::function<void()> analyse;  // AnalyseCapture
    std::function<analysis::DiskTable()> disks;
    std::function<void(const analysis::DiskTable&)> setDisks;
    std::function<files::ResultsColumn()> resultsColumn;  // SG column 1
    std::function<QString()> settingsPath;                // written again at quit
};

// An import refused with its own message box: the operation ends without a
// second report.
class ImportRefused : public std::runtime_error {
public:
    ImportRefused() : std::runtime_error("Import refused") {}
};

class CaptureFileFlow {
public:
    explicit CaptureFileFlow(CaptureFileHost host) : host_(std::move(host)) {}

    void ExportButtonClick();
    void ImportButtonClick();
    // Reads the file into the record and analyses it; throws on failure
    // (ImportRefused after the wrong-kind message).
    void ImportCaptureFile(const QString& path);
    void MultipleButtonClick();

private:
    // The results file of a Multiple, its overwriting agreed; none when the
    // user cancelled. Throws when it is the settings file.
    std::optional<QString> ChooseResultsFile();

    CaptureFileHost host_;
};

}  // namespace corvane::ui
