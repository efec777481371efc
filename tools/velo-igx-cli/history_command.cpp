// velo-igx-cli history: Tune History from a terminal.
#include "cli.h"
#include "core/tune_history.h"
#include "data/data_file.h"
#include "data/history_records.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace velo::cli {

TuneHistory* cliHistory() {
    static TuneHistory* store = nullptr;
    if (!store) {
        store = new TuneHistory();
        // Closed while the application still runs: Qt's SQL drivers go with it.
        qAddPostRoutine([] {
            delete store;
            store = nullptr;
        });
    }
    return store;
}

namespace {

QString oneLine(QString text) {
    return text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n");
}

int list(TuneHistory& store, bool json) {
    QJsonArray out;
    // Page by page: a long history is never held whole.
    for (qint64 before = 0;;) {
        const QVector<HistoryEntry> page = store.entries({}, before, 500);
        if (!store.error().isEmpty()) {
            std::fprintf(stderr, "velo-igx-cli: %s\n", qPrintable(store.error()));
            return kFileError;
        }
        for (const HistoryEntry& e : page) {
            const QString time = e.time.toString(Qt::ISODate);
            if (json)
                out.append(QJsonObject{{"id", e.id},
                                       {"time", time},
                                       {"event", e.event},
                                       {"source", e.source},
                                       {"firmware", e.firmware},
                                       {"note", e.note},
                                       {"hash", e.hash}});
            else  // one line per entry, whatever the note holds
                std::printf("%6lld  %s  %-13s  %s  %s  %s\n", e.id, qPrintable(time),
                            qPrintable(e.event), qPrintable(e.source), qPrintable(e.firmware),
                            qPrintable(oneLine(e.note)));
        }
        if (page.isEmpty()) break;
        before = page.last().id;
    }
    if (json) std::printf("%s", QJsonDocument(out).toJson(QJsonDocument::Indented).constData());
    return kOk;
}

}  // namespace

int runHistory(const QStringList& args) {
    TuneHistory& store = *cliHistory();
    if (!store.usable()) return kFileError;
    if (args.isEmpty() || args == QStringList{"--json"}) return list(store, !args.isEmpty());
    bool isId = false;
    const qint64 id = args.value(1).toLongLong(&isId);
    if (args.size() != 3 || !isId || (args[0] != "export" && args[0] != "note"))
        return usage("history: give --json, export ID OUT.dat or note ID TEXT");
    if (args[0] == "note") {
        if (store.setNote(id, args[2])) return kOk;
        std::fprintf(stderr, "velo-igx-cli: no entry %lld in Tune History\n", id);
        return kFailed;
    }
    const auto entry = store.entry(id);
    if (!entry) {
        if (!store.error().isEmpty())
            std::fprintf(stderr, "velo-igx-cli: %s\n", qPrintable(store.error()));
        else
            std::fprintf(stderr, "velo-igx-cli: no entry %lld in Tune History\n", id);
        return store.error().isEmpty() ? kFailed : kFileError;
    }
    if (entry->bytes.size() != qsizetype(sizeof(ImageBytes))) {
        std::fprintf(stderr, "velo-igx-cli: entry %lld is not a whole image\n", id);
        return kFailed;
    }
    ImageBytes bytes;
    std::copy(entry->bytes.begin(), entry->bytes.end(), bytes.begin());
    history::keepFileBeforeReplace(&store, args[2], entry->bytes);
    if (const QString why = writeDataFile(args[2], bytes); !why.isEmpty()) {
        std::fprintf(stderr, "velo-igx-cli: cannot write %s: %s\n", qPrintable(args[2]),
                     qPrintable(why));
        return kFileError;
    }
    return kOk;
}

}  // namespace velo::cli
