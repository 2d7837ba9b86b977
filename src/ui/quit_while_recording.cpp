#include "ui/quit_while_recording.h"

#include <chrono>
#include <thread>

#include "ui/recorder/recorder_window.h"
#include "ui/user_prompts.h"

namespace corvane::ui {

namespace {

// The recording's thread closes the folder within moments of the stop; a
// board that never lets go is left to the end of the program.
constexpr auto kLongestClose = std::chrono::seconds(10);

}  // namespace

bool CloseRecordingToQuit(RecorderWindow& recorder, UserPrompts& prompts, QWidget* parent) {
    if (!recorder.recording()) return true;
    if (!prompts.confirm(parent, kQuitWhileRecording)) return false;
    recorder.stopRecording();
    const auto until = std::chrono::steady_clock::now() + kLongestClose;
    while (recorder.recording() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        recorder.poll();  // takes the end once the folder is closed
    }
    return true;
}

}  // namespace corvane::ui
