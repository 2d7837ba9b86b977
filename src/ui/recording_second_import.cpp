// A second of a recording made the window's capture: the recording's half
// of the capture-file flow, kept beside the file buttons' own.

#include <QWidget>

#include "recording/grab_export.h"
#include "ui/capture_file_flow.h"
#include "ui/capture_window.h"
#include "ui/main_window_texts.h"
#include "ui/recorder/recorder_moment.h"

namespace corvane::ui {

void CaptureFileFlow::ImportRecordingSecond(const QString& runFolder, double seconds) {
    recording::ImportSecond(runFolder.toStdString(), seconds, *host_.record,
                            [this](files::CaptureKind kind, analysis::CaptureRecord& target) {
                                host_.owner->PrepareCapture(kind, target);
                            });
    host_.window->setWindowTitle(CaptionNaming(MomentName(runFolder, seconds)));
    host_.owner->MarkCaptureSource(false);
    host_.owner->AnalyseCapture();
}

}  // namespace corvane::ui
