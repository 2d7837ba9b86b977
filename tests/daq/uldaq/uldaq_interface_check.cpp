// Our own declarations of the board maker's library against its real header:
// this file compiles only while every size, field offset, enum value, error
// code and function signature that the program relies on is the same.
// Our enums are types of their own, so a function's parameters are compared
// one by one: the same type, or enums and integers of the same size, or
// pointers to such, or a structure checked field by field below.

#include "daq/uldaq/uldaq_api.h"
// Ours first: the real header defines ERR_MSG_LEN as a macro.

#include <uldaq.h>

#include <cstddef>
#include <type_traits>

namespace ours = corvane::daq::uldaq;

namespace {

// ---- structures -----------------------------------------------------------

#define CORVANE_SAME_FIELD(ours_type, theirs_type, field)                      \
    static_assert(offsetof(ours_type, field) == offsetof(theirs_type, field)); \
    static_assert(sizeof(ours_type::field) == sizeof(theirs_type::field));

static_assert(sizeof(ours::DaqDeviceDescriptor) == sizeof(::DaqDeviceDescriptor));
static_assert(alignof(ours::DaqDeviceDescriptor) == alignof(::DaqDeviceDescriptor));
CORVANE_SAME_FIELD(ours::DaqDeviceDescriptor, ::DaqDeviceDescriptor, productName)
CORVANE_SAME_FIELD(ours::DaqDeviceDescriptor, ::DaqDeviceDescriptor, productId)
CORVANE_SAME_FIELD(ours::DaqDeviceDescriptor, ::DaqDeviceDescriptor, devInterface)
CORVANE_SAME_FIELD(ours::DaqDeviceDescriptor, ::DaqDeviceDescriptor, devString)
CORVANE_SAME_FIELD(ours::DaqDeviceDescriptor, ::DaqDeviceDescriptor, uniqueId)
CORVANE_SAME_FIELD(ours::DaqDeviceDescriptor, ::DaqDeviceDescriptor, reserved)

static_assert(sizeof(ours::TransferStatus) == sizeof(::TransferStatus));
static_assert(alignof(ours::TransferStatus) == alignof(::TransferStatus));
CORVANE_SAME_FIELD(ours::TransferStatus, ::TransferStatus, currentScanCount)
CORVANE_SAME_FIELD(ours::TransferStatus, ::TransferStatus, currentTotalCount)
CORVANE_SAME_FIELD(ours::TransferStatus, ::TransferStatus, currentIndex)
CORVANE_SAME_FIELD(ours::TransferStatus, ::TransferStatus, reserved)

#undef CORVANE_SAME_FIELD

// ---- enum values and error codes -----------------------------------------

// Values of two different enums, or of an enum and an integer.
constexpr bool Same(auto ours, auto theirs) {
    return static_cast<long long>(ours) == static_cast<long long>(theirs);
}

static_assert(std::is_same_v<ours::DaqDeviceHandle, ::DaqDeviceHandle>);
static_assert(sizeof(ours::UlError) == sizeof(::UlError));

static_assert(Same(ours::ERR_NO_ERROR, ::ERR_NO_ERROR));
static_assert(Same(ours::ERR_USB_DEV_NO_PERMISSION, ::ERR_USB_DEV_NO_PERMISSION));
static_assert(Same(ours::ERR_USB_INTERFACE_CLAIMED, ::ERR_USB_INTERFACE_CLAIMED));
static_assert(Same(ours::ERR_DEV_NOT_FOUND, ::ERR_DEV_NOT_FOUND));
static_assert(Same(ours::ERR_DEV_NOT_CONNECTED, ::ERR_DEV_NOT_CONNECTED));
static_assert(Same(ours::ERR_DEAD_DEV, ::ERR_DEAD_DEV));
static_assert(Same(ours::ERR_NO_CONNECTION_ESTABLISHED, ::ERR_NO_CONNECTION_ESTABLISHED));

constexpr int kTheirErrMsgLen = ERR_MSG_LEN;
#pragma push_macro("ERR_MSG_LEN")
#undef ERR_MSG_LEN
static_assert(ours::ERR_MSG_LEN == kTheirErrMsgLen);
#pragma pop_macro("ERR_MSG_LEN")

static_assert(Same(ours::USB_IFC, ::USB_IFC));
static_assert(Same(ours::AI_DIFFERENTIAL, ::AI_DIFFERENTIAL));
static_assert(Same(ours::AI_SINGLE_ENDED, ::AI_SINGLE_ENDED));
static_assert(Same(ours::BIP10VOLTS, ::BIP10VOLTS));
static_assert(Same(ours::AIN_FF_DEFAULT, ::AIN_FF_DEFAULT));
static_assert(Same(ours::AIN_FF_NOSCALEDATA, ::AIN_FF_NOSCALEDATA));
static_assert(Same(ours::AIN_FF_NOCALIBRATEDATA, ::AIN_FF_NOCALIBRATEDATA));
static_assert(Same(ours::AINSCAN_FF_DEFAULT, ::AINSCAN_FF_DEFAULT));
static_assert(Same(ours::AINSCAN_FF_NOSCALEDATA, ::AINSCAN_FF_NOSCALEDATA));
static_assert(Same(ours::AINSCAN_FF_NOCALIBRATEDATA, ::AINSCAN_FF_NOCALIBRATEDATA));
static_assert(Same(ours::SO_DEFAULTIO, ::SO_DEFAULTIO));
static_assert(Same(ours::SO_CONTINUOUS, ::SO_CONTINUOUS));
static_assert(Same(ours::WAIT_UNTIL_DONE, ::WAIT_UNTIL_DONE));
static_assert(Same(ours::SS_IDLE, ::SS_IDLE));
static_assert(Same(ours::SS_RUNNING, ::SS_RUNNING));

// Every enum we declare is passed where the library's is: the same size.
static_assert(sizeof(ours::DaqDeviceInterface) == sizeof(::DaqDeviceInterface));
static_assert(sizeof(ours::AiInputMode) == sizeof(::AiInputMode));
static_assert(sizeof(ours::Range) == sizeof(::Range));
static_assert(sizeof(ours::AInFlag) == sizeof(::AInFlag));
static_assert(sizeof(ours::AInScanFlag) == sizeof(::AInScanFlag));
static_assert(sizeof(ours::ScanOption) == sizeof(::ScanOption));
static_assert(sizeof(ours::WaitType) == sizeof(::WaitType));
static_assert(sizeof(ours::ScanStatus) == sizeof(::ScanStatus));

// ---- function signatures --------------------------------------------------

// Our type stands for theirs in a call.
template <typename Ours, typename Theirs>
struct Matches : std::is_same<Ours, Theirs> {};

template <typename Ours, typename Theirs>
requires((std::is_enum_v<Ours> || std::is_integral_v<Ours>)&&(
    std::is_enum_v<Theirs> ||
    std::is_integral_v<Theirs>)&&!std::is_same_v<Ours, Theirs>) struct Matches<Ours, Theirs>
    : std::bool_constant<sizeof(Ours) == sizeof(Theirs)> {
};

template <typename Ours, typename Theirs>
struct Matches<Ours*, Theirs*> : Matches<Ours, Theirs> {};

// The two structures passed by value or pointer, checked above.
template <>
struct Matches<ours::DaqDeviceDescriptor, ::DaqDeviceDescriptor> : std::true_type {};
template <>
struct Matches<ours::TransferStatus, ::TransferStatus> : std::true_type {};

template <typename Ours, typename Theirs>
struct SameSignature : std::false_type {};

template <typename OurResult, typename... OurArgs, typename TheirResult, typename... TheirArgs>
struct SameSignature<OurResult (*)(OurArgs...), TheirResult (*)(TheirArgs...)> {
    static constexpr bool value = [] {
        if constexpr (sizeof...(OurArgs) != sizeof...(TheirArgs))
            return false;
        else
            return Matches<OurResult, TheirResult>::value &&
                   (Matches<OurArgs, TheirArgs>::value && ...);
    }();
};

#define CORVANE_SAME_SIGNATURE(function) \
    static_assert(SameSignature<ours::function##_t, decltype(&::function)>::value, #function)

CORVANE_SAME_SIGNATURE(ulGetDaqDeviceInventory);
CORVANE_SAME_SIGNATURE(ulCreateDaqDevice);
CORVANE_SAME_SIGNATURE(ulConnectDaqDevice);
CORVANE_SAME_SIGNATURE(ulDisconnectDaqDevice);
CORVANE_SAME_SIGNATURE(ulReleaseDaqDevice);
CORVANE_SAME_SIGNATURE(ulIsDaqDeviceConnected);
CORVANE_SAME_SIGNATURE(ulGetErrMsg);
CORVANE_SAME_SIGNATURE(ulAIn);
CORVANE_SAME_SIGNATURE(ulAInScan);
CORVANE_SAME_SIGNATURE(ulAInScanWait);
CORVANE_SAME_SIGNATURE(ulAInScanStatus);
CORVANE_SAME_SIGNATURE(ulAInScanStop);

#undef CORVANE_SAME_SIGNATURE

// The checker itself tells a wrong parameter from a right one.
static_assert(!SameSignature<ours::ulAIn_t, decltype(&::ulAInScanStop)>::value);
static_assert(!Matches<double*, float*>::value && !Matches<long long, int>::value);

}  // namespace
