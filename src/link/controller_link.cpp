#include "link/controller_link.h"

#include "core/error_report.h"
#include "core/run_error.h"
#include "link/adapter_platform.h"
#include "link/protocol.h"

#include <QHash>

namespace velo {

namespace {

constexpr const char* kRs232Timeout = "RS-232 timeout. Check cable and click Abort.";
constexpr const char* kComPortTimeout = "COM port timeout. Check cable and click Abort.";

}  // namespace

ControllerLink::ControllerLink(AppContext& ctx, std::unique_ptr<SerialPort> port,
                               std::unique_ptr<LinkTiming> timing)
    : ctx_(ctx), port_(std::move(port)), timing_(std::move(timing)) {
    port_->onComm = [this](int code) { MSComm1_OnComm(code); };
}

void ControllerLink::setCommPort(int port) {
    closePort();
    lastTransferId_ = 0;
    port_->setPortNumber(port);
}

void ControllerLink::closePort() {
    if (port_->isOpen()) port_->close();
}

void ControllerLink::openPort() {
    if (port_->isOpen()) return;
    port_->setPortNumber(ctx_.state.CommPort);
    port_->open();
    const std::optional<int> latency = port_->adapterLatencyMs();
    if (slowAdapterSaid_ || !latency || *latency <= kSlowAdapterMs) return;
    const QString text = slowAdapterWarning(port_->deviceName(), *latency, systemAdapterPlatform());
    // Said once; a probe's link hears it alone, and goes with its probe.
    if (slowAdapter)
        slowAdapter(text);
    else
        ctx_.tell(text);
    slowAdapterSaid_ = true;
}

void ControllerLink::DelayTimer(int32_t delay) {
    int32_t micros = 0;
    if (__builtin_mul_overflow(delay, int32_t(1000), &micros))
        raise(kOverflowError, "Velo_IGX_Main", "Overflow");
    timing_->pause(micros);
}

bool ControllerLink::waitForBytes(int count, bool yield) {
    const double deadline = timing_->seconds() + kAnswerTimeout;
    for (;;) {
        const double now = timing_->seconds();
        if (port_->bytesWaiting() >= count || now > deadline) break;
        // A closed port (a line-error Cancel, a vanished device) brings nothing more.
        if (!port_->isOpen()) break;
        if (yield)
            timing_->letMessagesRun(true);
        else
            port_->pump(int((deadline - now) * 1e6) + 1);
    }
    // Looked at again: a byte that comes after the deadline does not count.
    return port_->bytesWaiting() >= count;
}

void ControllerLink::timeoutError(Trap& trap, const char* text) {
    const QString why = port_->failure();
    closePort();
    trap.step([&] {
        if (!why.isEmpty()) ctx_.ui.detail(why);
        raise(kCommError, "Comm Error", text);
    });
}

void ControllerLink::ReSync() {
    Trap trap(ctx_.ui, [this] { closePort(); });
    LinkOK = false;
    if (!trap.step([&] {
            openPort();
            port_->discardInput();
            port_->writeByte(protocol::kResync);
        }))
        return;
    if (!waitForBytes(1, false)) return;  // no message; the port stays open
    uint8_t answer = 0;
    if (!trap.step([&] {
            answer = port_->readByte();
            DelayTimer(2);
        }))
        return;
    LinkOK = answer == protocol::kAck;
}

uint8_t ControllerLink::askOneByte(uint8_t command) {
    Trap trap(ctx_.ui, [this] { closePort(); });
    LinkOK = false;
    if (!trap.step([&] {
            openPort();
            port_->discardInput();
            port_->writeByte(command);
        }))
        return 0;
    if (!waitForBytes(1, false)) {
        timeoutError(trap, kRs232Timeout);
        return 0;
    }
    uint8_t answer = 0;
    if (!trap.step([&] {
            answer = port_->readByte();
            DelayTimer(2);
        }))
        return 0;
    LinkOK = true;
    return answer;
}

int ControllerLink::ReadStatus() {
    return askOneByte(protocol::kReadStatus);
}

void ControllerLink::ReadFirmwareID() {
    Trap trap(ctx_.ui, [this] { closePort(); });
    LinkOK = false;
    ctx_.state.FirmwareID.clear();
    if (!trap.step([&] {
            openPort();
            port_->discardInput();
            port_->writeByte(protocol::kReadFirmwareId);
        }))
        return;
    const double deadline = timing_->seconds() + kAnswerTimeout;
    QByteArray reply;
    bool complete = false;
    while (timing_->seconds() <= deadline && port_->isOpen()) {
        if (port_->bytesWaiting() > 0) {
            const uint8_t b = port_->readByte();
            if (b == protocol::kEndOfId) {
                complete = true;
                break;
            }
            reply.append(char(b));
        }
        timing_->letMessagesRun(true);
    }
    if (!complete) {
        timeoutError(trap, kRs232Timeout);
        return;
    }
    ctx_.state.FirmwareID = QString::fromLatin1(reply);
    ctx_.state.UnitModel =
        ctx_.state.FirmwareID.contains("IGX-1", Qt::CaseInsensitive) ? "IGX-1" : "Unknown";
    closePort();
    if (!trap.step([&] { DelayTimer(2); })) return;
    LinkOK = true;
}

void ControllerLink::SetEEPROMAddress(int32_t address) {
    Trap trap(ctx_.ui, [this] { closePort(); });
    LinkOK = false;
    if (!trap.step([&] {
            openPort();
            port_->discardInput();
        }))
        return;
    if (!trap.step([&] {
            port_->writeByte(protocol::kSetAddress);
            DelayTimer(2);
            port_->writeByte(uint8_t(address & 0xFF));
            DelayTimer(2);
            port_->writeByte(uint8_t((address & 0xFF00) / 256));
        }))
        return;
    if (!waitForBytes(1, false)) {
        timeoutError(trap, kRs232Timeout);
        return;
    }
    trap.step([&] {
        if (port_->readByte() != protocol::kAck) return;  // no message, no pause
        LinkOK = true;
        DelayTimer(2);
    });
}

uint8_t ControllerLink::ReadEEPROM() {
    return askOneByte(protocol::kReadByte);
}

void ControllerLink::ResetController() {
    Trap trap(ctx_.ui, [this] { closePort(); });
    LinkOK = false;
    if (!trap.step([&] {
            openPort();
            port_->discardInput();
        }))
        return;
    if (!trap.step([&] {
            port_->writeByte(protocol::kReset);
            DelayTimer(2);
            for (size_t i = 0; i < protocol::kResetKey.size(); ++i) {
                port_->writeByte(protocol::kResetKey[i]);
                if (i + 1 < protocol::kResetKey.size()) DelayTimer(2);
            }
        }))
        return;
    // The controller sends one byte, so this wait runs its full second.
    waitForBytes(2, false);
    if (port_->bytesWaiting() == 0) {
        timeoutError(trap, kComPortTimeout);
        return;
    }
    trap.step([&] {
        LinkOK = port_->readByte() == protocol::kAck;
        DelayTimer(2);
    });
    closePort();
}

void ControllerLink::MSComm1_OnComm(int code) {
    static const QHash<int, QString> kDescriptions = {
        {kCommFraming, "Framing error."},
        {kCommOverrun, "Port hardware overrun."},
        {kCommRxOverflow, "Receive buffer overflow."},
        {kCommParity, "Parity error."},
        {kCommTxFull, "Transmit buffer full."},
        {kCommDcb, "Device control block error."},
    };
    const auto it = kDescriptions.find(code);
    if (it == kDescriptions.end()) return;
    ++ctx_.state.CommErrorCount;
    if (ctx_.state.CommErrorCount > 2) closePort();
    // Errors that come in while the box is up are counted, not stacked as more boxes.
    if (commReportShowing_) return;
    commReportShowing_ = true;
    const Answer answer =
        ctx_.ui.message("Communications Error", *it, Buttons::RetryCancel, Icon::Critical);
    commReportShowing_ = false;
    if (answer == Answer::Retry) {
        if (port_->isOpen()) port_->discardInput();
    } else {
        closePort();
    }
}

}  // namespace velo
