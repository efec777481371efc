#include "data/file_commands.h"

#include "core/error_report.h"
#include "data/data_file.h"
#include "data/display_name.h"
#include "data/history_records.h"
#include "data/table_as_shown.h"

#include <QDir>
#include <QFileInfo>

namespace velo {

namespace {

constexpr const char* kOpenTitle = "Open Data File";
constexpr const char* kSaveTitle = "Save Data File";
constexpr int32_t kFileAccessError = 75;

// Any other error inside the dialogs goes to the report; Abort there ends the caller too.
template <typename Body>
QString withReport(UserInteraction& ui, int32_t abortNumber, const char* source,
                   const char* abortText, Body body) {
    for (;;) {
        try {
            return body();
        } catch (const RunError& e) {
            if (e.source == source) throw;  // the cancellation: the caller reports it
            switch (ErrorReport(ui, e)) {
                case Answer::Retry:
                    continue;
                case Answer::Ignore:
                    return {};
                default:
                    raise(abortNumber, source, abortText);
            }
        }
    }
}

void setDisplayName(MainState& state, const QString& name) {
    state.DisplayName = name;
    state.setTitleSuffix(name);
}

}  // namespace

QString FileOpen(UserInteraction& ui, const QString& FileTitle, QString& Filter,
                 const QString& NotExistMessage) {
    if (Filter.isEmpty()) Filter = kAllFilesFilter;
    return withReport(ui, kCommError, "File Open", "Aborted File Open", [&]() -> QString {
        for (;;) {
            const auto path = ui.openFileName(FileTitle, Filter);
            if (!path || path->isEmpty()) return {};
            if (QFileInfo::exists(*path)) return *path;
            QString text = QDir::toNativeSeparators(*path) + "\r\nFile not found.";
            if (!NotExistMessage.isEmpty()) text += "\r\n\r\n" + NotExistMessage;
            const Answer a =
                ui.message("File Open", text,
                           NotExistMessage.isEmpty() ? Buttons::RetryCancel : Buttons::YesNoCancel,
                           Icon::Exclamation);
            if (a == Answer::Yes) return *path;
            if (a == Answer::Cancel) raise(kCommError, "File Open", "Canceled File Open");
        }
    });
}

QString FileSave(UserInteraction& ui, const QString& FileTitle, QString& Filter,
                 QString& ExistMessage) {
    if (Filter.isEmpty()) Filter = kAllFilesFilter;
    if (ExistMessage.isEmpty()) ExistMessage = "Replace existing file?";
    return withReport(ui, kFileSaveError, "File Save", "Aborted File Save", [&]() -> QString {
        for (;;) {
            const auto path = ui.saveFileName(FileTitle, Filter);
            if (!path || path->isEmpty()) return {};
            if (!QFileInfo::exists(*path)) return *path;
            const QString text = QDir::toNativeSeparators(*path) +
                                 "\r\nThis file already exists.\r\n\r\n" + ExistMessage;
            const Answer a = ui.message("File Save", text, Buttons::YesNoCancel, Icon::Exclamation);
            if (a == Answer::Yes) return *path;
            if (a == Answer::Cancel) raise(kFileSaveError, "File Save", "Canceled File Save");
        }
    });
}

bool readImageFile(UserInteraction& ui, const QString& path, ConfigImage& image,
                   const QString& title) {
    const DataFileRead file = readDataFile(path);
    if (file.status == DataFileRead::Unreadable)
        raise(kFileAccessError, "Velo_IGX_Main", file.error);
    if (file.status == DataFileRead::Short) {
        ui.detail(QString("%1 holds %2 bytes; a data file has %3.")
                      .arg(QDir::toNativeSeparators(path))
                      .arg(file.size)
                      .arg(ConfigImage::kImageBytes));
        ui.message(title, "Error - reached premature end-of-file", Buttons::Ok, Icon::Exclamation);
        return false;
    }
    image.loadImageBytes(file.bytes);
    return true;
}

LoadResult loadDataFile(AppContext& ctx, const QString& path) {
    ConfigImage& image = ctx.image;
    if (!readImageFile(ctx.ui, path, image, kOpenTitle)) {
        image.ClearEEPROMBuffer();
        return LoadResult::Short;
    }
    const bool entry = historyEntryId(path).has_value();  // a Tune History entry is no file
    history::keep(ctx, HistoryEvent::Open, history::rawBytes(image),
                  entry ? path : QFileInfo(path).absoluteFilePath());
    if (image.Table3DEnabled) ctx.window->chartSetup3D();
    ctx.state.setTableMenus(image.Table2DEnabled || image.Table3DEnabled);
    setDisplayName(ctx.state, DisplayNameOf(path));
    emit ctx.state.bufferWritten();
    if (!entry) ctx.window->fileUsed(path);
    return LoadResult::Loaded;
}

bool saveDataFile(AppContext& ctx, const QString& path, Trap& trap) {
    ctx.image.UpdateEEPROM(&trap);
    if (trap.aborted()) return false;
    history::keepFileBeforeReplace(ctx.history, path, history::rawBytes(ctx.image));
    const QString why = writeDataFile(path, ctx.image.imageBytes());
    if (!why.isEmpty())
        raise(kFileAccessError, "Velo_IGX_Main",
              QString("%1: %2").arg(QDir::toNativeSeparators(path), why));
    history::keep(ctx, HistoryEvent::Save, history::rawBytes(ctx.image),
                  QFileInfo(path).absoluteFilePath());
    setDisplayName(ctx.state, DisplayNameOf(path));
    emit ctx.state.bufferWritten();
    ctx.window->fileUsed(path);
    return true;
}

void mnuOpenFile_Click(AppContext& ctx, const QString& given) {
    UserInteraction& ui = ctx.ui;
    ConfigImage& image = ctx.image;
    MainState& state = ctx.state;
    if (!image.BufferEmpty && ui.message(kOpenTitle, "Data buffer not empty. OK to overwrite?",
                                         Buttons::OkCancel, Icon::None) == Answer::Cancel)
        return;
    letMessagesRun();
    history::keepBufferBeforeDrop(ctx, "before Open File");
    state.FirmwareID.clear();
    state.UnitModel.clear();
    image.ClearEEPROMBuffer();
    state.setOpenTable(MainState::OpenTable::None);
    setDisplayName(state, kDisplayNameEmpty);

    Trap trap(ui);
    QString path = given;
    QString filter = kDataFileFilter;
    if (path.isEmpty() && !trap.step([&] { path = FileOpen(ui, "Open File", filter); })) return;
    if (path.isEmpty()) return;
    LoadResult result = LoadResult::Short;
    if (!trap.step([&] { result = loadDataFile(ctx, path); }) || result != LoadResult::Loaded)
        return;
    ui.message(kOpenTitle,
               "Loaded " + state.DisplayName + " to buffer. Ready for editing or upload.",
               Buttons::Ok, Icon::None);
    ctx.window->editModParams();
}

void mnuSaveFile_Click(AppContext& ctx) {
    UserInteraction& ui = ctx.ui;
    if (ctx.state.tableOpen()) {
        ui.message(kSaveTitle,
                   "You must close or save any open table before saving data to a file.",
                   Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (ctx.image.BufferEmpty) {
        ui.message(kSaveTitle, "Data buffer empty.", Buttons::Ok, Icon::Exclamation);
        return;
    }
    Trap trap(ui);
    QString path;
    QString filter = kDataFileFilter;
    QString existMessage;
    if (!trap.step([&] { path = FileSave(ui, "Save File", filter, existMessage); }) ||
        path.isEmpty())
        return;
    offerTableAsShown(ctx);
    trap.step([&] { saveDataFile(ctx, path, trap); });
}

}  // namespace velo
