#pragma once
// How the capture-file reader sees lines and fields.

#include <string>
#include <string_view>

namespace corvane::files {

// Splits a file's text into lines: a line ends at LF; a CR before the LF, and
// any CR not followed by LF, is not part of the line; character 26 (Ctrl+Z)
// ends the file; a last line without line end still counts, but the line end
// of the last line does not start another (empty) one.
class LineReader {
public:
    explicit LineReader(std::string_view text);
    // Reads the next line into line; false at the end of the file. The view
    // stays valid until the next call.
    bool Next(std::string_view& line);
    bool AtEnd() const { return pos_ >= text_.size(); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::string scratch_;  // for the rare line with a CR inside
};

// The n-th field (n >= 1) of a line: runs of commas count as one separator and
// commas at the start are skipped, so an empty field does not count; fields are
// not trimmed. Empty when the line has fewer fields.
std::string_view ExtractField(std::string_view line, int n);

}  // namespace corvane::files
