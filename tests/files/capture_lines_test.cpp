#include "files/capture_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/errors.h"

namespace corvane::files {
namespace {

std::vector<std::string> Lines(const std::string& text, LineLimits limits = {},
                               std::size_t piece = kReadPiece) {
    LineReader reader(text, limits, piece);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line)) lines.emplace_back(line);
    return lines;
}

using Strings = std::vector<std::string>;

TEST(LineReader, LineEnds) {
    struct Case {
        const char* name;
        std::string text;
        Strings lines;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF only", "a\nb\n", {"a", "b"}},
        {"last line without end", "a\r\nb", {"a", "b"}},
        {"empty line inside", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"trailing empty line", "a\r\n\r\n", {"a", ""}},
        {"lone CR dropped", "a\rb\r\nc", {"ab", "c"}},
        {"CR CR LF", "a\r\r\nb", {"a", "b"}},
        {"lone CR at the end", "a\r", {"a"}},
        {"Ctrl+Z ends the file",
         "a\r\nb\x1A"
         "c\r\nd\r\n",
         {"a", "b"}},
        {"Ctrl+Z after a line end", "a\r\n\x1A", {"a"}},
        {"Ctrl+Z first",
         "\x1A"
         "grab\r\n",
         {}},
        {"empty", "", {}},
        {"just a line end", "\r\n", {""}},
    };
    for (const auto& c : cases) {
        // However the text arrives in pieces, the lines are the same.
        for (const std::size_t piece : {kReadPiece, std::size_t{1}, std::size_t{2}, std::size_t{3}})
            EXPECT_EQ(Lines(c.text, {}, piece), c.lines) << c.name << ", pieces of " << piece;
    }
}

TEST(LineReader, LinesOfAnyLength) {
    const std::string longLine(1 << 20, 'x');
    EXPECT_EQ(Lines(longLine + "\r\nend"), (Strings{longLine, "end"}));
    EXPECT_EQ(Lines(longLine + "\r\nend", {}, 1000), (Strings{longLine, "end"}));
}

// Reading stops with the range error of a file longer than any capture, at the
// line that is too long or lies too far: what comes before it is read.
TEST(LineReader, HoldsNoMoreThanItsLimits) {
    const LineLimits small{.maxLine = 8, .maxText = 40};
    struct Case {
        const char* name;
        std::string text;
        Strings before;  // the lines read before the error
        bool refused;
    };
    const Case cases[] = {
        {"a line of the longest length", "12345678\nb", {"12345678", "b"}, false},
        {"a line too long", "a\r\n123456789\r\nb", {"a"}, true},
        {"a last line too long, without line end", "a\n123456789", {"a"}, true},
        {"CRs count until they are dropped", "a\n1234\r\r\r\r\r\n", {"a"}, true},
        {"text of the longest length, no final line end",
         "1234567\n1234567\n1234567\n1234567\n12345678",
         {"1234567", "1234567", "1234567", "1234567", "12345678"},
         false},
        {"text up to the limit",
         "1234567\n1234567\n1234567\n1234567\n1234567\n",
         {"1234567", "1234567", "1234567", "1234567", "1234567"},
         false},
        {"a line beyond the limit",
         "1234567\n1234567\n1234567\n1234567\n1234567\nx",
         {"1234567", "1234567", "1234567", "1234567", "1234567"},
         true},
        {"Ctrl+Z just after the limit",
         "1234567\n1234567\n1234567\n1234567\n1234567\n\x1A"
         "more",
         {"1234567", "1234567", "1234567", "1234567", "1234567"},
         false},
    };
    for (const auto& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, kReadPiece}) {
            LineReader reader(c.text, small, piece);
            Strings lines;
            bool refused = false;
            try {
                std::string_view line;
                while (reader.Next(line)) lines.emplace_back(line);
            } catch (const RangeError&) {
                refused = true;
            }
            EXPECT_EQ(lines, c.before) << c.name << ", pieces of " << piece;
            EXPECT_EQ(refused, c.refused) << c.name << ", pieces of " << piece;
        }
    }
}

TEST(ExtractField, CommaRunsAreOneSeparatorAndBlanksStay) {
    struct Case {
        const char* line;
        int n;
        const char* field;
    };
    const Case cases[] = {
        {"a,b,c", 1, "a"},
        {"a,b,c", 3, "c"},
        {"a,b,c", 4, ""},
        {",,a,,b", 1, "a"},
        {",,a,,b", 2, "b"},
        {" 1.0, 2.0", 2, " 2.0"},
        {"t,k, , , , 120, 50", 6, " 120"},
        {"t,k, , , , 120, 50", 7, " 50"},
        {"t,k,296.1,360.4,3.6,, 100", 6, " 100"},
        {"t,k,296.1,360.4,3.6,, 100", 7, ""},
        {"", 1, ""},
        {",,,", 1, ""},
        {"a,b", 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractField(c.line, c.n), c.field) << c.line << " field " << c.n;
    }
}

}  // namespace
}  // namespace corvane::files
