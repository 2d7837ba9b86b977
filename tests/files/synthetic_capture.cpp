#include "synthetic_capture.h"

#include <cmath>

namespace corvane::testing {

namespace {

constexpr double kPeriod = 0.001;
constexpr double kHoleSpacing = 22.5;  // degrees
constexpr double kHoleWidth = 8.0;
constexpr double kWideHoleWidth = 16.0;

// Crank angle in degrees after t seconds, speed rising linearly over `span`.
double AngleAt(const EngineRun& run, double t, double span) {
    const double startRate = run.startRpm * 6.0;  // degrees per second
    const double endRate = run.endRpm * 6.0;
    const double acceleration = span > 0 ? (endRate - startRate) / span : 0.0;
    return 11.0 + startRate * t + 0.5 * acceleration * t * t;  // start between holes
}

double TachVolts(double angle) {
    const double inTurn = std::fmod(angle, 360.0);
    const int hole = static_cast<int>(std::lround(inTurn / kHoleSpacing)) % 16;
    const double offset = std::fabs(inTurn - std::lround(inTurn / kHoleSpacing) * kHoleSpacing);
    const double width = hole == 0 ? kWideHoleWidth : kHoleWidth;
    return offset < width / 2 ? 0.3 : 4.5;
}

double PressureVolts(double angle) {
    return 1.0 + 1.5 * std::sin((angle + 60.0) * 3.14159265358979323846 / 180.0);
}

std::unique_ptr<analysis::CaptureRecord> MakeRecord(const EngineRun& run) {
    auto record = std::make_unique<analysis::CaptureRecord>();
    record->SamplePeriod = kPeriod;
    record->LoTemp = run.loTemp;
    record->HiTemp = run.hiTemp;
    record->ResistorPower = run.resistorPower;
    return record;
}

}  // namespace

std::unique_ptr<analysis::CaptureRecord> MakeGrab(const EngineRun& run, int scans) {
    auto record = MakeRecord(run);
    record->IsDyna = false;
    record->SampleCount = 2 * scans;
    for (int k = 0; k < scans; ++k) {
        const double angle = AngleAt(run, k * kPeriod, scans * kPeriod);
        record->RawSamples[2 * k] = analysis::VoltsToCount(PressureVolts(angle));
        record->RawSamples[2 * k + 1] = analysis::VoltsToCount(TachVolts(angle));
    }
    return record;
}

std::unique_ptr<analysis::CaptureRecord> MakeDyna(const EngineRun& run, int samples) {
    auto record = MakeRecord(run);
    record->IsDyna = true;
    record->SampleCount = samples;
    for (int k = 0; k < samples; ++k) {
        const double angle = AngleAt(run, k * kPeriod, samples * kPeriod);
        record->RawSamples[k] = analysis::VoltsToCount(TachVolts(angle));
    }
    return record;
}

}  // namespace corvane::testing
