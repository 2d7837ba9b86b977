#include "ui/engine_monitor.h"

#include <QCheckBox>
#include <QCoreApplication>

#include "analysis/results_table.h"
#include "charts/chart_stack.h"
#include "daq/engine_monitor.h"
#include "recording/stream_capture.h"
#include "text/format.h"
#include "ui/control_panel.h"
#include "ui/results_table.h"
#include "ui/user_prompts.h"

namespace corvane::ui {

QString PressureCaption(std::uint16_t count, const text::NumberFormat& fmt) {
    const QString volts = QString::fromStdString(text::FormatVolts(count, fmt));
    QString caption;
    for (QChar c : volts) caption += QString(c) + "\r\n";
    return caption;
}

void EngineMonitor::read(analysis::CaptureRecord& target) {
    if (streaming()) {
        readStream(target);
        return;
    }
    panel_.setBoardValid(false);
    // The board has answered once channel 2 has: green before channels 3 and 4.
    if (daq::ReadEngineMonitorInto(board_, target, [this] { panel_.setBoardValid(true); }))
        show(target);
}

// The newest scans' means; before the first scans have come the record and
// the indicator stay as they are.
void EngineMonitor::readStream(analysis::CaptureRecord& target) {
    const auto reading = recording::NewestReading(*stream_);
    if (!reading) return;
    panel_.setBoardValid(true);
    target.LoTemp = reading->loTemp;
    target.ResistorPower = reading->resistorPower;
    target.HiTemp = reading->hiTemp;
    show(target);
}

void EngineMonitor::show(const analysis::CaptureRecord& source) {
    panel_.SG->setMonitorRows(source, format_);
    QCoreApplication::processEvents();
}

void EngineMonitor::tick() {
    if (streaming()) {
        // The same display from the stream; nothing yet leaves it as it is.
        if (const auto tick = recording::NewestTick(*stream_)) showTick(*tick);
        return;
    }
    panel_.setBoardValid(false);
    if (const auto tick = daq::ReadMonitorTick(board_)) showTick(*tick);
}

void EngineMonitor::showTick(const daq::MonitorTick& tick) {
    panel_.setBoardValid(true);
    panel_.setLabelText(panel_.lPress, PressureCaption(tick.pressureCount, format_));
    panel_.setLabelText(panel_.lTemps, QString::fromStdString(analysis::TemperaturesLabel(
                                           tick.lowK, tick.highK, format_)));
    charts_.setHotEngineVisible(false);
    if (daq::IsTooHot(tick.highK)) {
        prompts_.beep();
        panel_.graphBoxes[charts::ChartStack::kHotEngineGraph]->setChecked(true);
        charts_.setHotEngineVisible(true);
    }
}

}  // namespace corvane::ui
