// The three runs over the image range: read, program, verify.
#include "core/error_report.h"
#include "core/numeric.h"
#include "link/controller_link.h"
#include "link/protocol.h"

#include <algorithm>

namespace velo {

void ControllerLink::setProgressFor(int address) {
    const int value = int(roundHalfEven(address * 100.0 / 263.0));
    ctx_.state.setProgress(std::clamp(value, 0, 100));
}

void ControllerLink::ReadEEPROMData() {
    readRun(ctx_.image.DataBuffer, "Reading EEPROM");
}

void ControllerLink::readRun(std::array<uint8_t, ConfigImage::kBufferSize>& into,
                             const QString& caption) {
    MainState& state = ctx_.state;
    const bool buffer = &into == &ctx_.image.DataBuffer;
    Trap trap(ctx_.ui, [&] {
        state.hideProgress();
        closePort();
    });
    state.showProgress(caption);
    timing_->letMessagesRun(false);
    if (buffer)
        ctx_.image.ClearEEPROMBuffer();
    else
        into.fill(0);
    SetEEPROMAddress(kFirstAddress);
    if (!LinkOK) {
        state.hideProgress();
        return;
    }
    LinkOK = false;
    for (int a = kFirstAddress; a <= kLastAddress; ++a) {
        into[a] = ReadEEPROM();
        setProgressFor(a);
        timing_->letMessagesRun(true);
        if (state.AbortRequested || !LinkOK) {
            state.hideProgress();
            state.AbortRequested = false;
            closePort();
            LinkOK = false;
            return;
        }
        if (!trap.step([&] { DelayTimer(5); })) return;
    }
    if (buffer) ctx_.image.BufferEmpty = false;
    state.hideProgress();
    LinkOK = true;
    closePort();
}

void ControllerLink::WriteEEPROMData() {
    MainState& state = ctx_.state;
    Trap trap(ctx_.ui, [&] {
        state.hideProgress();
        closePort();
    });
    lastWritten = kFirstAddress - 1;
    state.showProgress("Programming EEPROM");
    timing_->letMessagesRun(false);
    SetEEPROMAddress(kFirstAddress);
    if (!LinkOK) {
        state.hideProgress();
        closePort();
        return;
    }
    LinkOK = false;
    if (!trap.step([&] { openPort(); })) return;
    for (int a = kFirstAddress; a <= kLastAddress; ++a) {
        if (!trap.step([&] {
                port_->discardInput();
                port_->writeByte(protocol::kWriteByte);
                DelayTimer(2);
                port_->writeByte(ctx_.image.DataBuffer[a]);
            }))
            return;
        if (!waitForBytes(1, true)) {
            timeoutError(trap, "RS-232 timeout. Check cable and click Abort.");
            state.hideProgress();
            return;
        }
        if (port_->readByte() != protocol::kAck) {
            LinkOK = false;
            state.hideProgress();
            closePort();
            return;
        }
        lastWritten = a;
        if (!trap.step([&] { DelayTimer(2); })) return;
        setProgressFor(a);
    }
    state.hideProgress();
    VerifyEEPROM();
    LinkOK = true;
    closePort();
}

void ControllerLink::VerifyEEPROM() {
    MainState& state = ctx_.state;
    VerifyErrors = 0;
    firstMismatch = {};
    state.showProgress("Verifying EEPROM");
    timing_->letMessagesRun(false);
    SetEEPROMAddress(kFirstAddress);  // a failure shows up in the first read
    for (int a = kFirstAddress; a <= kLastAddress; ++a) {
        const uint8_t b = ReadEEPROM();
        if (ctx_.image.DataBuffer[a] != b) {
            ++VerifyErrors;
            // A failed read gives 0, not what the controller holds.
            if (LinkOK && firstMismatch.differences++ == 0) {
                firstMismatch.address = a;
                firstMismatch.expected = ctx_.image.DataBuffer[a];
                firstMismatch.read = b;
            }
        }
        setProgressFor(a);
        timing_->letMessagesRun(true);
        if (state.AbortRequested || !LinkOK) {
            ++VerifyErrors;
            firstMismatch.stoppedAt = a;
            firstMismatch.notRead = kLastAddress - a + (LinkOK ? 0 : 1);
            state.hideProgress();
            state.AbortRequested = false;
            closePort();
            return;
        }
    }
    state.hideProgress();
    closePort();
}

}  // namespace velo
