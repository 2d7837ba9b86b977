#pragma once
// The two kinds of capture and what the board is asked for in each: the one
// owner of the channels, sample count, rate and sample periods that the
// window, corvane-simulate and the capture-file reader share.

namespace corvane::analysis {

enum class CaptureKind { Grab, Dyna };

struct CapturePlan {
    CaptureKind kind;
    int lowChannel;
    int highChannel;
    long rate;         // samples per second per channel
    long sampleCount;  // all channels together, interleaved
    // The period the capture's preparation sets before the scan; an imported
    // file keeps it when its time column gives none.
    double preparedPeriod;

    constexpr int Channels() const { return highChannel - lowChannel + 1; }
    // The period of a scanned capture: one over the rate.
    constexpr double ScanPeriod() const { return 1.0 / static_cast<double>(rate); }
    // How long the board takes for the whole block.
    constexpr double Seconds() const {
        return static_cast<double>(sampleCount) / Channels() / static_cast<double>(rate);
    }
};

inline constexpr long kScanRate = 1000;

// The highest engine speed whose captures at kScanRate the analysis is known
// to evaluate: above it a flywheel hole may hold too few samples ("Bad red
// spikes"). The simulated engine gave evaluable grabs up to about 1080 rpm.
inline constexpr double kHighestEvaluableRpm = 1000.0;

// One second of pressure (channel 0) and tachometer (channel 1).
inline constexpr CapturePlan kGrabPlan{CaptureKind::Grab,       0,    1, kScanRate,
                                       (1 - 0 + 1) * kScanRate, 0.001};
// The tachometer alone while the engine speeds up: a fixed 4000 samples, four
// seconds at the rate (the button's hint says five).
inline constexpr CapturePlan kDynaPlan{CaptureKind::Dyna, 1, 1, kScanRate, 4000, 0.00125};

// A recording: the five engine channels (pressure, tachometer, low
// temperature, heater, high temperature) scanned without end at the rate.
struct RecordingPlan {
    int lowChannel;
    int highChannel;
    long rate;  // scans per second
};
inline constexpr RecordingPlan kRecordingPlan{0, 4, kScanRate};

constexpr const CapturePlan& PlanOf(CaptureKind kind) {
    return kind == CaptureKind::Dyna ? kDynaPlan : kGrabPlan;
}

}  // namespace corvane::analysis
