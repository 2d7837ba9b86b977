#pragma once
// How the capture-file reader sees lines and fields.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::files {

// How much a reader asks its source for at a time.
inline constexpr std::size_t kReadPiece = 64 * 1024;

// What the reader holds at most. No capture the record can hold comes near:
// a full dyna file is about 196 KB with lines under 100 characters.
struct LineLimits {
    std::size_t maxLine = std::size_t{4} << 20;   // characters of one line
    std::size_t maxText = std::size_t{64} << 20;  // characters read in all
};

// Splits a file's text into lines: a line ends at LF; a CR before the LF, and
// any CR not followed by LF, is not part of the line; character 26 (Ctrl+Z)
// ends the file; a last line without line end still counts, but the line end
// of the last line does not start another (empty) one.
//
// The text is read in pieces as the lines are asked for, so memory stays
// bounded whatever the input: a line longer than limits.maxLine, or a line
// that lies beyond limits.maxText characters, throws RangeError, as a file
// longer than any capture the record can hold.
class LineReader {
public:
    // Puts up to `room` further characters of the text into `into` and returns
    // how many; 0 at the end. May throw (a read error).
    using Source = std::function<std::size_t(char* into, std::size_t room)>;

    explicit LineReader(Source source, LineLimits limits = {});
    // Text in memory; `piece` is how much of it is taken in at a time (tests
    // and the fuzzer vary it).
    explicit LineReader(std::string text, LineLimits limits = {}, std::size_t piece = kReadPiece);

    // Reads the next line into line; false at the end of the text. The view
    // stays valid until the next call.
    bool Next(std::string_view& line);

private:
    void TakeInMore();

    Source source_;
    LineLimits limits_;
    // Not cleared when made or grown: every character is read into it before
    // it is looked at, and a batch makes one reader per file.
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;  // the unread characters are buffer_[begin_, end_)
    std::size_t end_ = 0;
    std::size_t taken_ = 0;  // characters taken from the source in all
    bool atEnd_ = false;     // the source is exhausted, or Ctrl+Z was seen
    std::string scratch_;    // for the rare line with a CR inside
};

// The n-th field (n >= 1) of a line: runs of commas count as one separator and
// commas at the start are skipped, so an empty field does not count; fields are
// not trimmed. Empty when the line has fewer fields.
std::string_view ExtractField(std::string_view line, int n);

// The fields of a line in turn, as ExtractField counts them (Next() gives
// field 1, then 2, ...; empty beyond the last): one pass over the line for
// all the fields a reader needs.
class FieldCursor {
public:
    explicit FieldCursor(std::string_view line)
        : p_(line.data()), end_(line.data() + line.size()) {}
    std::string_view Next();

private:
    const char* p_;
    const char* end_;
};

}  // namespace corvane::files
