#pragma once
// Quitting while the Recorder records: the user is asked first; on Yes the
// recording is stopped and its folder closed (every scan taken, the stop
// noted, the manifest written) before the program goes on to end.

class QWidget;

namespace corvane::ui {

class RecorderWindow;
class UserPrompts;

inline constexpr const char* kQuitWhileRecording =
    "A recording is running. Stop the recording and quit?";

// True when the program may end: nothing records, or the user said Yes and
// the recording is closed. No keeps it recording (false).
bool CloseRecordingToQuit(RecorderWindow& recorder, UserPrompts& prompts, QWidget* parent);

}  // namespace corvane::ui
