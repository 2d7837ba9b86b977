#pragma once
// Export, Import and Multiple: the dialogs, messages and confirmation of the
// capture-file buttons around the file work of corvane_files.

#include <QString>
#include <optional>
#include <stdexcept>

#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "files/batch.h"
#include "files/capture_reader.h"

class QWidget;

namespace corvane::ui {

class CaptureWindow;
class ControlPanel;
class MultipleProgress;
class UserPrompts;

// What the flow works with: the window (its caption, the parent of the
// dialogs), the record, and the disk and results tables of the panel.
struct CaptureFileHost {
    QWidget* window = nullptr;
    CaptureWindow* owner = nullptr;  // the same window, as the flow asks of it
    UserPrompts* prompts = nullptr;
    analysis::CaptureRecord* record = nullptr;
    ControlPanel* panel = nullptr;
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
    // One second of a recording read into the record as an imported grab and
    // analysed, the caption naming the recording and the second; throws
    // recording::RecordingError (the capture unchanged) when it cannot be read.
    void ImportRecordingSecond(const QString& runFolder, double seconds);

private:
    // The results file of a Multiple, its overwriting agreed; none when the
    // user cancelled. Throws when it is the settings file.
    std::optional<QString> ChooseResultsFile();
    // Tells the user why a Multiple stopped and what its results file holds.
    void ReportStoppedBatch(const QString& results, const files::BatchFileError& error,
                            const MultipleProgress& progress, bool refusedWithMessage);

    CaptureFileHost host_;
};

}  // namespace corvane::ui
