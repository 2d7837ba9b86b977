#include "files/capture_lines.h"

#include <algorithm>
#include <cstring>

#include "text/errors.h"

namespace corvane::files {

namespace {

constexpr char kEndOfFile = 26;  // Ctrl+Z
constexpr std::size_t kFirstBuffer = kReadPiece;

}  // namespace

LineReader::LineReader(Source source, LineLimits limits)
    : source_(std::move(source)), limits_(limits) {}

LineReader::LineReader(std::string text, LineLimits limits, std::size_t piece) : limits_(limits) {
    piece = std::max<std::size_t>(piece, 1);
    auto owned = std::make_shared<const std::string>(std::move(text));
    source_ = [owned, at = std::size_t{0}, piece](char* into, std::size_t room) mutable {
        const std::size_t n = std::min({room, piece, owned->size() - at});
        std::memcpy(into, owned->data() + at, n);
        at += n;
        return n;
    };
}

void LineReader::TakeInMore() {
    // The unread part of the line moves to the front; the buffer grows only
    // for a line longer than it is.
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        const std::size_t grown =
            std::min(std::max(kFirstBuffer, capacity_ * 2), limits_.maxLine + 2);
        auto larger = std::make_unique_for_overwrite<char[]>(grown);
        if (end_ > 0) std::memcpy(larger.get(), buffer_.get(), end_);
        buffer_ = std::move(larger);
        capacity_ = grown;
    }
    if (taken_ >= limits_.maxText) {
        // A text exactly as long as the limit has ended; anything more is too long.
        char next = 0;
        if (source_(&next, 1) != 0 && next != kEndOfFile) throw RangeError();
        atEnd_ = true;
        return;
    }
    const std::size_t room = std::min(capacity_ - end_, limits_.maxText - taken_);
    std::size_t got = source_(buffer_.get() + end_, room);
    if (got == 0) {
        atEnd_ = true;
        return;
    }
    taken_ += got;
    if (const void* stop = std::memchr(buffer_.get() + end_, kEndOfFile, got)) {
        got = static_cast<std::size_t>(static_cast<const char*>(stop) - (buffer_.get() + end_));
        atEnd_ = true;
    }
    end_ += got;
}

bool LineReader::Next(std::string_view& line) {
    std::size_t length = 0;
    std::size_t searched = 0;  // characters of the line known to hold no LF
    for (;;) {
        const char* begin = buffer_.get() + begin_;
        const std::size_t unread = end_ - begin_;
        const void* lf =
            unread > searched ? std::memchr(begin + searched, '\n', unread - searched) : nullptr;
        if (lf) {
            length = static_cast<std::size_t>(static_cast<const char*>(lf) - begin);
            break;
        }
        searched = unread;
        if (unread > limits_.maxLine) throw RangeError();
        if (atEnd_) {
            if (unread == 0) return false;
            length = unread;
            break;
        }
        TakeInMore();
    }
    if (length > limits_.maxLine) throw RangeError();
    std::string_view raw(buffer_.get() + begin_, length);
    begin_ = std::min(begin_ + length + 1, end_);
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

std::string_view FieldCursor::Next() {
    while (p_ < end_ && *p_ == ',') ++p_;
    const char* start = p_;
    if (p_ < end_) {
        const void* comma = std::memchr(p_, ',', static_cast<std::size_t>(end_ - p_));
        p_ = comma ? static_cast<const char*>(comma) : end_;
    }
    const std::string_view field(start, static_cast<std::size_t>(p_ - start));
    if (p_ < end_) ++p_;
    return field;
}

std::string_view ExtractField(std::string_view line, int n) {
    FieldCursor fields(line);
    std::string_view field;
    for (int pass = 0; pass < n; ++pass) field = fields.Next();
    return field;
}

}  // namespace corvane::files
