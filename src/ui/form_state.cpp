#include "ui/form_state.h"

#include <QWidget>
#include <exception>

#include "settings/calibration_settings.h"

#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/graph_commands.h"
#include "ui/main_window_texts.h"
#include "ui/performance/performance_window.h"
#include "ui/recorder/recorder_window.h"
#include "ui/user_prompts.h"
#include "ui/window_bounds.h"

namespace corvane::ui {

FormState::FormState(FormParts parts, const text::NumberFormat& format)
    : parts_(parts), format_(format) {}

FormState::~FormState() = default;

void FormState::load(SettingsLocation location) {
    store_ = std::make_unique<SettingsStore>(std::move(location));
    const FormSettings state = store_->Load(current(), format_);
    QWidget* window = parts_.window;
    // Bounds that would leave no window to see fall back to the designed ones.
    window->setGeometry(UsableBounds(state.left, state.top, state.width, state.height,
                                     window->geometry(), AvailableScreenAreas()));
    parts_.panel->setGraphChoice(state.graphs);
    parts_.commands->remember(state.exports);
    parts_.panel->MOISG->setTable(state.disks);
    parts_.panel->MOISG->setCurrentCell(0, 0);
    parts_.performance->setAveragedLoopShown(state.averagedLoop);
    bench_ = state.bench;
    recordingFolder_ = state.recordingFolder;
    if (recorder_ && !recordingFolder_.isEmpty()) recorder_->setFolder(recordingFolder_);
    if (!store_->notice().isEmpty())
        parts_.prompts->message(window, ApplicationTitle(), store_->notice());
}

void FormState::save() {
    if (!store_) return;
    FormSettings state = current();
    state.disks = parts_.panel->MOISG->table();
    state.exports = parts_.commands->remembered();
    // The default is not written: it follows the user's documents folder.
    state.recordingFolder = recordingFolder_;
    if (recorder_ &&
        (!recordingFolder_.isEmpty() || recorder_->folder() != RecorderWindow::DefaultFolder()))
        state.recordingFolder = recorder_->folder();
    store_->Save(state);
}

void FormState::attachRecorder(RecorderWindow* recorder) {
    recorder_ = recorder;
    if (recorder_ && !recordingFolder_.isEmpty()) recorder_->setFolder(recordingFolder_);
}

bool FormState::amend(const std::function<void(settings::IniFile&)>& change) {
    if (!store_) return false;
    try {
        store_->Amend(change);
    } catch (const std::exception& error) {
        parts_.prompts->reportError(parts_.window, error);
        return false;
    }
    return true;
}

void FormState::connectCalibrations(std::function<void()> reevaluate) {
    parts_.performance->setPhaseStore([this, reevaluate](double offsetDeg) {
        if (!storePhaseOffset(offsetDeg)) return false;
        reevaluate();
        return true;
    });
    parts_.performance->setFrictionStore([this, reevaluate](const performance::FrictionModel& f) {
        if (!storeFriction(f)) return false;
        reevaluate();
        return true;
    });
}

bool FormState::storePhaseOffset(double offsetDeg) {
    if (!amend([offsetDeg](settings::IniFile& ini) { settings::StorePhaseOffset(ini, offsetDeg); }))
        return false;
    bench_.phaseOffsetDeg = offsetDeg;
    return true;
}

bool FormState::storeFriction(const performance::FrictionModel& friction) {
    if (!amend([&friction](settings::IniFile& ini) { settings::StoreFriction(ini, friction); }))
        return false;
    bench_.friction = friction;
    return true;
}

QString FormState::savePath() const { return store_ ? store_->location().savePath : QString(); }

FormSettings FormState::current() const {
    FormSettings state;
    const QRect bounds = parts_.window->geometry();
    state.left = bounds.x();
    state.top = bounds.y();
    state.width = bounds.width();
    state.height = bounds.height();
    state.graphs = parts_.panel->graphChoice();
    state.averagedLoop = parts_.performance->averagedLoopShown();
    return state;
}

}  // namespace corvane::ui
