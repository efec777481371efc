#include "link/win32_port_errors.h"

namespace velo {

using namespace win32;

PortTrouble win32OpenTrouble(uint32_t code) {
    switch (code) {
        case kFileNotFound:
        case kPathNotFound:
        case kDeviceNotConnected:
            return PortTrouble::NoDevice;
        // Windows lets one program at a time open a port, so a refusal is nearly always
        // another program holding it.
        case kAccessDenied:
        case kSharingViolation:
            return PortTrouble::Busy;
        default:
            // Opened, or named, but it takes no line settings (a file, a printer port).
            return PortTrouble::NotSerial;
    }
}

QString win32OpenErrorText(uint32_t code) {
    switch (win32OpenTrouble(code)) {
        case PortTrouble::NoDevice:
            return "There is no such port on this computer (is the adapter plugged in?)";
        case PortTrouble::Busy:
            return "It is in use by another program (a terminal or another tuning program); "
                   "close that program, then try again";
        default:
            break;
    }
    if (code == kInvalidName || code == kInvalidFunction || code == kNotSupported ||
        code == kInvalidParameter || code == kInvalidHandle)
        return "It is not a serial port";
    return QString("Windows error %1").arg(code);
}

QString win32FailureText(uint32_t code) {
    switch (code) {
        // What a USB adapter's driver answers once the adapter has been pulled out (Wine:
        // once the other end of its pseudo-terminal has gone).
        case kAccessDenied:
        case kNotReady:
        case kBadCommand:
        case kGenFailure:
        case kInvalidHandle:
        case kOperationAborted:
        case kDeviceNotConnected:
        case kDeviceRemoved:
            return "the device is gone (was the adapter unplugged?)";
        default:
            return QString("Windows error %1").arg(code);
    }
}

}  // namespace velo
