#pragma once
// The part of the board maker's Linux library (libuldaq, v1.2) that the
// program uses, declared here so that building needs neither the library nor
// its header: the library is loaded at run time when it is installed.
// Layouts and values follow the library's public C interface.

#include <cstdint>

namespace corvane::daq::uldaq {

using DaqDeviceHandle = long long;  // 0: no device
using UlError = int;                // 0: success

inline constexpr UlError ERR_NO_ERROR = 0;
// Errors that mean the board is missing or gone.
inline constexpr UlError ERR_USB_DEV_NO_PERMISSION = 4;  // no udev rule for the board
inline constexpr UlError ERR_USB_INTERFACE_CLAIMED = 5;  // another program holds it
inline constexpr UlError ERR_DEV_NOT_FOUND = 6;
inline constexpr UlError ERR_DEV_NOT_CONNECTED = 7;
inline constexpr UlError ERR_DEAD_DEV = 8;
inline constexpr UlError ERR_NO_CONNECTION_ESTABLISHED = 73;

inline constexpr int ERR_MSG_LEN = 512;

enum DaqDeviceInterface : int { USB_IFC = 1 };
enum AiInputMode : int { AI_DIFFERENTIAL = 1, AI_SINGLE_ENDED = 2 };
enum Range : int { BIP10VOLTS = 5 };
enum AInFlag : int { AIN_FF_DEFAULT = 0, AIN_FF_NOSCALEDATA = 1, AIN_FF_NOCALIBRATEDATA = 2 };
enum AInScanFlag : int {
    AINSCAN_FF_DEFAULT = 0,
    AINSCAN_FF_NOSCALEDATA = 1,
    AINSCAN_FF_NOCALIBRATEDATA = 2
};
enum ScanOption : int { SO_DEFAULTIO = 0, SO_CONTINUOUS = 1 << 3 };
enum WaitType : int { WAIT_UNTIL_DONE = 1 };
enum ScanStatus : int { SS_IDLE = 0, SS_RUNNING = 1 };

struct DaqDeviceDescriptor {
    char productName[64];
    unsigned int productId;
    DaqDeviceInterface devInterface;
    char devString[64];
    char uniqueId[64];
    char reserved[512];
};
static_assert(sizeof(DaqDeviceDescriptor) == 712, "must match the library's layout");

struct TransferStatus {
    unsigned long long currentScanCount;
    unsigned long long currentTotalCount;
    long long currentIndex;
    char reserved[64];
};
static_assert(sizeof(TransferStatus) == 88, "must match the library's layout");

// Signatures of the library's C functions, resolved by name.
extern "C" {
using ulGetDaqDeviceInventory_t = UlError (*)(DaqDeviceInterface, DaqDeviceDescriptor[],
                                              unsigned int*);
using ulCreateDaqDevice_t = DaqDeviceHandle (*)(DaqDeviceDescriptor);
using ulConnectDaqDevice_t = UlError (*)(DaqDeviceHandle);
using ulDisconnectDaqDevice_t = UlError (*)(DaqDeviceHandle);
using ulReleaseDaqDevice_t = UlError (*)(DaqDeviceHandle);
using ulIsDaqDeviceConnected_t = UlError (*)(DaqDeviceHandle, int*);
using ulGetErrMsg_t = UlError (*)(UlError, char[ERR_MSG_LEN]);
using ulAIn_t = UlError (*)(DaqDeviceHandle, int, AiInputMode, Range, AInFlag, double*);
using ulAInScan_t = UlError (*)(DaqDeviceHandle, int, int, AiInputMode, Range, int, double*,
                                ScanOption, AInScanFlag, double[]);
using ulAInScanWait_t = UlError (*)(DaqDeviceHandle, WaitType, long long, double);
using ulAInScanStatus_t = UlError (*)(DaqDeviceHandle, ScanStatus*, TransferStatus*);
using ulAInScanStop_t = UlError (*)(DaqDeviceHandle);
}

}  // namespace corvane::daq::uldaq
