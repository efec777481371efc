#include "core/history_event.h"

#include <algorithm>
#include <iterator>

namespace velo {

namespace {

struct EventFacts {
    HistoryEvent event;
    const char* name;
    bool transfer = false;
    bool copy = false;
};

constexpr EventFacts kEvents[] = {
    {HistoryEvent::Download, "download", true},
    {HistoryEvent::Upload, "upload", true},
    {HistoryEvent::UploadFailed, "upload-failed", true},
    {HistoryEvent::ControllerBeforeUpload, "controller-before-upload", true},
    {HistoryEvent::Open, "open"},
    {HistoryEvent::Save, "save"},
    {HistoryEvent::FileReplaced, "file-replaced"},
    {HistoryEvent::BufferKept, "buffer-kept", false, true},
    {HistoryEvent::TableEdits, "table-edits", false, true},
    {HistoryEvent::BeforeClip, "before-clip", false, true},
    {HistoryEvent::CrashRecovery, "crash-recovery", false, true},
};

const EventFacts& factsOf(HistoryEvent event) {
    return *std::find_if(std::begin(kEvents), std::end(kEvents),
                         [event](const EventFacts& f) { return f.event == event; });
}

}  // namespace

QString eventName(HistoryEvent event) {
    return factsOf(event).name;
}

std::optional<HistoryEvent> eventNamed(const QString& name) {
    for (const EventFacts& f : kEvents)
        if (name == f.name) return f.event;
    return std::nullopt;
}

QVector<HistoryEvent> historyEvents() {
    QVector<HistoryEvent> out;
    for (const EventFacts& f : kEvents) out << f.event;
    return out;
}

bool isTransfer(HistoryEvent event) {
    return factsOf(event).transfer;
}

bool isSafetyCopy(HistoryEvent event) {
    return factsOf(event).copy;
}

}  // namespace velo
