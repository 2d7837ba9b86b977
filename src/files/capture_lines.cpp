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
    std::size_t p = 0;
    std::string_view field;
    for (int pass = 0; pass < n; ++pass) {
        while (p < line.size() && line[p] == ',') ++p;
        const std::size_t start = p;
        while (p < line.size() && line[p] != ',') ++p;
        field = line.substr(start, p - start);
        if (p < line.size()) ++p;
    }
    return field;
}

}  // namespace corvane::files
