#include "daq/uldaq/uldaq_library.h"

#include <dlfcn.h>

namespace corvane::daq::uldaq {

namespace {

template <typename Function>
bool Resolve(void* handle, const char* name, Function* function, std::string* missing) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        if (!missing->empty()) missing->append(", ");
        missing->append(name);
        return false;
    }
    *function = reinterpret_cast<Function>(symbol);
    return true;
}

}  // namespace

std::unique_ptr<UldaqLibrary> UldaqLibrary::Load(const std::string& fileName, std::string* error) {
    void* handle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        *error = reason != nullptr ? reason : fileName + ": cannot be loaded";
        return nullptr;
    }
    std::unique_ptr<UldaqLibrary> library(new UldaqLibrary(handle));
    std::string missing;
    bool ok = true;
    ok &= Resolve(handle, "ulGetDaqDeviceInventory", &library->ulGetDaqDeviceInventory, &missing);
    ok &= Resolve(handle, "ulCreateDaqDevice", &library->ulCreateDaqDevice, &missing);
    ok &= Resolve(handle, "ulConnectDaqDevice", &library->ulConnectDaqDevice, &missing);
    ok &= Resolve(handle, "ulDisconnectDaqDevice", &library->ulDisconnectDaqDevice, &missing);
    ok &= Resolve(handle, "ulReleaseDaqDevice", &library->ulReleaseDaqDevice, &missing);
    ok &= Resolve(handle, "ulIsDaqDeviceConnected", &library->ulIsDaqDeviceConnected, &missing);
    ok &= Resolve(handle, "ulGetErrMsg", &library->ulGetErrMsg, &missing);
    ok &= Resolve(handle, "ulAIn", &library->ulAIn, &missing);
    ok &= Resolve(handle, "ulAInScan", &library->ulAInScan, &missing);
    ok &= Resolve(handle, "ulAInScanWait", &library->ulAInScanWait, &missing);
    ok &= Resolve(handle, "ulAInScanStatus", &library->ulAInScanStatus, &missing);
    ok &= Resolve(handle, "ulAInScanStop", &library->ulAInScanStop, &missing);
    if (!ok) {
        *error = fileName + " lacks " + missing;
        return nullptr;  // the destructor closes the library
    }
    return library;
}

UldaqLibrary::~UldaqLibrary() { dlclose(handle_); }

std::string UldaqLibrary::ErrorText(UlError error) const {
    char text[ERR_MSG_LEN] = {};
    if (ulGetErrMsg(error, text) != ERR_NO_ERROR) return "error " + std::to_string(error);
    text[ERR_MSG_LEN - 1] = '\0';  // never trust the library to terminate it
    return "error " + std::to_string(error) + ": " + text;
}

}  // namespace corvane::daq::uldaq
