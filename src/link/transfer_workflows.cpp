// Download and upload: the two commands of the Communications menu.
#include "core/error_report.h"
#include "core/tune_history.h"
#include "data/history_records.h"
#include "link/controller_link.h"
#include "link/protocol.h"

namespace velo {

namespace {

constexpr const char* kDownloadTitle = "Download From EEPROM";
constexpr const char* kUploadTitle = "Upload To EEPROM";

QString hex(uint8_t b) {
    return "0x" + QString("%1").arg(b, 2, 16, QChar('0')).toUpper();
}

}  // namespace

// Resync, engine stopped, an IGX-1 that identifies itself. Each failure has told the
// user already when this returns false.
bool ControllerLink::connectAndCheck(bool upload, const QString& ownTitle, bool quiet) {
    UserInteraction& ui = ctx_.ui;
    MainState& state = ctx_.state;
    const QString title = !ownTitle.isEmpty() ? ownTitle : upload ? kUploadTitle : kDownloadTitle;
    const QString verb = upload ? "upload" : "download";
    auto tell = [&](const QString& text, Icon icon = Icon::Exclamation) {
        if (!quiet) ui.message(title, text, Buttons::Ok, icon);
    };

    for (int attempt = 0; attempt < 5; ++attempt) {
        ReSync();
        if (LinkOK) break;
    }
    if (!LinkOK) {
        tell("Cannot establish RS-232 link. Check cable and IGX-1 power.");
        closePort();
        return false;
    }
    const int status = ReadStatus();
    if (!LinkOK) return false;  // the time-out has been reported
    if (status != protocol::kStatusEngineStopped) {
        tell(QString("Cannot %1 while engine is running.").arg(verb));
        closePort();
        return false;
    }
    ReadFirmwareID();
    if (!LinkOK) {
        tell(QString("Firmware ID read failed - cannot %1.").arg(verb));
        return false;
    }
    if (state.FirmwareID.isEmpty()) {
        tell(QString("Invalid firmware ID - cannot %1.").arg(verb));
        return false;
    }
    tell("Firmware ID: " + state.FirmwareID);
    if (state.UnitModel != "IGX-1") {
        if (upload) {
            tell("Not a IGX-1 unit. Cannot upload data.", Icon::None);
            state.UnitModel = "IGX-1";
        } else {
            tell("Not a supported IGX-1 unit. Cannot download and edit data.", Icon::None);
            if (ownTitle.isEmpty()) ctx_.image.ClearEEPROMBuffer();
        }
        return false;
    }
    return true;
}

TransferOutcome ControllerLink::download() {
    UserInteraction& ui = ctx_.ui;
    MainState& state = ctx_.state;
    ConfigImage& image = ctx_.image;
    if (!image.BufferEmpty && ui.message(kDownloadTitle, "Data buffer not empty. OK to overwrite?",
                                         Buttons::OkCancel, Icon::None) == Answer::Cancel)
        return TransferOutcome::Cancelled;

    history::keepBufferBeforeDrop(ctx_, "before Download");
    // An open table goes without a question, its edits with it.
    state.setOpenTable(MainState::OpenTable::None);
    timing_->letMessagesRun(true);
    image.ClearEEPROMBuffer();
    state.setTitleSuffix("Data Buffer Empty");

    if (!connectAndCheck(false)) return TransferOutcome::Failed;
    ReadEEPROMData();
    if (!LinkOK) {
        ui.message(kDownloadTitle, "Download failed.", Buttons::Ok, Icon::Exclamation);
        image.ClearEEPROMBuffer();
        return TransferOutcome::Failed;
    }
    image.UpdateParams();
    keepTransfer(HistoryEvent::Download, history::rawBytes(image));
    ctx_.warn({});
    if (image.Table3DEnabled) ctx_.window->chartSetup3D();
    state.setTableMenus(image.Table2DEnabled || image.Table3DEnabled);
    state.setTitleSuffix("Downloaded Data");
    emit state.bufferWritten();
    ui.message(kDownloadTitle, "Downloaded data to buffer. Ready for editing.", Buttons::Ok,
               Icon::None);
    ctx_.window->editModParams();
    return TransferOutcome::Completed;
}

TransferOutcome ControllerLink::upload() {
    UserInteraction& ui = ctx_.ui;
    auto tell = [&](const QString& text, Icon icon = Icon::Exclamation) {
        ui.message(kUploadTitle, text, Buttons::Ok, icon);
    };
    if (ctx_.state.tableOpen()) {
        tell("You must close or save any open table before uploading.");
        return TransferOutcome::Failed;
    }
    if (ctx_.image.BufferEmpty) {
        tell("No data available for uploading.");
        return TransferOutcome::Failed;
    }
    if (!keepControllerTune()) return TransferOutcome::Failed;
    if (!connectAndCheck(true)) return TransferOutcome::Failed;

    Trap trap(ui, [this] { closePort(); });
    ctx_.image.UpdateEEPROM(&trap);
    if (trap.aborted()) return TransferOutcome::Failed;

    WriteEEPROMData();
    // The bytes programmed, kept whatever the end; a failure says where it stopped.
    const QByteArray programmed = history::rawBytes(ctx_.image);
    auto keepFailed = [&](const QString& where) {
        keepTransfer(HistoryEvent::UploadFailed, programmed, where);
        ctx_.warn(history::kPartlyProgrammed);
    };
    if (!LinkOK) {
        keepFailed(QString("programming stopped after EEPROM address %1").arg(lastWritten));
        tell("Upload aborted - EEPROM programming failed.", Icon::Information);
        return TransferOutcome::Failed;
    }
    if (VerifyErrors != 0) {
        const VerifyMismatch& m = firstMismatch;
        QStringList found, told;
        if (m.address >= 0) {
            found << QString("found EEPROM address %1 different").arg(m.address);
            told << QString(
                        "First difference at EEPROM address %1: expected %2, read %3 "
                        "(%4 bytes differ).")
                        .arg(m.address)
                        .arg(hex(m.expected), hex(m.read))
                        .arg(m.differences);
        }
        if (m.stoppedAt >= 0) {
            const QString stopped = QString("stopped at EEPROM address %1: %2 bytes not read")
                                        .arg(m.stoppedAt)
                                        .arg(m.notRead);
            found << stopped;
            told << "Verification " + stopped + ".";
        }
        if (!told.isEmpty()) ui.detail(told.join(' '));
        keepFailed("verification " + found.join("; "));
        tell("Upload aborted - EEPROM verification failed.", Icon::Information);
        return TransferOutcome::Failed;
    }
    ResetController();
    if (!LinkOK) {
        keepFailed("programmed and verified; the reset failed");
        tell("Upload aborted - Reset IGX-1 failed");
        return TransferOutcome::Failed;
    }
    keepTransfer(HistoryEvent::Upload, programmed, "verified");
    ctx_.warn({});
    emit ctx_.state.bufferWritten();
    tell("Upload completed.");
    return TransferOutcome::Completed;
}

qint64 ControllerLink::keepTransfer(HistoryEvent event, const QByteArray& bytes,
                                    const QString& note) {
    const QString device = port_->deviceName();
    const qint64 id = history::keep(ctx_, event, bytes, device, note);
    lastTransferId_ = event == HistoryEvent::UploadFailed ? 0 : id;
    lastTransferDevice_ = device;
    return id;
}

bool ControllerLink::readSide(std::array<uint8_t, ConfigImage::kBufferSize>& into,
                              const QString& title, bool quiet, const QString& caption) {
    if (!connectAndCheck(false, title, quiet)) return false;
    readRun(into, caption);
    if (LinkOK) return true;
    if (!quiet) ctx_.ui.message(title, "Download failed.", Buttons::Ok, Icon::Exclamation);
    return false;
}

std::optional<std::array<uint8_t, ConfigImage::kImageBytes>> ControllerLink::readController(
    const QString& title) {
    std::array<uint8_t, ConfigImage::kBufferSize> side{};
    if (!readSide(side, title, false, "Reading EEPROM")) return std::nullopt;
    std::array<uint8_t, ConfigImage::kImageBytes> out;
    std::copy(side.begin() + kFirstAddress, side.end(), out.begin());
    return out;
}

bool ControllerLink::keepControllerTune() {
    TuneHistory* store = ctx_.history;
    if (!readBeforeUpload || !store || !store->usable()) return true;
    // Downloaded, uploaded or read by this link, and nobody has written one since: the
    // controller still holds it. Another window, a command-line run or a port change
    // makes it unknown again.
    if (lastTransferId_ != 0 && lastTransferDevice_ == port_->deviceName())
        if (const auto newest = store->newestTransfer(); newest && newest->id == lastTransferId_)
            return true;
    std::array<uint8_t, ConfigImage::kBufferSize> side{};
    // The upload's own checks follow at once and tell what is wrong; this run only asks.
    if (readSide(side, kUploadTitle, true, "Reading the controller's tune")) {
        const QByteArray bytes(reinterpret_cast<const char*>(side.data()) + kFirstAddress,
                               ConfigImage::kImageBytes);
        keepTransfer(HistoryEvent::ControllerBeforeUpload, bytes, "before Upload");
        return true;
    }
    return ctx_.ui.message(kUploadTitle, "The controller's tune could not be read; upload anyway?",
                           Buttons::YesNoDefaultNo, Icon::Question) == Answer::Yes;
}

}  // namespace velo
