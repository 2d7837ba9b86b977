// The uldaq board against the board maker's real libuldaq, with no board on
// USB: the library is found by its run-time name (LD_LIBRARY_PATH, set by
// ctest), as on a user's machine. dlopen, dlclose and dlsym are wrapped at link
// time to count the library's loads and inventories and to hide a function.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "daq/board_errors.h"
#include "daq/board_factory.h"
#include "daq/board_stream.h"
#include "settings/board_settings.h"
#include "daq/uldaq/uldaq_api.h"
#include "daq/uldaq/uldaq_board.h"
#include "temp_dir.h"

namespace {

struct LibraryUse {
    int opens = 0;   // dlopen of libuldaq
    int closes = 0;  // dlclose of a handle from one
    int inventories = 0;
    int creates = 0;
    void* handle = nullptr;
    std::string hidden;  // dlsym pretends the library lacks this function
    corvane::daq::uldaq::ulGetDaqDeviceInventory_t inventory = nullptr;
    corvane::daq::uldaq::ulCreateDaqDevice_t create = nullptr;
};
LibraryUse use;

corvane::daq::uldaq::UlError CountedInventory(corvane::daq::uldaq::DaqDeviceInterface interface,
                                              corvane::daq::uldaq::DaqDeviceDescriptor found[],
                                              unsigned* number) {
    ++use.inventories;
    return use.inventory(interface, found, number);
}

corvane::daq::uldaq::DaqDeviceHandle CountedCreate(
    corvane::daq::uldaq::DaqDeviceDescriptor descriptor) {
    ++use.creates;
    return use.create(descriptor);
}

}  // namespace

extern "C" {
void* __real_dlopen(const char* file, int mode);
int __real_dlclose(void* handle);
void* __real_dlsym(void* handle, const char* name);

void* __wrap_dlopen(const char* file, int mode) {
    void* handle = __real_dlopen(file, mode);
    if (file != nullptr && std::string_view(file).find("libuldaq") != std::string_view::npos) {
        ++use.opens;
        use.handle = handle;
    }
    return handle;
}

int __wrap_dlclose(void* handle) {
    if (handle != nullptr && handle == use.handle) ++use.closes;
    return __real_dlclose(handle);
}

void* __wrap_dlsym(void* handle, const char* name) {
    if (handle != use.handle) return __real_dlsym(handle, name);
    const std::string_view wanted(name);
    if (wanted == use.hidden) return nullptr;
    void* symbol = __real_dlsym(handle, name);
    if (symbol == nullptr) return nullptr;
    if (wanted == "ulGetDaqDeviceInventory") {
        use.inventory = reinterpret_cast<decltype(use.inventory)>(symbol);
        return reinterpret_cast<void*>(&CountedInventory);
    }
    if (wanted == "ulCreateDaqDevice") {
        use.create = reinterpret_cast<decltype(use.create)>(symbol);
        return reinterpret_cast<void*>(&CountedCreate);
    }
    return symbol;
}
}

namespace corvane::daq {
namespace {

const std::filesystem::path kUldaqDir = CORVANE_ULDAQ_DIR;

class UldaqRealLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kUldaqDir / "lib" / kUldaqLibraryFile))
            GTEST_SKIP() << "The board maker's library is not at " << kUldaqDir.string()
                         << " (configure with -DCORVANE_ULDAQ_DIR=...): real-library test skipped";
        const char* path = std::getenv("LD_LIBRARY_PATH");
        ASSERT_TRUE(path != nullptr &&
                    std::string(path).find(kUldaqDir.string()) != std::string::npos)
            << "run through ctest, or with LD_LIBRARY_PATH=" << (kUldaqDir / "lib").string();
        use = LibraryUse{};
    }

    // The board as the program makes it from its settings file.
    std::unique_ptr<Board> FromSettings(const std::string& daqSection) const {
        const std::string path = dir_.File("CorvaneLogger.INI");
        testing::WriteText(path, "[DAQ]\r\n" + daqSection);
        const settings::IniFile ini(path);
        BoardChoice choice = MakeBoard(settings::ReadBoardSettings(ini));
        EXPECT_EQ(choice.name, "uldaq");
        return std::move(choice.board);
    }

    // What the window asks of the board in one Grab or Dyna: the monitor's
    // first reading, then the scan. Both fail; the scan leaves no samples.
    static void GrabAndDyna(Board& board) {
        for (const auto& [low, high, count] : {std::tuple{0, 1, 2000L}, std::tuple{1, 1, 4000L}}) {
            std::uint16_t value = 7;
            EXPECT_EQ(board.cbAIn(0, 2, kBip10Volts, &value), kBoardNotFound);
            EXPECT_EQ(value, 7);
            const BufferHandle buffer = board.cbWinBufAlloc(count);
            ASSERT_NE(buffer, 0);
            long rate = 1000;
            EXPECT_EQ(board.cbAInScan(0, low, high, count, &rate, kBip10Volts, buffer, 0),
                      kBoardNotFound);
            std::vector<std::uint16_t> samples(static_cast<std::size_t>(count), 7);
            EXPECT_EQ(board.cbWinBufToArray(buffer, samples.data(), 0, count), kNoErrors);
            EXPECT_EQ(samples, std::vector<std::uint16_t>(samples.size(), 0)) << "no samples";
            EXPECT_EQ(board.cbWinBufFree(buffer), kNoErrors);
        }
    }

private:
    testing::TempDir dir_;
};

// No board: every access fails with the missing-board result and says so, the
// library is loaded once for all of them, and each access looks for the board
// afresh, so that one plugged in later is found.
TEST_F(UldaqRealLibrary, NoBoardFailsEveryAccessAndTheNextLooksAgain) {
    auto board = FromSettings("Board=uldaq\r\n");
    float revision = 5.72f;
    EXPECT_EQ(board->cbDeclareRevision(&revision), kNoErrors) << board->LastError();
    EXPECT_EQ(board->cbErrHandling(0, 0), kNoErrors);
    EXPECT_EQ(use.opens, 1);
    EXPECT_EQ(use.inventories, 0) << "nothing looks for a board before it is needed";

    for (int round = 1; round <= 3; ++round) {
        GrabAndDyna(*board);
        EXPECT_EQ(use.inventories, 4 * round) << "every access looks on USB again";
    }
    for (int channel : {0, 3, 4}) {
        std::uint16_t value = 0;
        EXPECT_EQ(board->cbAIn(0, channel, kBip10Volts, &value), kBoardNotFound);
    }
    EXPECT_EQ(board->LastError(), "no board found on USB");
    EXPECT_EQ(use.opens, 1) << "loaded once";
    EXPECT_EQ(use.creates, 0) << "no device was made for a board that is not there";

    board.reset();
    EXPECT_EQ(use.closes, 1) << "closed with the board";
}

// A recording started without a board: its stream fails at once, saying why,
// and holds nothing of the board's afterwards.
TEST_F(UldaqRealLibrary, NoBoardFailsABackgroundScanAtItsStart) {
    auto board = FromSettings("Board=uldaq\r\n");
    for (int round = 1; round <= 2; ++round) {
        auto stream = OpenBoardStream(*board, StreamFormat{});
        const StreamChunk chunk = stream->Read();
        EXPECT_EQ(chunk.kind, StreamChunk::Kind::Failed);
        EXPECT_EQ(chunk.message, "the board's scan did not start: no board found on USB");
        EXPECT_EQ(stream->Read().kind, StreamChunk::Kind::End);
        EXPECT_EQ(use.inventories, round) << "each start looks on USB again";
    }
    EXPECT_EQ(use.creates, 0);
}

TEST_F(UldaqRealLibrary, ABoardNamedByItsUniqueIdIsMissingByThatId) {
    auto board = FromSettings("Board=uldaq\r\nDevice=01A2B3C4\r\n");
    GrabAndDyna(*board);
    EXPECT_EQ(board->LastError(), "no board with unique id 01a2b3c4 on USB");
    EXPECT_EQ(use.creates, 0);
}

// A library without any one of the twelve functions is not used at all: every
// access fails as without a board, and the reason names the function.
TEST_F(UldaqRealLibrary, ALibraryLackingAnyFunctionIsRefusedByName) {
    for (const char* function :
         {"ulGetDaqDeviceInventory", "ulCreateDaqDevice", "ulConnectDaqDevice",
          "ulDisconnectDaqDevice", "ulReleaseDaqDevice", "ulIsDaqDeviceConnected", "ulGetErrMsg",
          "ulAIn", "ulAInScan", "ulAInScanWait", "ulAInScanStatus", "ulAInScanStop"}) {
        use = LibraryUse{};
        use.hidden = function;
        UldaqBoard board;
        float revision = 5.72f;
        EXPECT_EQ(board.cbDeclareRevision(&revision), kBoardNotFound) << function;
        GrabAndDyna(board);
        EXPECT_EQ(board.LastError(), std::string("libuldaq.so.1 lacks ") + function);
        EXPECT_EQ(use.opens, 1) << function << ": not tried again";
        EXPECT_EQ(use.closes, 1) << function << ": closed at once";
        EXPECT_EQ(use.inventories, 0) << function;
    }
}

}  // namespace
}  // namespace corvane::daq
