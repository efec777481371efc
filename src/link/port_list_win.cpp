// The machine's serial ports where Windows keeps them: each driver enters its ports
// under SERIALCOMM as "\Device\VCP0" = "COM3".
#include "link/adapter_platform.h"
#include "link/port_finder.h"

#include <algorithm>

#include <windows.h>

namespace velo {

QVector<SerialPortEntry> machinePorts() {
    QVector<SerialPortEntry> out;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &key) != ERROR_SUCCESS)
        return out;  // no serial ports at all
    const AdapterPlatform& platform = systemAdapterPlatform();
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        wchar_t value[64] = {};
        DWORD valueBytes = sizeof value - sizeof(wchar_t);  // room for the ending NUL
        DWORD type = 0;
        const LONG r = ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                                       reinterpret_cast<BYTE*>(value), &valueBytes);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;
        const QString device = QString::fromWCharArray(value);  // COM3, as the Com entries name it
        // The kernel's name says which driver made the port (VCP: FTDI, Silabser: CP210x).
        SerialPortEntry port;
        port.device = device;
        port.description = QString::fromWCharArray(name, int(nameLength));
        port.driver = platform.driverName(device);
        port.latencyMs = platform.latencyTimerMs(device);
        out.append(port);
    }
    ::RegCloseKey(key);
    // The registry keeps them as the drivers came; the list reads COM2 before COM10.
    std::sort(out.begin(), out.end(), [](const SerialPortEntry& a, const SerialPortEntry& b) {
        return a.device.mid(3).toInt() < b.device.mid(3).toInt();
    });
    return out;
}

}  // namespace velo
