#pragma once
// What the main window keeps between runs in its settings file: its bounds,
// the graph choice, the disk table, the averaged loop's switch and where the
// export dialogs last saved. Read when the window is first shown, saved when
// it closes. The calibrations applied in the Engine performance window are
// written into it at once.

#include <QString>
#include <functional>
#include <memory>

#include "performance/mechanical_efficiency.h"
#include "text/number_format.h"
#include "ui/window_settings.h"

class QWidget;

namespace corvane::ui {

class ControlPanel;
class GraphCommands;
class PerformanceWindow;
class RecorderWindow;
class UserPrompts;

// The parts whose state is kept; all outlive the FormState.
struct FormParts {
    QWidget* window;
    ControlPanel* panel;
    GraphCommands* commands;
    PerformanceWindow* performance;
    UserPrompts* prompts;
};

class FormState {
public:
    FormState(FormParts parts, const text::NumberFormat& format);
    ~FormState();

    // Reads the settings at `location` into the parts; a missing key keeps
    // what the part has now (its designed value). What the user should know
    // about the file is shown.
    void load(SettingsLocation location);
    // Writes the parts' state; nothing before load. Throws when the file cannot be written.
    void save();
    // The Recorder window's folder is kept too, from when it exists: the one
    // read is offered there (unless it is the program's own), the one it
    // holds at save is written.
    void attachRecorder(RecorderWindow* recorder);
    // Where save writes; empty before load.
    QString savePath() const;
    // The uncertainty budget and calibrations of the settings file, for the
    // finer evaluation (read only: the lab sets them in the file).
    const performance::BenchSettings& bench() const { return bench_; }
    // The Engine performance window's calibrations stored as below when
    // applied, then the capture shown evaluated again with them.
    void connectCalibrations(std::function<void()> reevaluate);
    // Stores a crank-phase offset the user applied as [Performance] PhaseOffset
    // at once, and evaluates with it from now on; false (the user told why)
    // when the file cannot be written or was never read.
    bool storePhaseOffset(double offsetDeg);
    // A friction fit the user applied as [Performance] FrictionA and FrictionB, alike.
    bool storeFriction(const performance::FrictionModel& friction);

private:
    FormSettings current() const;
    // Writes a change into the settings file at once; false (the user told why) when it cannot.
    bool amend(const std::function<void(settings::IniFile&)>& change);

    FormParts parts_;
    const text::NumberFormat& format_;
    std::unique_ptr<SettingsStore> store_;
    performance::BenchSettings bench_;
    RecorderWindow* recorder_ = nullptr;
    QString recordingFolder_;  // as read, until a recorder is attached
};

}  // namespace corvane::ui
