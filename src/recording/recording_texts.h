#pragma once
// The lines of a recording's files: cycles.csv and events.csv (point decimal,
// one header line, LF), and how a reader takes them back. A last line without
// its line end was torn by a crash and is not read.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recording/cycle_tracker.h"

namespace corvane::recording {

inline constexpr const char* kSamplesFile = "samples.u16";
inline constexpr const char* kCyclesFile = "cycles.csv";
inline constexpr const char* kEventsFile = "events.csv";
inline constexpr const char* kManifestFile = "manifest.ini";

inline constexpr std::string_view kCyclesHeader =
    "time_s,rpm,work_mj,indicated_power_mw,lo_temp_k,hi_temp_k,heater_power_w,steady\n";
// Recordings from before steady state was judged; their cycles read as not steady.
inline constexpr std::string_view kCyclesHeaderWithoutSteady =
    "time_s,rpm,work_mj,indicated_power_mw,lo_temp_k,hi_temp_k,heater_power_w\n";
inline constexpr std::string_view kEventsHeader = "time_s,text\n";

struct Event {
    double timeS = 0.0;
    std::string text;
};

// One line each, with its LF. An absent monitor value is an empty field; an
// event's text is quoted when it holds a comma, a quote or a line end.
std::string CycleLine(const CycleRow& row);
std::string EventLine(const Event& event);

// The whole lines of a file's text after its header; nothing when the first
// line is not `header`. A last line without LF is left out.
std::optional<std::vector<std::string_view>> WholeLines(std::string_view text,
                                                        std::string_view header);

// A line as CycleLine or EventLine wrote it (its LF removed); nothing for
// anything else. `steady` is 0 or 1 when present; more cycle columns after
// it are allowed.
std::optional<CycleRow> ParseCycleLine(std::string_view line);
std::optional<Event> ParseEventLine(std::string_view line);

// Seconds with three decimals, point decimal: the events' and the status's times.
std::string SecondsText(double seconds);

}  // namespace corvane::recording
