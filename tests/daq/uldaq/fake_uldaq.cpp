// A stand-in for libuldaq: the library's C functions over simulated USB boards.
// Scans fill the caller's buffer only while the caller waits, as the real
// library's transfer thread does, so a buffer that dies early shows up.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "daq/uldaq/uldaq_api.h"
#include "fake_uldaq_control.h"

using namespace corvane::daq::uldaq;

namespace {

// Codes of the fake's own; the board treats every nonzero code as a failure.
constexpr UlError kFakeBadHandle = 1001;
constexpr UlError kFakeInventoryTooSmall = 1002;
constexpr UlError kFakeTimedOut = 1003;
constexpr UlError kFakeBadArgument = 1004;

struct Handle {
    int board = 0;
    int generation = 0;  // plug generation the handle was made in
    bool connected = false;
};

struct Scan {
    long long handle = 0;
    double* data = nullptr;
    int low = 0;
    int channels = 0;
    int samplesPerChannel = 0;
    bool running = false;
    bool continuous = false;
    unsigned long long scansDone = 0;  // of a continuous scan
};

struct Fake {
    int boards = 0;
    bool plugged = true;
    int generation = 0;
    double rateFactor = 1.0;
    double volts[16] = {};
    UlError inventoryError = 0, connectError = 0, readError = 0, scanStartError = 0;
    bool vanishNext = false, hangNext = false;
    UlError transferErrorNext = 0, transferError = 0;
    std::map<long long, Handle> handles;
    long long nextHandle = 0x10000;
    Scan scan;
    int continuousStep = 4, continuousJump = 0;
    FakeUlLog log{};
};

Fake fake;

// A blocked wait and the stop that ends it run on two threads: these guard
// what they share.
std::mutex blockMutex;
std::condition_variable blockChanged;
bool blockNext = false, blocked = false, stopSignalled = false;

// The handle's board, or a failure code: unknown handles are misuse, handles
// from before an unplug belong to a dead board.
UlError Check(long long handle, bool needConnected) {
    auto found = fake.handles.find(handle);
    if (found == fake.handles.end()) {
        ++fake.log.misuses;
        return kFakeBadHandle;
    }
    if (!fake.plugged || found->second.generation != fake.generation) return ERR_DEAD_DEV;
    if (needConnected && !found->second.connected) return ERR_DEV_NOT_CONNECTED;
    return ERR_NO_ERROR;
}

// A continuous scan's pump (another thread) and the test's controls meet here.
std::mutex continuousMutex;

void Fill(int scans) {
    for (int k = 0; k < scans; ++k)
        for (int c = 0; c < fake.scan.channels; ++c)
            fake.scan.data[k * fake.scan.channels + c] =
                (fakeUl_patternCount(fake.scan.low + c, k) - 2048) / 204.8;
}

}  // namespace

extern "C" int fakeUl_patternCount(int channel, int scan);

namespace {

// A continuous scan moves on and writes round the buffer, scan numbers counting on.
UlError ContinueScan(ScanStatus* status, TransferStatus* transfer) {
    Scan& scan = fake.scan;
    if (scan.running) {
        const int more = fake.continuousStep + std::exchange(fake.continuousJump, 0);
        for (int k = 0; k < more; ++k, ++scan.scansDone) {
            const auto at = scan.scansDone % static_cast<unsigned>(scan.samplesPerChannel);
            for (int c = 0; c < scan.channels; ++c)
                scan.data[at * scan.channels + c] =
                    (fakeUl_patternCount(scan.low + c, static_cast<int>(scan.scansDone)) - 2048) /
                    204.8;
        }
    }
    *status = scan.running ? SS_RUNNING : SS_IDLE;
    const unsigned long long total = scan.scansDone * scan.channels;
    const auto last = scan.scansDone == 0 ? 0 : (scan.scansDone - 1) % scan.samplesPerChannel;
    *transfer =
        TransferStatus{scan.scansDone, total, static_cast<long long>(last * scan.channels), {}};
    return ERR_NO_ERROR;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void fakeUl_reset(int boards) {
    {
        std::lock_guard lock(blockMutex);
        blockNext = blocked = stopSignalled = false;
    }
    fake = Fake{};
    fake.boards = boards;
}
__attribute__((visibility("default"))) void fakeUl_setPlugged(int plugged) {
    std::lock_guard lock(continuousMutex);
    if (!plugged && fake.plugged) ++fake.generation;
    fake.plugged = plugged != 0;
}
__attribute__((visibility("default"))) void fakeUl_setRateFactor(double factor) {
    fake.rateFactor = factor;
}
__attribute__((visibility("default"))) void fakeUl_setVolts(int channel, double volts) {
    fake.volts[channel] = volts;
}
__attribute__((visibility("default"))) void fakeUl_failInventory(int error) {
    fake.inventoryError = error;
}
__attribute__((visibility("default"))) void fakeUl_failConnect(int error) {
    fake.connectError = error;
}
__attribute__((visibility("default"))) void fakeUl_failRead(int error) { fake.readError = error; }
__attribute__((visibility("default"))) void fakeUl_failScanStart(int error) {
    fake.scanStartError = error;
}
__attribute__((visibility("default"))) void fakeUl_vanishInNextScan(void) {
    fake.vanishNext = true;
}
__attribute__((visibility("default"))) void fakeUl_transferErrorInNextScan(int error) {
    fake.transferErrorNext = error;
}
__attribute__((visibility("default"))) void fakeUl_hangNextScan(void) { fake.hangNext = true; }
__attribute__((visibility("default"))) void fakeUl_blockNextScan(void) {
    std::lock_guard lock(blockMutex);
    blockNext = true;
    stopSignalled = false;
}
__attribute__((visibility("default"))) int fakeUl_awaitBlockedScan(double seconds) {
    std::unique_lock lock(blockMutex);
    return blockChanged.wait_for(lock, std::chrono::duration<double>(seconds),
                                 [] { return blocked; })
               ? 1
               : 0;
}
__attribute__((visibility("default"))) void fakeUl_setContinuousStep(int scans) {
    std::lock_guard lock(continuousMutex);
    fake.continuousStep = scans;
}
__attribute__((visibility("default"))) void fakeUl_jumpContinuous(int jump) {
    std::lock_guard lock(continuousMutex);
    fake.continuousJump = jump;
}
__attribute__((visibility("default"))) int fakeUl_patternCount(int channel, int scan) {
    return (channel * 700 + scan * 3) % 4096;
}
__attribute__((visibility("default"))) const FakeUlLog* fakeUl_log(void) { return &fake.log; }

__attribute__((visibility("default"))) UlError ulGetDaqDeviceInventory(
    DaqDeviceInterface interfaceTypes, DaqDeviceDescriptor descriptors[], unsigned int* number) {
    ++fake.log.inventories;
    fake.log.inventoryInterface = interfaceTypes;
    if (fake.inventoryError != 0) return fake.inventoryError;
    const unsigned present = fake.plugged ? static_cast<unsigned>(fake.boards) : 0;
    if (present > *number) {
        *number = present;
        return kFakeInventoryTooSmall;
    }
    for (unsigned i = 0; i < present; ++i) {
        DaqDeviceDescriptor& d = descriptors[i];
        std::memset(&d, 0, sizeof d);
        std::snprintf(d.productName, sizeof d.productName, "USB-1208FS-Plus");
        d.productId = 0xE8;
        d.devInterface = USB_IFC;
        std::snprintf(d.devString, sizeof d.devString, "USB-1208FS-Plus: 01A000%u", i);
        std::snprintf(d.uniqueId, sizeof d.uniqueId, "01A000%u", i);
        std::memset(d.reserved, 0x5A, sizeof d.reserved);
    }
    *number = present;
    return ERR_NO_ERROR;
}

// The descriptor arrives by value: its fields must come through intact.
__attribute__((visibility("default"))) DaqDeviceHandle ulCreateDaqDevice(
    DaqDeviceDescriptor descriptor) {
    ++fake.log.creates;
    std::memcpy(fake.log.lastUniqueId, descriptor.uniqueId, sizeof descriptor.uniqueId);
    unsigned board = 0;
    if (descriptor.productId != 0xE8 || descriptor.devInterface != USB_IFC ||
        descriptor.reserved[511] != 0x5A ||
        std::sscanf(descriptor.uniqueId, "01A000%u", &board) != 1 ||
        board >= static_cast<unsigned>(fake.boards) || !fake.plugged)
        return 0;
    const long long handle = fake.nextHandle++;
    fake.handles[handle] = Handle{static_cast<int>(board), fake.generation, false};
    ++fake.log.openHandles;
    fake.log.lastHandle = handle;
    return handle;
}

__attribute__((visibility("default"))) UlError ulConnectDaqDevice(DaqDeviceHandle handle) {
    ++fake.log.connects;
    if (UlError error = Check(handle, false); error != ERR_NO_ERROR)
        return error == ERR_DEAD_DEV ? ERR_DEV_NOT_FOUND : error;
    if (fake.connectError != 0) return fake.connectError;
    fake.handles[handle].connected = true;
    return ERR_NO_ERROR;
}

__attribute__((visibility("default"))) UlError ulDisconnectDaqDevice(DaqDeviceHandle handle) {
    ++fake.log.disconnects;
    auto found = fake.handles.find(handle);
    if (found == fake.handles.end()) {
        ++fake.log.misuses;
        return kFakeBadHandle;
    }
    found->second.connected = false;
    return ERR_NO_ERROR;
}

__attribute__((visibility("default"))) UlError ulReleaseDaqDevice(DaqDeviceHandle handle) {
    ++fake.log.releases;
    if (fake.handles.erase(handle) != 1) {
        ++fake.log.misuses;
        return kFakeBadHandle;
    }
    --fake.log.openHandles;
    if (fake.scan.handle == handle) fake.scan = Scan{};  // releasing ends its scan
    return ERR_NO_ERROR;
}

__attribute__((visibility("default"))) UlError ulIsDaqDeviceConnected(DaqDeviceHandle handle,
                                                                      int* connected) {
    UlError error = Check(handle, false);
    *connected = error == ERR_NO_ERROR && fake.handles[handle].connected ? 1 : 0;
    return error == kFakeBadHandle ? error : ERR_NO_ERROR;
}

__attribute__((visibility("default"))) UlError ulGetErrMsg(UlError error,
                                                           char message[ERR_MSG_LEN]) {
    std::snprintf(message, ERR_MSG_LEN, "fake library error %d", error);
    return ERR_NO_ERROR;
}

__attribute__((visibility("default"))) UlError ulAIn(DaqDeviceHandle handle, int channel,
                                                     AiInputMode inputMode, Range range,
                                                     AInFlag flags, double* data) {
    ++fake.log.reads;
    fake.log.lastChannel = channel;
    fake.log.lastInputMode = inputMode;
    fake.log.lastRange = range;
    fake.log.lastFlags = flags;
    if (UlError error = Check(handle, true); error != ERR_NO_ERROR) return error;
    if (fake.readError != 0) return fake.readError;
    if (channel < 0 || channel >= 16) return kFakeBadArgument;
    *data = fake.volts[channel];
    return ERR_NO_ERROR;
}

__attribute__((visibility("default"))) UlError ulAInScan(DaqDeviceHandle handle, int lowChan,
                                                         int highChan, AiInputMode inputMode,
                                                         Range range, int samplesPerChan,
                                                         double* rate, ScanOption options,
                                                         AInScanFlag flags, double data[]) {
    ++fake.log.scans;
    fake.log.lastLowChannel = lowChan;
    fake.log.lastHighChannel = highChan;
    fake.log.lastInputMode = inputMode;
    fake.log.lastRange = range;
    fake.log.lastFlags = flags;
    fake.log.lastOptions = options;
    fake.log.lastSamplesPerChannel = samplesPerChan;
    fake.log.lastRate = *rate;
    if (UlError error = Check(handle, true); error != ERR_NO_ERROR) return error;
    if (fake.scan.running) {
        ++fake.log.misuses;
        return kFakeBadArgument;
    }
    if (fake.scanStartError != 0) return fake.scanStartError;
    if (lowChan < 0 || highChan < lowChan || samplesPerChan <= 0 || data == nullptr)
        return kFakeBadArgument;
    *rate *= fake.rateFactor;
    std::lock_guard lock(continuousMutex);
    fake.scan = Scan{handle,
                     data,
                     lowChan,
                     highChan - lowChan + 1,
                     samplesPerChan,
                     true,
                     (options & SO_CONTINUOUS) != 0,
                     0};
    fake.transferError = fake.transferErrorNext;
    fake.transferErrorNext = 0;
    return ERR_NO_ERROR;
}

__attribute__((visibility("default"))) UlError ulAInScanWait(DaqDeviceHandle handle,
                                                             WaitType waitType,
                                                             long long /*waitParam*/,
                                                             double timeout) {
    fake.log.lastTimeout = timeout;
    if (UlError error = Check(handle, true); error != ERR_NO_ERROR) return error;
    if (waitType != WAIT_UNTIL_DONE || fake.scan.handle != handle) return kFakeBadArgument;
    if (!fake.scan.running) return ERR_NO_ERROR;
    if (std::unique_lock lock(blockMutex); blockNext) {
        blockNext = false;
        Fill(fake.scan.samplesPerChannel / 2);  // what the board sends before the stop
        blocked = true;
        blockChanged.notify_all();
        blockChanged.wait_for(lock, std::chrono::duration<double>(timeout),
                              [] { return stopSignalled; });
        blocked = false;
        return stopSignalled ? ERR_NO_ERROR : kFakeTimedOut;
    }
    if (fake.hangNext) {
        fake.hangNext = false;
        Fill(fake.scan.samplesPerChannel / 2);
        return kFakeTimedOut;
    }
    if (fake.vanishNext) {
        fake.vanishNext = false;
        Fill(fake.scan.samplesPerChannel / 2);
        fakeUl_setPlugged(0);
        return ERR_DEAD_DEV;
    }
    Fill(fake.scan.samplesPerChannel);
    fake.scan.running = false;
    return ERR_NO_ERROR;
}

__attribute__((visibility("default"))) UlError ulAInScanStatus(DaqDeviceHandle handle,
                                                               ScanStatus* status,
                                                               TransferStatus* transfer) {
    std::lock_guard lock(continuousMutex);
    if (UlError error = Check(handle, true); error != ERR_NO_ERROR) return error;
    if (fake.scan.continuous && fake.scan.handle == handle) return ContinueScan(status, transfer);
    const bool ours = fake.scan.handle == handle;
    *status = ours && fake.scan.running ? SS_RUNNING : SS_IDLE;
    const unsigned long long scans = ours ? static_cast<unsigned>(fake.scan.samplesPerChannel) : 0;
    *transfer = TransferStatus{scans, scans * (ours ? fake.scan.channels : 0), 0, {}};
    if (*status == SS_IDLE && fake.transferError != 0) {
        const UlError error = fake.transferError;
        fake.transferError = 0;
        return error;
    }
    return ERR_NO_ERROR;
}

// Built once without it: a library that lacks one of the functions the board needs.
#ifndef FAKE_ULDAQ_WITHOUT_SCAN_STOP
__attribute__((visibility("default"))) UlError ulAInScanStop(DaqDeviceHandle handle) {
    std::lock_guard lock(blockMutex);
    std::lock_guard continuing(continuousMutex);
    ++fake.log.stops;
    const UlError error = Check(handle, false);
    if (fake.scan.handle == handle) fake.scan.running = false;  // no more writes into its buffer
    stopSignalled = true;
    blockChanged.notify_all();
    return error;
}
#endif

}  // extern "C"
