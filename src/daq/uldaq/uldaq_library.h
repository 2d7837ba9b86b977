#pragma once
// The board maker's Linux library, opened with dlopen and every function the
// program needs resolved by name. Loading fails as a whole when the library
// or any of its functions is missing, so callers never meet a null pointer.

#include <memory>
#include <string>

#include "daq/uldaq/uldaq_api.h"

namespace corvane::daq::uldaq {

class UldaqLibrary {
public:
    // Null, with the reason in *error, when the library cannot be used.
    static std::unique_ptr<UldaqLibrary> Load(const std::string& fileName, std::string* error);

    ~UldaqLibrary();
    UldaqLibrary(const UldaqLibrary&) = delete;
    UldaqLibrary& operator=(const UldaqLibrary&) = delete;

    // The library's own text for an error code.
    std::string ErrorText(UlError error) const;

    ulGetDaqDeviceInventory_t ulGetDaqDeviceInventory = nullptr;
    ulCreateDaqDevice_t ulCreateDaqDevice = nullptr;
    ulConnectDaqDevice_t ulConnectDaqDevice = nullptr;
    ulDisconnectDaqDevice_t ulDisconnectDaqDevice = nullptr;
    ulReleaseDaqDevice_t ulReleaseDaqDevice = nullptr;
    ulIsDaqDeviceConnected_t ulIsDaqDeviceConnected = nullptr;
    ulGetErrMsg_t ulGetErrMsg = nullptr;
    ulAIn_t ulAIn = nullptr;
    ulAInScan_t ulAInScan = nullptr;
    ulAInScanWait_t ulAInScanWait = nullptr;
    ulAInScanStatus_t ulAInScanStatus = nullptr;
    ulAInScanStop_t ulAInScanStop = nullptr;

private:
    explicit UldaqLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

}  // namespace corvane::daq::uldaq
