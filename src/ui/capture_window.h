#pragma once
// What the capture flows and the graph commands ask of the window they work
// for: the main window answers. The flows hold it as this small interface, not
// as the window, so that each sees only what it uses.

#include <QString>
#include <functional>
#include <optional>

#include "analysis/capture_record.h"
#include "files/capture_reader.h"
#include "report/report_subject.h"

namespace corvane::ui {

class CaptureWindow {
public:
    // PrepareGrab or PrepareDyna: the display and `target` readied for a capture of the kind.
    virtual void PrepareCapture(files::CaptureKind kind, analysis::CaptureRecord& target) = 0;
    // AnalyseCapture on the record.
    virtual void AnalyseCapture() = 0;
    // Where the record about to be analysed came from: the board (true) or a
    // file. Only a capture taken from the simulated engine carries its mark.
    virtual void MarkCaptureSource(bool fromBoard) = 0;
    // Runs an operation on the capture through the busy gate, its errors
    // reported to the user; false when refused while another one runs.
    virtual bool Perform(const std::function<void()>& operation) = 0;
    // The folder the file dialogs start in (AppDir).
    virtual QString startFolder() const = 0;
    // The settings file, written again at quit.
    virtual QString settingsPath() const = 0;
    // The capture on screen for a report, or nothing before the first one.
    virtual std::optional<report::ReportSubject> reportSubject() const = 0;

protected:
    ~CaptureWindow() = default;
};

}  // namespace corvane::ui
