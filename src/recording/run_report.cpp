#include "recording/run_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

#include "performance/efficiency.h"

namespace corvane::recording {

namespace {

std::string Fixed(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string();
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Events the recorder writes itself; everything else is the user's mark.
bool IsRecorderEvent(const Event& e) {
    return e.text == "start" || e.text == "stop" || StartsWith(e.text, "gap") ||
           StartsWith(e.text, "failed: ") || StartsWith(e.text, "stopped: ");
}

// How the recording ended, from its own words in events.csv: a failure is
// followed by the stop that closed the folder, and the failure is the news.
std::string EndText(const std::vector<Event>& events) {
    bool stopped = false;
    for (const Event& e : events) {
        if (StartsWith(e.text, "failed: ") || StartsWith(e.text, "stopped: ")) return e.text;
        stopped |= e.text == "stop";
    }
    return stopped ? "closed with Stop"
                   : "cut short: no stop in events.csv (read up to its last whole line)";
}

std::string GapsText(const std::vector<Event>& gaps, std::uint64_t lostScans, double rate) {
    if (gaps.empty()) return "0";
    return std::to_string(gaps.size()) + " (" + std::to_string(lostScans) + " scans, " +
           Fixed(static_cast<double>(lostScans) / rate, 3) + " s lost)";
}

std::vector<RunReportLine> Facts(const RecordingContents& contents, std::uint64_t lostScans,
                                 const std::vector<Event>& gaps) {
    const Manifest& m = contents.manifest;
    const double rate = static_cast<double>(std::max(m.format.rate, 1L));
    const double seconds = static_cast<double>(contents.scans) / rate;
    return {
        {"Start (UTC)", m.startUtc},
        {"Length", ClockText(seconds) + " (" + Fixed(seconds, 1) + " s)"},
        {"Board", m.board + (m.simulated ? " (SIMULATED engine)" : "")},
        {"Scans", std::to_string(contents.scans) + " at " + std::to_string(m.format.rate) +
                      " scans/s, channels " + std::to_string(m.format.lowChannel) + "\u2013" +
                      std::to_string(m.format.highChannel)},
        {"Cycles", std::to_string(contents.cycles.size())},
        {"Gaps", GapsText(gaps, lostScans, rate)},
        {"Ended", EndText(contents.events)},
        {"Program", m.program},
    };
}

// "from → to" of a quantity, or what is known of it.
std::string Change(const std::optional<double>& from, const std::optional<double>& to,
                   int decimals, const char* unit) {
    const auto text = [&](const std::optional<double>& v) {
        return v ? Fixed(*v, decimals) + unit : std::string("\u2014");
    };
    return text(from) + " \u2192 " + text(to);
}

std::vector<RunReportLine> WarmUp(const std::vector<CycleRow>& cycles,
                                  const std::vector<Stretch>& steady) {
    if (cycles.empty()) return {{"Warm-up", "no cycle recorded"}};
    const CycleRow& first = cycles.front();
    if (steady.empty()) {
        return {{"Steady from", "never steady"},
                {"Speed", Change(first.rpm, cycles.back().rpm, 1, " rpm") + " (to the end)"}};
    }
    const CycleRow& settled = cycles[steady.front().first];
    return {
        {"Steady from", ClockText(settled.timeS) + " (" + Fixed(settled.timeS / 60, 2) + " min)"},
        {"Speed", Change(first.rpm, settled.rpm, 1, " rpm")},
        {"High temperature", Change(first.hiTempK, settled.hiTempK, 1, " K")},
        {"Indicated power", Change(first.indicatedPowerMilliW, settled.indicatedPowerMilliW, 2,
                                   " mW")},
    };
}

std::string DiskText(const analysis::DiskTable& disks) {
    std::string text;
    for (const analysis::DiskRow& disk : disks) {
        if (disk[0].empty() && disk[1].empty()) continue;
        if (!text.empty()) text += "; ";
        const auto field = [](const std::string& v) { return v.empty() ? "\u2014" : v; };
        text += field(disk[0]) + " g, " + field(disk[1]) + " mm";
    }
    return text.empty() ? "none entered" : text;
}

std::vector<RunReportLine> Settings(const SteadyCriteria& c, const Manifest& manifest) {
    return {
        {"Steady when", "3 windows of " + Fixed(c.windowSeconds, 0) + " s in a row drift less than"},
        {"Speed drift", Fixed(c.rpmPerMinute, 2) + " rpm/min"},
        {"High temperature drift", Fixed(c.highTempKPerMinute, 2) + " K/min"},
        {"Power drift", Fixed(c.powerPercentPerMinute, 2) + " %/min of the mean"},
        {"Flywheel disks", DiskText(manifest.disks)},
    };
}

void Put(RunTrend& trend, double minutes, std::optional<double> value) {
    if (!value || !std::isfinite(*value)) return;
    trend.minutes.push_back(minutes);
    trend.values.push_back(*value);
}

RunTrends Trends(const std::vector<CycleRow>& cycles) {
    RunTrends trends;
    double recentSum = 0.0;
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        const CycleRow& c = cycles[i];
        const double t = c.timeS / 60.0;
        recentSum += c.indicatedPowerMilliW;
        if (i >= kRollingCycles) recentSum -= cycles[i - kRollingCycles].indicatedPowerMilliW;
        const double n = static_cast<double>(std::min(i + 1, kRollingCycles));
        Put(trends.rpm, t, c.rpm);
        Put(trends.powerMilliW, t, c.indicatedPowerMilliW);
        Put(trends.powerRollingMean, t, recentSum / n);
        Put(trends.loTempK, t, c.loTempK);
        Put(trends.hiTempK, t, c.hiTempK);
        Put(trends.heaterPowerW, t, c.heaterPowerW);
        const performance::Efficiency e = performance::EfficiencyOf(
            c.heaterPowerW.value_or(NAN), c.loTempK.value_or(NAN), c.hiTempK.value_or(NAN),
            c.indicatedPowerMilliW);
        Put(trends.indicatedEfficiencyPercent, t, e.indicatedEfficiencyPercent);
        Put(trends.carnotPercent, t, e.carnotPercent);
    }
    return trends;
}

// The scans a gap's text says were lost ("gap: N scans lost (...)").
std::uint64_t LostScans(const Event& gap) {
    std::uint64_t lost = 0;
    const char* first = gap.text.data() + std::string_view("gap: ").size();
    if (gap.text.size() > 5) std::from_chars(first, gap.text.data() + gap.text.size(), lost);
    return lost;
}

void AddPoints(RunReport& report, const std::vector<CycleRow>& cycles,
               const std::vector<Stretch>& steady, const std::vector<Stretch>& chosen) {
    for (const Stretch& s : steady) {
        report.points.push_back(OperatingPointOf(cycles, s, false));
        const OperatingPoint& point = report.points.back();
        report.steadyMinutes.emplace_back(point.startS / 60, (point.startS + point.lengthS) / 60);
    }
    for (const Stretch& s : chosen) {
        if (s.count > 0 && s.first < cycles.size())
            report.points.push_back(OperatingPointOf(cycles, s, true));
    }
    std::stable_sort(report.points.begin(), report.points.end(),
                     [](const auto& a, const auto& b) { return a.startS < b.startS; });
    for (const OperatingPoint& point : report.points) {
        if (point.rpm && point.indicatedPowerMilliW)
            report.powerCurve.push_back({point.rpm->mean, point.indicatedPowerMilliW->mean,
                                         point.indicatedPowerMilliW->sd});
    }
}

// The stretches kept in the folder, then those the caller adds that are not
// among them (the Recorder window passes the ones it also keeps there).
std::vector<Stretch> AllChosen(const RecordingContents& contents,
                               const std::vector<Stretch>& added) {
    std::vector<Stretch> chosen;
    for (const ChosenStretch& kept : contents.chosen)
        chosen.push_back(CyclesOf(contents.cycles, kept));
    for (const Stretch& s : added)
        if (std::find(chosen.begin(), chosen.end(), s) == chosen.end()) chosen.push_back(s);
    return chosen;
}

}  // namespace

std::string ClockText(double seconds) {
    const long long whole = std::isfinite(seconds) && seconds > 0 ? std::llround(std::floor(seconds)) : 0;
    const auto two = [](long long v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return std::to_string(whole / 3600) + ":" + two((whole / 60) % 60) + ":" + two(whole % 60);
}

RunReport MakeRunReport(const RecordingContents& contents, const std::string& name,
                        const SteadyCriteria& criteria, const std::vector<Stretch>& chosen) {
    RunReport report;
    report.title = name;
    report.simulated = contents.manifest.simulated;
    const long rate = contents.manifest.format.rate;
    report.lengthMinutes =
        rate > 0 ? static_cast<double>(contents.scans) / static_cast<double>(rate) / 60.0 : 0.0;
    std::uint64_t lost = 0;
    for (const Event& e : contents.events) {
        if (StartsWith(e.text, "gap")) {
            report.gaps.push_back(e);
            lost += LostScans(e);
        } else if (!IsRecorderEvent(e)) {
            report.marks.push_back(e);
        }
    }
    const std::vector<Stretch> steady = SteadyStretches(contents.cycles, criteria.windowSeconds);
    report.facts = Facts(contents, lost, report.gaps);
    report.warmUp = WarmUp(contents.cycles, steady);
    report.settings = Settings(criteria, contents.manifest);
    AddPoints(report, contents.cycles, steady, AllChosen(contents, chosen));
    report.trends = Trends(contents.cycles);
    return report;
}

}  // namespace corvane::recording
