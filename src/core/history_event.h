#pragma once

#include <QString>
#include <QVector>
#include <optional>

namespace velo {

// Why an image went into Tune History. The store and the command-line output carry each
// by its name, so a name never changes once written.
enum class HistoryEvent {
    Download,                // "download"
    Upload,                  // "upload": programmed and verified
    UploadFailed,            // "upload-failed": the controller may be half programmed
    ControllerBeforeUpload,  // "controller-before-upload"
    Open,                    // "open"
    Save,                    // "save"
    FileReplaced,            // "file-replaced": a file as it was before a save wrote over it
    BufferKept,              // "buffer-kept"
    TableEdits,              // "table-edits"
    BeforeClip,              // "before-clip"
    CrashRecovery,           // "crash-recovery"
};

QString eventName(HistoryEvent event);
// The event a stored name stands for; none for a name of another version.
std::optional<HistoryEvent> eventNamed(const QString& name);
QVector<HistoryEvent> historyEvents();
// What the controller held afterwards, as far as the store knows.
bool isTransfer(HistoryEvent event);
// A copy kept only when it differs from the newest entry; every other event says what
// happened and is always kept.
bool isSafetyCopy(HistoryEvent event);

}  // namespace velo
