#include "files/capture_lines.h"

#include <cstring>

namespace corvane::files {

namespace {
constexpr char kEndOfFile = 26;  // Ctrl+Z
}

LineReader::LineReader(std::string_view text) : text_(text) {
    if (const void* stop = std::memchr(text_.data(), kEndOfFile, text_.size())) {
        text_ = text_.substr(0, static_cast<const char*>(stop) - text_.data());
    }
}

bool LineReader::Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const char* begin = text_.data() + pos_;
    const std::size_t left = text_.size() - pos_;
    const void* lf = std::memchr(begin, '\n', left);
    std::size_t length = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : left;
    pos_ += lf ? length + 1 : length;
    std::string_view raw(begin, length);
    // Every CR goes: the one before LF ends the line, a lone one is dropped.
    while (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (raw.find('\r') == std::string_view::npos) {
        line = raw;
        return true;
    }
    scratch_.clear();
    for (char c : raw) {
        if (c != '\r') scratch_ += c;
    }
    line = scratch_;
    return true;
}

std::string_view ExtractField(std::string_view line, int n) {
    const char* p = line.data();
    const char* const end = p + line.size();
    std::string_view field;
    for (int pass = 0; pass < n; ++pass) {
        while (p < end && *p == ',') ++p;
        const char* start = p;
        const void* comma = std::memchr(p, ',', static_cast<std::size_t>(end - p));
        p = comma ? static_cast<const char*>(comma) : end;
        field = std::string_view(start, static_cast<std::size_t>(p - start));
        if (p < end) ++p;
    }
    return field;
}

}  // namespace corvane::files
