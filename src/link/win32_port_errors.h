#pragma once

#include "link/serial_port.h"

#include <QString>
#include <cstdint>

namespace velo {

// The Windows error codes a COM port answers with (winerror.h's values, which the Windows
// side checks). Kept here, with what they mean, so that they are tested on any system.
namespace win32 {
inline constexpr uint32_t kInvalidFunction = 1;
inline constexpr uint32_t kFileNotFound = 2;
inline constexpr uint32_t kPathNotFound = 3;
inline constexpr uint32_t kAccessDenied = 5;
inline constexpr uint32_t kInvalidHandle = 6;
inline constexpr uint32_t kNotReady = 21;
inline constexpr uint32_t kBadCommand = 22;
inline constexpr uint32_t kGenFailure = 31;
inline constexpr uint32_t kSharingViolation = 32;
inline constexpr uint32_t kNotSupported = 50;
inline constexpr uint32_t kInvalidParameter = 87;
inline constexpr uint32_t kInvalidName = 123;
inline constexpr uint32_t kOperationAborted = 995;
inline constexpr uint32_t kDeviceNotConnected = 1167;
inline constexpr uint32_t kDeviceRemoved = 1617;
}  // namespace win32

// Why opening a COM port failed with `code`.
PortTrouble win32OpenTrouble(uint32_t code);
// The reason that ends "Cannot open Com5 (COM5): ...".
QString win32OpenErrorText(uint32_t code);
// The reason that ends "Com5 (COM5) stopped working: ..." for a port that failed while open.
QString win32FailureText(uint32_t code);

}  // namespace velo
