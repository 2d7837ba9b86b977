#include "daq/uldaq/uldaq_board.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <chrono>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "daq/board_factory.h"
#include "daq/board_errors.h"
#include "daq/board_stream.h"
#include "settings/board_settings.h"
#include "fake_uldaq_control.h"
#include "temp_dir.h"

namespace corvane::daq {
namespace {

using namespace uldaq;

class UldaqBoardTest : public ::testing::Test {
protected:
    void SetUp() override { fakeUl_reset(1); }
    void TearDown() override {
        board_.reset();
        EXPECT_EQ(log().openHandles, 0) << "every board handle is released";
        EXPECT_EQ(log().misuses, 0);
    }
    static const FakeUlLog& log() { return *fakeUl_log(); }
    void Use(std::string deviceId, std::string library = CORVANE_FAKE_ULDAQ) {
        board_ = std::make_unique<UldaqBoard>(std::move(deviceId), std::move(library));
    }
    UldaqBoard& board() { return *board_; }

    int Read(int channel, std::uint16_t* count) {
        return board().cbAIn(0, channel, kBip10Volts, count);
    }
    // A scan as the captures make it: allocate, scan, copy out, free.
    int Scan(int low, int high, long count, std::vector<std::uint16_t>* samples, long rate = 1000) {
        BufferHandle buffer = board().cbWinBufAlloc(count);
        EXPECT_NE(buffer, 0);
        int result = board().cbAInScan(0, low, high, count, &rate, kBip10Volts, buffer, 0);
        samples->assign(static_cast<std::size_t>(count), 0xFFFF);
        EXPECT_EQ(board().cbWinBufToArray(buffer, samples->data(), 0, count), 0);
        EXPECT_EQ(board().cbWinBufFree(buffer), 0);
        return result;
    }
    int Grab() {
        std::vector<std::uint16_t> samples;
        return Scan(0, 1, 2000, &samples);
    }

    std::unique_ptr<UldaqBoard> board_ = std::make_unique<UldaqBoard>("", CORVANE_FAKE_ULDAQ);
};

TEST_F(UldaqBoardTest, ConnectsOnFirstAccessOnlyAndKeepsTheConnection) {
    float revision = 5.72f;
    EXPECT_EQ(board().cbDeclareRevision(&revision), 0);
    EXPECT_EQ(board().cbErrHandling(0, 0), 0);
    EXPECT_EQ(log().inventories, 0);

    std::uint16_t count = 0;
    fakeUl_setVolts(2, 1.0);
    ASSERT_EQ(Read(2, &count), 0);
    ASSERT_EQ(Read(2, &count), 0);
    EXPECT_EQ(Grab(), 0);
    EXPECT_EQ(log().inventories, 1);
    EXPECT_EQ(log().inventoryInterface, USB_IFC);
    EXPECT_EQ(log().creates, 1);
    EXPECT_EQ(log().connects, 1);
    EXPECT_STREQ(log().lastUniqueId, "01A0000");
}

TEST_F(UldaqBoardTest, SingleReadsAreCalibratedVoltsInTwelveBitCounts) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double volts;
        int result;  // 0 or nonzero
        std::uint16_t count;
    } cases[] = {
        {0.0, 0, 2048},
        {-10.0, 0, 0},
        {9.9951171875, 0, 4095},
        {0.5 / 204.8, 0, 2048},  // half a count rounds to even
        {1.5 / 204.8, 0, 2050},
        {1.23456, 0, 2301},  // a finer converter's reading
        {10.0, 0, 4095},     // beyond the 12-bit scale: clamped
        {12.5, 0, 4095},
        {-10.3, 0, 0},
        {-1e9, 0, 0},
        {nan, 1, 7},
    };
    for (const Case& c : cases) {
        fakeUl_setVolts(3, c.volts);
        std::uint16_t count = 7;
        const int result = Read(3, &count);
        EXPECT_EQ(result != 0, c.result != 0) << c.volts;
        EXPECT_EQ(count, c.count) << c.volts;
    }
    EXPECT_EQ(log().lastChannel, 3);
    EXPECT_EQ(log().lastInputMode, AI_SINGLE_ENDED);
    EXPECT_EQ(log().lastRange, BIP10VOLTS);
    EXPECT_EQ(log().lastFlags, AIN_FF_DEFAULT);
}

TEST_F(UldaqBoardTest, GrabScanIsInterleavedLowestChannelFirst) {
    std::vector<std::uint16_t> samples;
    ASSERT_EQ(Scan(0, 1, 2000, &samples), 0);
    EXPECT_EQ(log().lastLowChannel, 0);
    EXPECT_EQ(log().lastHighChannel, 1);
    EXPECT_EQ(log().lastSamplesPerChannel, 1000);
    EXPECT_EQ(log().lastRate, 1000.0);
    EXPECT_EQ(log().lastInputMode, AI_SINGLE_ENDED);
    EXPECT_EQ(log().lastRange, BIP10VOLTS);
    EXPECT_EQ(log().lastFlags, AINSCAN_FF_DEFAULT);
    EXPECT_EQ(log().lastOptions, SO_DEFAULTIO);
    EXPECT_GE(log().lastTimeout, 1.0) << "the wait allows for the whole second";
    EXPECT_EQ(log().stops, 0);
    for (int k = 0; k < 1000; ++k) {
        ASSERT_EQ(samples[2 * k], fakeUl_patternCount(0, k)) << k;
        ASSERT_EQ(samples[2 * k + 1], fakeUl_patternCount(1, k)) << k;
    }
}

TEST_F(UldaqBoardTest, DynaScanReadsTheTachometerAlone) {
    fakeUl_setRateFactor(0.99);  // the board's nearest rate
    std::vector<std::uint16_t> samples;
    long rate = 1000;
    BufferHandle buffer = board().cbWinBufAlloc(4000);
    ASSERT_EQ(board().cbAInScan(0, 1, 1, 4000, &rate, kBip10Volts, buffer, 0), 0);
    samples.resize(4000);
    ASSERT_EQ(board().cbWinBufToArray(buffer, samples.data(), 0, 4000), 0);
    EXPECT_EQ(board().cbWinBufFree(buffer), 0);
    EXPECT_EQ(rate, 990) << "the actual rate comes back";
    EXPECT_EQ(log().lastLowChannel, 1);
    EXPECT_EQ(log().lastHighChannel, 1);
    EXPECT_EQ(log().lastSamplesPerChannel, 4000);
    EXPECT_GE(log().lastTimeout, 4000 / 990.0);
    for (int k = 0; k < 4000; ++k) ASSERT_EQ(samples[k], fakeUl_patternCount(1, k)) << k;
}

TEST_F(UldaqBoardTest, BadArgumentsFailWithoutTouchingTheBoard) {
    std::uint16_t count = 0;
    EXPECT_NE(board().cbAIn(1, 2, kBip10Volts, &count), 0);
    EXPECT_NE(board().cbAIn(0, 2, 0, &count), 0);
    EXPECT_NE(board().cbAIn(0, -1, kBip10Volts, &count), 0);
    EXPECT_NE(board().cbAIn(0, 2, kBip10Volts, nullptr), 0);

    BufferHandle buffer = board().cbWinBufAlloc(2000);
    struct Case {
        int board, low, high;
        long count, rate;
        int range;
        BufferHandle buffer;
        int options;
    } cases[] = {
        {1, 0, 1, 2000, 1000, kBip10Volts, buffer, 0},      // board
        {0, 0, 1, 1999, 1000, kBip10Volts, buffer, 0},      // not whole scans
        {0, 0, 1, 2002, 1000, kBip10Volts, buffer, 0},      // beyond the buffer
        {0, 0, 1, 0, 1000, kBip10Volts, buffer, 0},         // nothing
        {0, 1, 0, 2000, 1000, kBip10Volts, buffer, 0},      // channels reversed
        {0, 0, 1, 2000, 0, kBip10Volts, buffer, 0},         // no rate
        {0, 0, 1, 2000, 1000, 2, buffer, 0},                // range
        {0, 0, 1, 2000, 1000, kBip10Volts, buffer + 1, 0},  // unknown buffer
        {0, 0, 1, 2000, 1000, kBip10Volts, buffer, 1},      // background scan
    };
    for (const Case& c : cases) {
        long rate = c.rate;
        EXPECT_NE(
            board().cbAInScan(c.board, c.low, c.high, c.count, &rate, c.range, c.buffer, c.options),
            0);
    }
    EXPECT_EQ(log().inventories, 0);
    EXPECT_EQ(log().reads + log().scans, 0);
    EXPECT_EQ(board().cbWinBufFree(buffer), 0);
}

TEST_F(UldaqBoardTest, BuffersAreCheckedAndCopiedFromTheirFirstPoint) {
    EXPECT_EQ(board().cbWinBufAlloc(0), 0);
    EXPECT_EQ(board().cbWinBufAlloc(-5), 0);
    BufferHandle buffer = board().cbWinBufAlloc(4);
    ASSERT_NE(buffer, 0);
    long rate = 1000;
    ASSERT_EQ(board().cbAInScan(0, 0, 1, 4, &rate, kBip10Volts, buffer, 0), 0);
    std::uint16_t tail[2] = {};
    ASSERT_EQ(board().cbWinBufToArray(buffer, tail, 2, 2), 0);
    EXPECT_EQ(tail[0], fakeUl_patternCount(0, 1));
    EXPECT_EQ(tail[1], fakeUl_patternCount(1, 1));
    EXPECT_NE(board().cbWinBufToArray(buffer, tail, 3, 2), 0);
    EXPECT_NE(board().cbWinBufToArray(buffer, tail, -1, 2), 0);
    EXPECT_NE(board().cbWinBufToArray(buffer, nullptr, 0, 2), 0);
    EXPECT_EQ(board().cbWinBufFree(buffer), 0);
    EXPECT_NE(board().cbWinBufFree(buffer), 0);
    EXPECT_NE(board().cbWinBufToArray(buffer, tail, 0, 2), 0);
}

// A library that is absent, not a library, or lacks a function: every board
// access fails as without a board, and the reason names the cause.
TEST_F(UldaqBoardTest, WithoutAUsableLibraryEveryBoardAccessFailsSayingWhy) {
    const testing::TempDir folder;
    const std::string notALibrary = folder.File(kUldaqLibraryFile);
    testing::WriteText(notALibrary, std::string(200, 'x') + "\n");
    const struct {
        std::string library;
        std::string cause;
    } cases[] = {
        {"/nonexistent/libuldaq.so.1", "/nonexistent/libuldaq.so.1: cannot open shared object"},
        {notALibrary, notALibrary + ": invalid ELF header"},
        {"libc.so.6", "libc.so.6 lacks ulGetDaqDeviceInventory, ulCreateDaqDevice"},
        {CORVANE_FAKE_ULDAQ_WITHOUT_STOP,
         std::string(CORVANE_FAKE_ULDAQ_WITHOUT_STOP) + " lacks ulAInScanStop"},
    };
    for (const auto& c : cases) {
        Use("", c.library);
        float revision = 5.72f;
        EXPECT_EQ(board().cbDeclareRevision(&revision), kBoardNotFound) << c.library;
        std::uint16_t count = 0;
        EXPECT_EQ(Read(2, &count), kBoardNotFound) << c.library;
        EXPECT_EQ(Read(2, &count), kBoardNotFound) << c.library;
        EXPECT_EQ(Grab(), kBoardNotFound) << c.library;
        EXPECT_EQ(board().LastError().rfind(c.cause, 0), 0u) << board().LastError();
    }
    EXPECT_EQ(log().inventories, 0);
}

// Each way the board can be missing fails every access, and the first access
// after the cause is gone connects.
TEST_F(UldaqBoardTest, MissingBoardFailsUntilItAnswers) {
    struct Case {
        const char* what;
        void (*cause)();
        void (*cure)();
        const char* deviceId;
    } cases[] = {
        {"no board", [] { fakeUl_reset(0); }, [] { fakeUl_reset(1); }, ""},
        {"unplugged", [] { fakeUl_setPlugged(0); }, [] { fakeUl_setPlugged(1); }, ""},
        {"no udev rule", [] { fakeUl_failConnect(ERR_USB_DEV_NO_PERMISSION); },
         [] { fakeUl_failConnect(0); }, ""},
        {"claimed", [] { fakeUl_failConnect(ERR_USB_INTERFACE_CLAIMED); },
         [] { fakeUl_failConnect(0); }, ""},
        {"inventory fails", [] { fakeUl_failInventory(ERR_DEV_NOT_FOUND); },
         [] { fakeUl_failInventory(0); }, ""},
        {"other board", [] { fakeUl_reset(1); }, [] { fakeUl_reset(3); }, "01A0002"},
    };
    for (const Case& c : cases) {
        board_.reset();
        fakeUl_reset(1);
        Use(c.deviceId);
        c.cause();
        std::uint16_t count = 0;
        EXPECT_NE(Read(2, &count), 0) << c.what;
        EXPECT_NE(Grab(), 0) << c.what;
        EXPECT_EQ(log().scans, 0) << c.what;
        EXPECT_EQ(log().openHandles, 0) << c.what;
        EXPECT_FALSE(board().LastError().empty()) << c.what;
        c.cure();
        EXPECT_EQ(Read(2, &count), 0) << c.what;
        EXPECT_EQ(Grab(), 0) << c.what;
        if (*c.deviceId != '\0') {
            EXPECT_STREQ(log().lastUniqueId, c.deviceId);
        }
    }
}

TEST_F(UldaqBoardTest, DeviceSettingPicksTheBoardByUniqueId) {
    fakeUl_reset(10);  // more boards than the first inventory has room for
    Use("01a0009");
    std::uint16_t count = 0;
    ASSERT_EQ(Read(2, &count), 0) << board().LastError();
    EXPECT_STREQ(log().lastUniqueId, "01A0009");
    EXPECT_EQ(log().creates, 1);
}

TEST_F(UldaqBoardTest, UnplugBetweenTwoCapturesThenReconnect) {
    ASSERT_EQ(Grab(), 0);
    const long long first = log().lastHandle;
    fakeUl_setPlugged(0);
    std::uint16_t count = 0;
    EXPECT_NE(Read(2, &count), 0) << "the next monitor tick sees it";
    EXPECT_EQ(log().openHandles, 0) << "the dead connection is let go";
    EXPECT_NE(Read(2, &count), 0);
    EXPECT_NE(Grab(), 0);
    fakeUl_setPlugged(1);
    EXPECT_EQ(Read(2, &count), 0) << "plugged back in, the next tick connects";
    EXPECT_NE(log().lastHandle, first);
    EXPECT_EQ(Grab(), 0);
}

TEST_F(UldaqBoardTest, BrokenScansStopDeliverNothingAndReconnect) {
    struct Case {
        const char* what;
        void (*arrange)();
    } cases[] = {
        {"unplugged mid-scan", [] { fakeUl_vanishInNextScan(); }},
        {"transfer error", [] { fakeUl_transferErrorInNextScan(29); }},
        {"scan never ends", [] { fakeUl_hangNextScan(); }},
        {"scan refused", [] { fakeUl_failScanStart(ERR_DEAD_DEV); }},
    };
    for (const Case& c : cases) {
        board_.reset();
        fakeUl_reset(1);
        Use("");
        ASSERT_EQ(Grab(), 0) << c.what;
        c.arrange();
        std::vector<std::uint16_t> samples;
        EXPECT_NE(Scan(0, 1, 2000, &samples), 0) << c.what;
        EXPECT_EQ(samples, std::vector<std::uint16_t>(2000, 0)) << c.what << ": no partial data";
        EXPECT_EQ(log().stops, 1) << c.what;
        EXPECT_EQ(log().openHandles, 0) << c.what;
        fakeUl_failScanStart(0);
        fakeUl_setPlugged(1);
        EXPECT_EQ(Grab(), 0) << c.what << ": the next capture works";
        EXPECT_EQ(log().creates, 2) << c.what;
    }
}

// Closing the program during a scan: the stop comes from the window's thread
// while the scan's thread waits inside the library holding the board.
TEST_F(UldaqBoardTest, AStopFromAnotherThreadEndsAWaitingScanAndDeliversNothing) {
    ASSERT_EQ(Grab(), 0);
    fakeUl_blockNextScan();
    std::vector<std::uint16_t> samples;
    int result = -1;
    std::thread scan([&] { result = Scan(0, 1, 2000, &samples); });
    ASSERT_TRUE(fakeUl_awaitBlockedScan(5.0));
    EXPECT_EQ(board().cbStopBackground(0, kAiFunction), 0);
    scan.join();
    EXPECT_EQ(result, kScanStopped);
    EXPECT_EQ(samples, std::vector<std::uint16_t>(2000, 0)) << "no partial data";
    EXPECT_NE(board().LastError().find("stopped"), std::string::npos) << board().LastError();

    EXPECT_EQ(Grab(), 0) << "the next capture works";
    EXPECT_EQ(board().cbStopBackground(0, kAiFunction), 0) << "no scan: nothing to stop";
    EXPECT_EQ(Grab(), 0) << "a stop without a scan does not stop the next one";
    EXPECT_EQ(board().cbStopBackground(1, kAiFunction), kBadArgument);
}

// The background scan: every scan as the library delivered it, numbered on;
// scans the library overwrote before the pump came are one gap of their
// number; a board pulled out ends the stream with the library's words.
TEST_F(UldaqBoardTest, BackgroundScanStreamsTheLibrarysScansAndReportsWhatWasOverwritten) {
    fakeUl_setContinuousStep(30);
    const StreamFormat format{0, 1, 1000};
    auto stream = OpenBoardStream(board(), format, {0.1, std::chrono::milliseconds(1)});
    EXPECT_EQ(log().lastOptions, SO_CONTINUOUS);
    EXPECT_EQ(log().lastSamplesPerChannel, 200) << "the library's buffer: two of ours";
    EXPECT_EQ(log().lastLowChannel, 0);
    EXPECT_EQ(log().lastHighChannel, 1);

    std::uint64_t next = 0, lost = 0;
    bool jumped = false;
    while (next < 900) {
        const StreamChunk chunk = stream->Read();
        ASSERT_EQ(chunk.firstScan, next);
        if (chunk.kind == StreamChunk::Kind::Gap) {
            lost += chunk.lostScans;
            next += chunk.lostScans;
            continue;
        }
        ASSERT_EQ(chunk.kind, StreamChunk::Kind::Scans) << chunk.message;
        for (std::size_t i = 0; i < chunk.counts.size(); ++i) {
            const auto scan = static_cast<int>(next + i / 2);
            ASSERT_EQ(chunk.counts[i], fakeUl_patternCount(static_cast<int>(i % 2), scan)) << scan;
        }
        next += chunk.counts.size() / 2;
        if (next >= 300 && !jumped) {
            // The pump is 530 scans behind: 430 are gone, and the 30 at most
            // that the reader had not yet taken from the pump.
            fakeUl_jumpContinuous(500);
            jumped = true;
        }
    }
    EXPECT_GE(lost, 430u);
    EXPECT_LE(lost, 460u);

    fakeUl_setPlugged(0);
    StreamChunk chunk;
    do chunk = stream->Read();
    while (chunk.kind == StreamChunk::Kind::Scans);
    EXPECT_EQ(chunk.kind, StreamChunk::Kind::Failed);
    EXPECT_NE(chunk.message.find("the board's scan broke off"), std::string::npos);
    EXPECT_NE(chunk.message.find("fake library error 8"), std::string::npos) << chunk.message;
    stream.reset();
    EXPECT_GE(log().stops, 1);
}

TEST_F(UldaqBoardTest, AStoppedBackgroundScanStopsTheLibrarysScanAndAGrabFollows) {
    auto stream = OpenBoardStream(board(), StreamFormat{0, 1, 1000});
    EXPECT_EQ(stream->Read().kind, StreamChunk::Kind::Scans);
    std::vector<std::uint16_t> samples;
    EXPECT_EQ(Scan(0, 1, 2000, &samples), kScanRunning) << "one scan at a time";
    stream->Stop();
    EXPECT_EQ(stream->Read().kind, StreamChunk::Kind::End);
    EXPECT_EQ(log().stops, 1);
    EXPECT_EQ(Grab(), 0);
}

TEST_F(UldaqBoardTest, AnyFailedReadLetsTheBoardGoAndTheNextFindsItAgain) {
    std::uint16_t count = 0;
    ASSERT_EQ(Read(2, &count), 0);
    fakeUl_failRead(20);  // not one of the codes that say the board is gone
    EXPECT_NE(Read(2, &count), 0);
    EXPECT_EQ(log().openHandles, 0);
    fakeUl_failRead(0);
    EXPECT_EQ(Read(2, &count), 0);
    EXPECT_EQ(log().creates, 2);
}

TEST_F(UldaqBoardTest, ABoardTheLibraryLostIsFoundAgainWithoutAFailure) {
    std::uint16_t count = 0;
    ASSERT_EQ(Read(2, &count), 0);
    const long long first = log().lastHandle;
    fakeUl_setPlugged(0);  // out and back in between two readings
    fakeUl_setPlugged(1);
    EXPECT_EQ(Read(2, &count), 0);
    EXPECT_NE(log().lastHandle, first);
    EXPECT_EQ(log().openHandles, 1);
}

TEST(UldaqBoardFactory, SettingsChooseTheLinuxBackend) {
    const testing::TempDir dir;
    const std::string path = dir.File("CorvaneLogger.INI");
    testing::WriteText(path, "[DAQ]\r\nBoard= UlDaq \r\nDevice=01A2B3C4\r\n");
    settings::IniFile ini(path);
    BoardChoice choice = MakeBoard(settings::ReadBoardSettings(ini));
    EXPECT_EQ(choice.name, "uldaq");
    EXPECT_NE(dynamic_cast<UldaqBoard*>(choice.board.get()), nullptr);
    EXPECT_EQ(choice.simulated, nullptr);
}

}  // namespace
}  // namespace corvane::daq
