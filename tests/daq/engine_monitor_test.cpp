#include "daq/engine_monitor.h"

#include <gtest/gtest.h>

#include <optional>

#include "scripted_board.h"

namespace corvane::daq {
namespace {

// Each channel its own count, so that a value read from the wrong one shows.
constexpr std::uint16_t kLowCount = 2652, kResistorCount = 2458, kHighCount = 2800,
                        kPressureCount = 2100;

ScriptedBoard& Answering(ScriptedBoard& board, int failing) {
    board.SetChannelCount(kLowTempChannel, kLowCount);
    board.SetChannelCount(kResistorChannel, kResistorCount);
    board.SetChannelCount(kHighTempChannel, kHighCount);
    board.SetChannelCount(kPressureChannel, kPressureCount);
    if (failing >= 0) board.SetChannelResult(failing, kScriptedFailure);
    return board;
}

// Before a capture: without channel 2 there is no reading at all; a later
// channel that fails keeps the value it had.
TEST(EngineMonitor, AFailingChannelGivesNothingOrKeepsItsLastValue) {
    const EngineReading previous{1.0, 2.0, 3.0};
    const double low = TemperatureKelvin(kLowCount), power = HeaterPowerWatts(kResistorCount),
                 high = TemperatureKelvin(kHighCount);
    struct Case {
        int failing;  // -1: none
        std::optional<EngineReading> expected;
    } cases[] = {
        {-1, EngineReading{low, power, high}},
        {kLowTempChannel, std::nullopt},
        {kResistorChannel, EngineReading{low, 2.0, high}},
        {kHighTempChannel, EngineReading{low, power, 3.0}},
    };
    for (const Case& c : cases) {
        ScriptedBoard board;
        int answers = 0;
        const auto reading =
            ReadEngineChannels(Answering(board, c.failing), previous, [&] { ++answers; });
        ASSERT_EQ(reading.has_value(), c.expected.has_value()) << "failing " << c.failing;
        EXPECT_EQ(answers, c.expected ? 1 : 0) << "failing " << c.failing;
        if (!reading) continue;
        EXPECT_EQ(reading->loTemp, c.expected->loTemp) << "failing " << c.failing;
        EXPECT_EQ(reading->resistorPower, c.expected->resistorPower) << "failing " << c.failing;
        EXPECT_EQ(reading->hiTemp, c.expected->hiTemp) << "failing " << c.failing;
    }
}

// The monitor's timer: channels 2, 4 and 0, nothing when any of them fails.
TEST(EngineMonitor, ATickNeedsEveryOneOfItsChannels) {
    for (const int failing : {-1, kLowTempChannel, kHighTempChannel, kPressureChannel}) {
        ScriptedBoard board;
        const auto tick = ReadMonitorTick(Answering(board, failing));
        ASSERT_EQ(tick.has_value(), failing < 0) << "failing " << failing;
        if (!tick) continue;
        EXPECT_EQ(tick->lowK, TemperatureKelvin(kLowCount));
        EXPECT_EQ(tick->highK, TemperatureKelvin(kHighCount));
        EXPECT_EQ(tick->pressureCount, kPressureCount);
    }
}

}  // namespace
}  // namespace corvane::daq
