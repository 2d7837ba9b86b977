#include "analysis/pressure_channel.h"

#include "analysis/analysis_run.h"

namespace corvane::analysis {

namespace {

// Held in extended precision like the converter's divisor: the difference to
// the mean is then exact and only the quotient is rounded, so a swing of
// whole counts keeps its exact value (256 counts are 3.125 kPa, a true tie).
constexpr long double kVoltsPerKpa = 0.4L;

}  // namespace

double MeanPressureVolts(const CaptureRecord& record) {
    double sum = 0.0;
    for (long i = 0; i < record.SampleCount; i += 2) sum += CountToVolts(RawAt(record, i));
    return sum / (record.SampleCount / 2.0);
}

double PressureKpa(std::uint16_t count, double meanVolts) {
    return static_cast<double>((static_cast<long double>(CountToVolts(count)) - meanVolts) /
                               kVoltsPerKpa);
}

}  // namespace corvane::analysis
