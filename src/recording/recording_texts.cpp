#include "recording/recording_texts.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "performance/details_csv.h"

namespace corvane::recording {

namespace {

std::string Fixed(double value, int decimals) {
    if (!std::isfinite(value)) return "";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string();
}

std::string Optional(const std::optional<double>& value, int decimals) {
    return value ? Fixed(*value, decimals) : std::string();
}

std::optional<double> Number(std::string_view field) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = line.find(',', from);
        fields.push_back(line.substr(from, comma - from));
        if (comma == std::string_view::npos) return fields;
        from = comma + 1;
    }
}

std::optional<std::string> Unquoted(std::string_view field) {
    if (field.empty() || field.front() != '"') {
        if (field.find('"') != std::string_view::npos) return std::nullopt;
        return std::string(field);
    }
    if (field.size() < 2 || field.back() != '"') return std::nullopt;
    std::string text;
    for (std::size_t i = 1; i + 1 < field.size(); ++i) {
        if (field[i] == '"') {
            if (i + 2 >= field.size() || field[i + 1] != '"') return std::nullopt;
            ++i;
        }
        text += field[i];
    }
    return text;
}

}  // namespace

std::string SecondsText(double seconds) { return Fixed(seconds, 3); }

std::string CycleLine(const CycleRow& row) {
    return Fixed(row.timeS, 4) + ',' + Fixed(row.rpm, 3) + ',' + Fixed(row.workMilliJ, 5) + ',' +
           Fixed(row.indicatedPowerMilliW, 4) + ',' + Optional(row.loTempK, 3) + ',' +
           Optional(row.hiTempK, 3) + ',' + Optional(row.heaterPowerW, 4) + ',' +
           (row.steady ? '1' : '0') + '\n';
}

std::string EventLine(const Event& event) {
    // The file is read a line at a time: a line end inside a text would make
    // the rest of it unreadable, so it is kept as a space.
    std::string text = event.text;
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return SecondsText(event.timeS) + ',' + performance::CsvField(text) + '\n';
}

std::optional<std::vector<std::string_view>> WholeLines(std::string_view text,
                                                        std::string_view header) {
    if (text.substr(0, header.size()) != header) return std::nullopt;
    std::vector<std::string_view> lines;
    std::size_t from = header.size();
    for (std::size_t end = text.find('\n', from); end != std::string_view::npos;
         end = text.find('\n', from)) {
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

std::optional<CycleRow> ParseCycleLine(std::string_view line) {
    const auto fields = Fields(line);
    if (fields.size() < 7) return std::nullopt;
    std::optional<double> numbers[4];
    for (int i = 0; i < 4; ++i) {
        numbers[i] = Number(fields[static_cast<std::size_t>(i)]);
        if (!numbers[i]) return std::nullopt;
    }
    CycleRow row{*numbers[0], *numbers[1], *numbers[2], *numbers[3], {}, {}, {}, false};
    std::optional<double>* monitor[] = {&row.loTempK, &row.hiTempK, &row.heaterPowerW};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string_view field = fields[4 + i];
        if (field.empty()) continue;
        *monitor[i] = Number(field);
        if (!*monitor[i]) return std::nullopt;
    }
    if (fields.size() > 7) {
        if (fields[7] != "0" && fields[7] != "1") return std::nullopt;
        row.steady = fields[7] == "1";
    }
    return row;
}

std::optional<Event> ParseEventLine(std::string_view line) {
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto time = Number(line.substr(0, comma));
    auto text = Unquoted(line.substr(comma + 1));
    if (!time || !text) return std::nullopt;
    return Event{*time, std::move(*text)};
}

}  // namespace corvane::recording
