#include "files/capture_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::files {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    LineReader reader(text);
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
    for (const auto& c : cases) EXPECT_EQ(Lines(c.text), c.lines) << c.name;
}

TEST(LineReader, LinesOfAnyLength) {
    const std::string longLine(1 << 20, 'x');
    EXPECT_EQ(Lines(longLine + "\r\nend"), (Strings{longLine, "end"}));
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
