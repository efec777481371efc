#pragma once

#include "core/app_context.h"
#include "core/history_event.h"
#include "data/config_image.h"
#include "link/link_timing.h"
#include "link/serial_port.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace velo {

class Trap;

// How a download or upload ended, for callers that need more than the messages
// (the command-line tool's exit status).
enum class TransferOutcome { Completed, Cancelled, Failed };

// What a verification found, for the details of its message: the first byte read back
// different, and where a cut-off run stopped. A byte whose read failed was never read, so
// it is no difference.
struct VerifyMismatch {
    int address = -1;  // -1: none
    uint8_t expected = 0;
    uint8_t read = 0;
    int differences = 0;  // bytes read back different
    int stoppedAt = -1;   // the run was cut short at this address
    int notRead = 0;      // bytes it never read
};

// The controller link of the main window: the port, its timing, the command set, the
// EEPROM runs and the download and upload workflows.
class ControllerLink {
  public:
    ControllerLink(AppContext& ctx, std::unique_ptr<SerialPort> port,
                   std::unique_ptr<LinkTiming> timing = std::make_unique<SystemTiming>());

    SerialPort& port() { return *port_; }
    LinkTiming& timing() { return *timing_; }
    // cboPort_Click and the exit and resize paths: a new number, or just closed.
    void setCommPort(int port);
    void closePort();

    // Status of the last link operation.
    bool LinkOK = false;
    // Bytes whose read-back differed in the last verification, plus one when it was cut
    // short; 0 means the EEPROM holds the buffer.
    int VerifyErrors = 0;
    VerifyMismatch firstMismatch;
    // The last EEPROM address the controller acknowledged in the last programming run.
    int lastWritten = -1;

    // Waits `delay` milliseconds on the monotonic clock while window messages run.
    void DelayTimer(int32_t delay);
    void ReSync();
    int ReadStatus();
    void ReadFirmwareID();
    void SetEEPROMAddress(int32_t address);
    uint8_t ReadEEPROM();
    void ReadEEPROMData();
    void WriteEEPROMData();
    void VerifyEEPROM();
    void ResetController();
    // Line errors reported by the port.
    void MSComm1_OnComm(int code);

    void mnuDownload_Click() { download(); }
    void mnuUpload_Click() { upload(); }
    TransferOutcome download();
    TransferOutcome upload();
    // The controller's EEPROM read as a download reads it, with its checks and messages
    // under `title`, into a side image: the buffer, title and menus stay as they are.
    // Empty when the read failed (the user has been told why).
    std::optional<std::array<uint8_t, ConfigImage::kImageBytes>> readController(
        const QString& title);
    // Before an upload programs the controller, its own tune is read and kept in Tune
    // History, unless this link's own last transfer still says what it holds.
    bool readBeforeUpload = true;

    // Where the once-a-run word about a slow USB adapter goes; the status line when empty.
    std::function<void(const QString&)> slowAdapter;

    static constexpr double kAnswerTimeout = 1.0;  // seconds
    static constexpr int kFirstAddress = 16;
    static constexpr int kLastAddress = 279;

  private:
    void openPort();
    // Waits until at least `count` bytes are waiting or the answer time-out has passed;
    // true when they are there.
    bool waitForBytes(int count, bool yield);
    // Closes the port and reports a time-out through the command's trap; whatever the
    // answer, the command then ends without success.
    void timeoutError(Trap& trap, const char* text);
    // ReadStatus and ReadEEPROM: one command byte, one answer byte, then 2 ms. 0 when no
    // answer came.
    uint8_t askOneByte(uint8_t command);
    void setProgressFor(int address);
    // `title` and `quiet` for the side reads: their own title, or no messages of their own.
    bool connectAndCheck(bool upload, const QString& title = {}, bool quiet = false);
    // ReadEEPROMData's loop, into `into` (the buffer or a side image).
    void readRun(std::array<uint8_t, ConfigImage::kBufferSize>& into, const QString& caption);
    bool readSide(std::array<uint8_t, ConfigImage::kBufferSize>& into, const QString& title,
                  bool quiet, const QString& caption);
    // The read before an upload; false when the upload must not go on.
    bool keepControllerTune();
    qint64 keepTransfer(HistoryEvent event, const QByteArray& bytes, const QString& note = {});

    AppContext& ctx_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<LinkTiming> timing_;
    bool commReportShowing_ = false;
    // The transfer entry this link wrote last and the device it went through: while it is
    // still the newest one, it holds what the controller holds.
    qint64 lastTransferId_ = 0;
    QString lastTransferDevice_;
    bool slowAdapterSaid_ = false;
};

// A port on the machine's serial devices; `deviceFor` names the device of port N.
std::unique_ptr<SerialPort> makeSystemPort(std::function<QString(int)> deviceFor);

}  // namespace velo
