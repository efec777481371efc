// Tune History benchmark: what keeping an entry adds to a workflow, how long the window
// takes to open on a long history, and the store's size per entry.
#include "../bench_stats.h"
#include "core/error_report.h"
#include "core/scripted_interaction.h"
#include "core/tune_history.h"
#include "data/data_file.h"
#include "data/file_commands.h"
#include "table/ui/tune_history_window.h"

#include <QApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QVariant>
#include <cstdio>

using namespace velo;

namespace {

ImageBytes randomBytes(QRandomGenerator& r) {
    ImageBytes b;
    for (auto& v : b) v = uint8_t(r.bounded(256));
    return b;
}

// Save File's own work without and with a store, turn about so that the disk's moods
// fall on both alike; a new image each time, so that every save keeps an entry.
std::pair<Stats, Stats> timeSaves(const QString& folder, TuneHistory& store) {
    ConfigImage image;
    MainState state;
    ScriptedInteraction ui;
    AppContext ctx(image, state, ui);
    QRandomGenerator r(7);
    auto save = [&](int i, TuneHistory* history) {
        ctx.history = history;
        image.setImageBytes(randomBytes(r));
        image.BufferEmpty = false;
        image.UpdateParams();
        Trap trap(ui);
        saveDataFile(ctx, QString("%1/t%2.dat").arg(folder).arg(i & 7), trap);
    };
    std::vector<double> plain, kept;
    for (int i = -20; i < 300; ++i)
        for (TuneHistory* h : {static_cast<TuneHistory*>(nullptr), &store}) {
            const auto t0 = std::chrono::steady_clock::now();
            save(i, h);
            const std::chrono::duration<double, std::milli> d =
                std::chrono::steady_clock::now() - t0;
            if (i >= 0) (h ? kept : plain).push_back(d.count());
        }
    return {statsOf(plain), statsOf(kept)};
}

// The entry alone, as a workflow keeps it.
Stats timeRecord(TuneHistory& store) {
    QRandomGenerator r(9);
    return timeEach(1000, [&](int) {
        const ImageBytes b = randomBytes(r);
        store.record(HistoryEvent::Save,
                     QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size())),
                     "/home/tuner/tune.dat");
    });
}

// Entries written straight in one transaction: the store as years of use leave it.
void fill(const QString& path, int count) {
    { TuneHistory create(path); }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec("BEGIN");
        q.prepare(
            "INSERT INTO entries(time, event, source, firmware, bytes, hash, note) "
            "VALUES(?, 'download', '/dev/ttyUSB0', 'IGX-1 V2.1', ?, ?, '')");
        QRandomGenerator r(11);
        for (int i = 0; i < count; ++i) {
            const ImageBytes b = randomBytes(r);
            const QByteArray bytes(reinterpret_cast<const char*>(b.data()), int(b.size()));
            q.bindValue(0, QDateTime::currentDateTimeUtc().addSecs(i).toString(Qt::ISODateWithMs));
            q.bindValue(1, bytes);
            q.bindValue(2, TuneHistory::hashOf(bytes));
            q.exec();
        }
        q.exec("COMMIT");
        q.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    QSqlDatabase::removeDatabase("fill");
}

// From the command to a window on screen with its first rows.
Stats timeWindow(const QString& path) {
    TuneHistory store(path);
    ConfigImage image;
    MainState state;
    ScriptedInteraction ui;
    AppContext ctx(image, state, ui);
    TableEditor editor(ctx);
    return timeEach(20, [&](int) {
        TuneHistoryWindow w(editor, store);
        w.show();
        QCoreApplication::processEvents();
        if (w.model()->rowCount() == 0 && store.newest()) std::abort();
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The offscreen platform's word on every window shown.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        if (!m.contains("propagateSizeHints")) std::fprintf(stderr, "%s\n", qPrintable(m));
    });
    QTemporaryDir dir;
    const int kEntries = 100000;

    std::printf("Tune History benchmark (ms; median, p99, worst)\n\n");
    std::printf("%-38s %9s %9s %9s\n", "", "median", "p99", "worst");
    auto row = [](const char* what, const Stats& s) {
        std::printf("%-38s %9.3f %9.3f %9.3f\n", what, s.median, s.p99, s.worst);
    };
    TuneHistory store(dir.filePath("saves.sqlite"));
    const auto [plain, kept] = timeSaves(dir.path(), store);
    row("Save File, no history (baseline)", plain);
    row("Save File, entry kept", kept);
    row("keeping an entry alone", timeRecord(store));
    std::printf("%-38s %9.3f   (at most 5 ms)\n\n", "added by keeping an entry",
                kept.median - plain.median);

    const QString empty = dir.filePath("empty.sqlite"), full = dir.filePath("full.sqlite");
    fill(empty, 0);
    fill(full, kEntries);
    const Stats none = timeWindow(empty);
    const Stats many = timeWindow(full);
    // Each program opens the store once, with its integrity check.
    row("store opens, empty (baseline)", timeEach(20, [&](int) { TuneHistory h(empty); }));
    row("store opens, 100,000 entries", timeEach(20, [&](int) { TuneHistory h(full); }));
    row("window opens, empty history (baseline)", none);
    row("window opens, 100,000 entries", many);
    std::printf("%-38s %9.3f   (at most 300 ms)\n\n", "opening on 100,000 entries", many.median);

    const double perEntry =
        double(QFileInfo(full).size() - QFileInfo(empty).size()) / double(kEntries);
    std::printf("store size per entry: %.0f bytes (%lld bytes for %d entries)\n", perEntry,
                QFileInfo(full).size(), kEntries);
    return 0;
}
