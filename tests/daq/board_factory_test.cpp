#include "daq/board_factory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "daq/board_errors.h"
#include "settings/board_settings.h"
#include "daq/simulated_board.h"
#include "temp_dir.h"

namespace corvane::daq {
namespace {

std::string SettingsFile(const testing::TempDir& dir, const std::string& name,
                         const std::string& text) {
    const std::string path = dir.File(name);
    testing::WriteText(path, text);
    return path;
}

TEST(BoardFactory, ChoosesTheBoardNamedInTheSettings) {
    const testing::TempDir dir;
    struct Case {
        const char* text;
        const char* name;
        bool simulated;
    };
    const Case cases[] = {
        {"", "simulated", true},
        {"[DAQ]\r\nBoard=\r\n", "simulated", true},
        {"[DAQ]\r\nBoard= Simulated \r\n", "simulated", true},
        {"[daq]\r\nboard=simulated\r\n", "simulated", true},
        {"[DAQ]\r\nBoard=PCI-DAS1602\r\n", "pci-das1602", false},
    };
    int index = 0;
    for (const auto& c : cases) {
        settings::IniFile ini(
            SettingsFile(dir, "factory" + std::to_string(index++) + ".ini", c.text));
        const BoardChoice choice = MakeBoard(settings::ReadBoardSettings(ini));
        ASSERT_NE(choice.board, nullptr) << c.text;
        EXPECT_EQ(choice.name, c.name) << c.text;
        EXPECT_EQ(choice.simulated != nullptr, c.simulated) << c.text;
        if (c.simulated) {
            EXPECT_EQ(choice.simulated, choice.board.get());
        }
    }
}

TEST(BoardFactory, UnknownBoardFailsEveryCallLikeAMissingBoard) {
    const testing::TempDir dir;
    settings::IniFile ini(SettingsFile(dir, "unknown.ini", "[DAQ]\nBoard=nothing\n"));
    const auto choice = MakeBoard(settings::ReadBoardSettings(ini));
    Board& board = *choice.board;
    float revision = 5.72f;
    std::uint16_t value = 0;
    long rate = 1000;
    EXPECT_NE(board.cbDeclareRevision(&revision), kNoErrors);
    EXPECT_NE(board.cbErrHandling(0, 0), kNoErrors);
    EXPECT_NE(board.cbAIn(0, 2, kBip10Volts, &value), kNoErrors);
    // Its buffers are host memory, as a real board's are; the scan fails.
    const BufferHandle buffer = board.cbWinBufAlloc(2000);
    EXPECT_NE(board.cbAInScan(0, 0, 1, 2000, &rate, kBip10Volts, buffer, 0), kNoErrors);
    EXPECT_EQ(board.cbWinBufFree(buffer), kNoErrors);
    EXPECT_NE(board.LastError().find("nothing"), std::string::npos) << "the hint names it";
}

TEST(EngineSettings, ReadsItsSectionAndFallsBackOnBadValues) {
    const testing::TempDir dir;
    settings::IniFile ini(SettingsFile(dir, "engine.ini",
                                       "[SimulatedEngine]\n"
                                       "Rpm= 720.5 \n"
                                       "HeaterPower=-3\n"
                                       "Load=abc\n"
                                       "Noise=0.05x\n"
                                       "FlywheelMass=250\n"
                                       "FlywheelDiameter=120\n"
                                       "Seed=18446744073709551615\n"
                                       "InstantScans=Yes\n"
                                       "TooHot=Yes\n"
                                       "MissedHole=yes please\n"
                                       "Colour=blue\n"));
    const EngineParameters parameters = settings::ReadEngineParameters(ini);
    const EngineParameters defaults;
    EXPECT_EQ(parameters.rpm, 720.5);
    EXPECT_EQ(parameters.heaterPowerW, defaults.heaterPowerW);
    EXPECT_EQ(parameters.loadMilliNm, defaults.loadMilliNm);
    EXPECT_EQ(parameters.noiseVolts, defaults.noiseVolts);
    EXPECT_EQ(parameters.flywheelMassG, 250.0);
    EXPECT_EQ(parameters.flywheelDiameterMm, 120.0);
    EXPECT_EQ(parameters.seed, 18446744073709551615ull);
    EXPECT_TRUE(parameters.instantScans);
    EXPECT_TRUE(parameters.faults.tooHot);
    EXPECT_FALSE(parameters.faults.missedHole);
    EXPECT_FALSE(parameters.faults.unplugged);

    const auto choice = MakeBoard(settings::ReadBoardSettings(ini));
    ASSERT_NE(choice.simulated, nullptr);
    EXPECT_EQ(choice.simulated->Parameters().rpm, 720.5);
}

TEST(EngineSettings, WrittenParametersReadBackTheSame) {
    const testing::TempDir dir;
    const std::string path = SettingsFile(dir, "roundtrip.ini", "");
    EngineParameters parameters;
    parameters.rpm = 333.25;
    parameters.noiseVolts = 0.125;
    parameters.seed = 77;
    parameters.faults.stopped = true;
    parameters.faults.unplugged = true;
    {
        settings::IniFile ini(path);
        settings::WriteEngineParameters(ini, parameters);
        ini.Save();
    }
    settings::IniFile ini(path);
    const EngineParameters read = settings::ReadEngineParameters(ini);
    EXPECT_EQ(read.rpm, 333.25);
    EXPECT_EQ(read.noiseVolts, 0.125);
    EXPECT_EQ(read.seed, 77u);
    EXPECT_TRUE(read.faults.stopped);
    EXPECT_TRUE(read.faults.unplugged);
    EXPECT_FALSE(read.faults.tooHot);
    EXPECT_FALSE(read.instantScans);
}

// The run of a recording: written keys read back; unreadable or out-of-range
// values give their defaults, steps out of range are left out, the rest sorted.
TEST(EngineSettings, TheRunsKeysReadBackAndBadValuesGiveDefaults) {
    const testing::TempDir dir;
    const std::string path = SettingsFile(dir, "run.ini", "");
    EngineParameters parameters;
    parameters.run.warmUp = true;
    parameters.run.warmUpMinutes = 7.5;
    parameters.run.driftKPerHour = -2.0;
    parameters.run.steps = {{600.0, 5.5, 1.0}, {1200.0, 6.0, 2.25}};
    parameters.run.speedUp = 60.0;
    parameters.run.overrunAtS = 90.0;
    parameters.run.overrunS = 0.5;
    parameters.run.coastDownAtS = 1800.0;
    {
        settings::IniFile ini(path);
        WriteEngineParameters(ini, parameters);
        ini.Save();
    }
    const EngineRunSettings read = ReadEngineParameters(settings::IniFile(path)).run;
    EXPECT_TRUE(read.warmUp);
    EXPECT_EQ(read.warmUpMinutes, 7.5);
    EXPECT_EQ(read.driftKPerHour, -2.0);
    ASSERT_EQ(read.steps.size(), 2u);
    EXPECT_EQ(read.steps[1].atS, 1200.0);
    EXPECT_EQ(read.steps[1].heaterPowerW, 6.0);
    EXPECT_EQ(read.steps[1].loadMilliNm, 2.25);
    EXPECT_EQ(read.speedUp, 60.0);
    EXPECT_EQ(read.overrunAtS, 90.0);
    EXPECT_EQ(read.overrunS, 0.5);
    EXPECT_EQ(read.coastDownAtS, 1800.0);

    const EngineRunSettings defaults;
    struct Case {
        const char* lines;
        std::size_t steps;
    } cases[] = {
        {"RunSteps=600 5\nSpeedUp=-5\nWarmUpMinutes=nan\nOverrunAt=-3\nDrift=1e9\nCoastDownAt=-1e9\n", 0},
        {"RunSteps=900 4 1; 300 30 1 ;100 5 2\n", 2},  // 30 W is no heater of ours
    };
    for (const Case& c : cases) {
        const auto run =
            ReadEngineParameters(settings::IniFile(SettingsFile(
                                     dir, "bad.ini", std::string("[SimulatedEngine]\n") + c.lines)))
                .run;
        EXPECT_EQ(run.speedUp, defaults.speedUp) << c.lines;
        EXPECT_EQ(run.warmUpMinutes, defaults.warmUpMinutes) << c.lines;
        EXPECT_EQ(run.overrunAtS, defaults.overrunAtS) << c.lines;
        EXPECT_EQ(run.coastDownAtS, defaults.coastDownAtS) << c.lines;
        EXPECT_EQ(run.driftKPerHour, defaults.driftKPerHour) << c.lines;
        ASSERT_EQ(run.steps.size(), c.steps) << c.lines;
        if (c.steps == 2) {
            EXPECT_EQ(run.steps[0].atS, 100.0);
            EXPECT_EQ(run.steps[1].atS, 900.0);
        }
    }
}

}  // namespace
}  // namespace corvane::daq
