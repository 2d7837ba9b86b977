// The recording's own lines read back, whatever a later version or a hand
// adds; the manifest's start time; a second exported only where it exists.

#include "recording/recording_texts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "recording/grab_export.h"
#include "recording/manifest.h"
#include "recording/recording_error.h"
#include "recording/recording_writer.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

TEST(RecordingTexts, ReadsLinesOfLaterVersionsAndHandEditedEvents) {
    // The eighth column is the steady flag; columns after it are allowed,
    // whatever they hold.
    const auto later = ParseCycleLine("1.5,500,30,250,295,351,4,1,note");
    ASSERT_TRUE(later);
    EXPECT_EQ(later->heaterPowerW, 4.0);
    EXPECT_TRUE(later->steady);
    EXPECT_FALSE(ParseCycleLine("1.5,500,30,250,295,351"));
    EXPECT_FALSE(ParseCycleLine("1.5,500,30,250,warm,351,4"));
    struct Case {
        const char* line;
        const char* text;  // nullptr: not an event line
    };
    for (const Case c : {Case{"1.000,\"\"", ""}, Case{"1.000,plain", "plain"},
                         Case{"1.000,\"a \"\"b\"\", c\"", "a \"b\", c"}, Case{"1.000,\"open", nullptr},
                         Case{"1.000,a\"b", nullptr}, Case{"1.000,\"a\"b\"", nullptr},
                         Case{"soon,start", nullptr}}) {
        SCOPED_TRACE(c.line);
        const auto event = ParseEventLine(c.line);
        ASSERT_EQ(event.has_value(), c.text != nullptr);
        if (event) {
            EXPECT_EQ(event->text, c.text);
        }
    }
}

// A doubled quote just before the closing one is a quote in the text; a
// single one there leaves the field unclosed.
TEST(RecordingTexts, AQuoteBeforeTheClosingOneMustBeDoubled) {
    EXPECT_FALSE(ParseEventLine("1.000,\"a\"\""));
    const auto event = ParseEventLine("1.000,\"a\"\"\"");
    ASSERT_TRUE(event);
    EXPECT_EQ(event->text, "a\"");
}

TEST(RecordingTexts, TheStartTimeIsNowInUtcToTheMillisecond) {
    using namespace std::chrono;
    const auto before = time_point_cast<milliseconds>(system_clock::now());
    const std::string text = UtcNow();
    const auto after = system_clock::now();
    std::tm utc{};
    int millis = -1;
    char zone = 0;
    ASSERT_EQ(std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c", &utc.tm_year, &utc.tm_mon,
                          &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &millis, &zone),
              8)
        << text;
    EXPECT_EQ(zone, 'Z');
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    const auto stamp = system_clock::from_time_t(::timegm(&utc)) + milliseconds(millis);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
}

TEST(RecordingTexts, ExportNeedsPressureAndTachometer) {
    testing::TempDir dir;
    Manifest manifest;
    manifest.format = {1, 4, 1000};
    {
        RecordingWriter writer(dir.File("run"), manifest);
        writer.AddScans(std::vector<std::uint16_t>(4 * 2000, 2048));
        writer.Sync();
    }
    try {
        GrabAt(dir.File("run"), 0);
        ADD_FAILURE() << "exported";
    } catch (const RecordingError& error) {
        EXPECT_EQ(std::string(error.what()), dir.File("run") + ": holds no pressure and tachometer");
    }
}

}  // namespace
}  // namespace corvane::recording
