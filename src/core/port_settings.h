#pragma once

#include <QSettings>
#include <QString>
#include <memory>

namespace velo {

inline constexpr const char* kAppTitle = "Velo_IGX_Main";
inline constexpr int kPortCount = 255;

// The per-user settings: "Properties/CommPort" (the port number as text) and, where
// ports have no COM names, "Ports/ComN" (the device that entry N reaches).
class PortSettings {
  public:
    explicit PortSettings(QSettings& settings) : s_(settings) {}

    // The stored text, "1" when nothing is stored.
    QString storedCommPort() const;
    // The port number from the stored text; a text that is not a whole 16-bit number
    // raises a run-time error saying so.
    static int parseCommPort(const QString& text);
    // A port number the list cannot select (outside 0 to 255; 0 selects nothing)
    // raises a run-time error saying so.
    static void checkListPosition(int port);
    void storeCommPort(int port);

    // The device that "ComN" reaches: COMN on Windows; elsewhere the stored device, else
    // /dev/ttyS<N-1>.
    QString deviceFor(int port) const;
    // Where each entry names its own device (Windows: ComN is COMN), the entry that reaches
    // DEVICE; 0 for any other name and where devices are stored per entry.
    static int entryNaming(const QString& device);
    static bool entriesNameDevices();
    bool hasStoredDevice(int port) const;
    void storeDevice(int port, const QString& device);

  private:
    QSettings& s_;
};

// The settings store of the program: an INI file in the user's configuration folder; on
// Windows the registry (platform_linux.cpp, platform_win.cpp).
std::unique_ptr<QSettings> openUserSettings();

}  // namespace velo
