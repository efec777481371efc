#include "data/file_commands.h"
#include "core/tune_history.h"
#include "data/data_file.h"
#include "data/display_name.h"
#include "data/mod_params.h"
#include "support/fake_link.h"
#include "support/files.h"
#include "support/model_rig.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <optional>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace velo;
using test::boxLine;
using test::bytesOf;

namespace {

const QString kBase = "Velo IGX Version 1.0";

struct Rig : test::ModelRig {
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const {
        return test::writeFile(path(name), bytes);
    }
    QByteArray read(const QString& name) const { return test::readFile(path(name)); }
    void open(const QString& p) {
        ui.answerFile(p);
        mnuOpenFile_Click(ctx);
    }
    const ScriptedInteraction::Shown& last() const { return ui.shown().last(); }
};

QByteArray randomFile(uint32_t seed) {
    return bytesOf(test::randomImage(seed));
}

enum Failure { DiskFull, FolderGone, FolderReadOnly };

#ifndef Q_OS_WIN
constexpr bool kFileSizeLimits = true;
// Keeps writes beyond `bytes` from reaching the disk, as a full disk would.
struct FileSizeLimit {
    rlimit old{};
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit low{bytes, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
};
#else
constexpr bool kFileSizeLimits = false;  // Windows has no such limit on a process
struct FileSizeLimit {
    explicit FileSizeLimit(int) {}
};
#endif

// Owner permission bits bind everyone but root; on Windows they are not permissions.
bool permissionsBind() {
#ifdef Q_OS_WIN
    return false;
#else
    return geteuid() != 0;
#endif
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Rig> r;  // a fresh one for each test and row

  private slots:
    void init() { r = std::make_unique<Rig>(); }

    // The file holds this many bytes, or is a folder, or cannot be read; the box an open
    // shows, with %1 for the file's path.
    void open_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("box");
        const QString shortFile =
            "Open Data File | Error - reached premature end-of-file | OK | exclamation";
        const QString loaded =
            "Open Data File | Loaded image.dat to buffer. Ready for editing or upload. | OK | none";
        const QString error = "Error | %1: %2 | Abort/Retry/Ignore | critical";
        QTest::newRow("one short") << "263" << shortFile;
        QTest::newRow("exact") << "264" << loaded;
        QTest::newRow("longer") << "400" << loaded;
        QTest::newRow("a folder") << "folder" << error.arg("%1", "Is a folder, not a file");
        QTest::newRow("no read permission") << "locked" << error.arg("%1", "Permission denied");
    }
    void open() {
        QFETCH(QString, file);
        QFETCH(QString, box);
        if (file == "locked" && !permissionsBind()) QSKIP("permission bits do not bind here");
        r->state.setTableMenus(true);
        r->state.setOpenTable(MainState::OpenTable::Table2D);
        r->state.FirmwareID = "V2.1";
        const QString p = r->path("image.dat");
        bool isSize = false;
        const int size = file.toInt(&isSize);
        const QByteArray bytes = (randomFile(7) + randomFile(8)).left(size);
        if (isSize)
            r->write("image.dat", bytes);
        else if (file == "folder")
            QDir(r->dir.path()).mkdir("image.dat");
        else
            QFile::setPermissions(r->write("image.dat", bytes), QFile::WriteOwner);
        r->open(p);
        QCOMPARE(boxLine(r->last()), box.arg(QDir::toNativeSeparators(p)));
        QCOMPARE(r->ui.shown().size(), 1);  // nothing more, no confirmation of a failed open
        QVERIFY(r->state.FirmwareID.isEmpty() && r->state.UnitModel.isEmpty() &&
                !r->state.tableOpen());
        const bool loaded = size >= 264;
        QCOMPARE(r->image.BufferEmpty, !loaded);
        QCOMPARE(r->heard.modParams, int(loaded));
        if (loaded) {
            QCOMPARE(bytesOf(r->image.imageBytes()), bytes.left(264));
            QCOMPARE(r->state.title(), kBase + " - image.dat");
            return;
        }
        QCOMPARE(bytesOf(r->image.imageBytes()), QByteArray(264, 0));
        QVERIFY(r->state.menus().editTimingTable);  // the menus are only set by a load
        if (isSize)
            QCOMPARE(r->ui.details().last(), QString("%1 holds %2 bytes; a data file has 264.")
                                                 .arg(QDir::toNativeSeparators(p))
                                                 .arg(size));
    }

    void openDecodesTheLayout_data() {
        QTest::addColumn<int>("options");
        QTest::addColumn<bool>("tables");
        QTest::addColumn<int>("charts");
        QTest::newRow("no table") << 0x05 << false << 0;
        QTest::newRow("2D") << 0x0D << true << 0;
        QTest::newRow("3D") << 0x16 << true << 1;
    }
    // Bytes placed by hand at their file offsets, read back as parameters.
    void openDecodesTheLayout() {
        QFETCH(int, options);
        QFETCH(bool, tables);
        QFETCH(int, charts);
        QByteArray f(264, '\0');
        f[0] = char(100), f[20] = char(50);  // 2D cells 1 and 21
        const char params[] = {25, 6, char(options), 3, 4, 1};
        f.replace(32, 6, params, 6);
        f[48] = char(2), f[49] = char(7), f[56] = char(1), f[57] = char(9);
        f[64] = char(1), f[65] = char(11), f[66] = char(60), f[67] = char(130);
        f[96] = char(10), f[263] = char(20);  // 3D: first cell of the lowest row, last of the top
        r->state.setTableMenus(!tables);
        r->open(r->write("layout.dat", f));
        const ConfigImage& i = r->image;
        const QList<int> decoded{i.TrigTiming,  i.CrankPulses, i.OptionsByte, i.RetardComp,
                                 i.StartRetard, i.MAPSensor,   i.GPI1Mode,    i.GPI1Retard,
                                 i.GPI2Mode,    i.GPI2Retard,  i.GPIO3Mode,   i.GPIO3Retard,
                                 i.GPIO3MinRPM, i.GPIO3MaxRPM};
        QCOMPARE(decoded, (QList<int>{25, 6, options, 3, 4, 1, 2, 7, 1, 9, 1, 11, 3000, 6500}));
        const double count = ConfigImage::kDegreesPerCount;
        QCOMPARE(
            (QList<double>{i.Table2D(1, 1), i.Table2D(21, 1), i.Table3D(1, 8), i.Table3D(21, 1)}),
            (QList<double>{25 - 100 * count, 25 - 50 * count, 25 - 10 * count, 25 - 20 * count}));
        QCOMPARE(r->state.menus(), (MainState::Menus{true, tables, tables, tables}));
        QCOMPARE(r->heard.chartSetups, charts);
    }

    void openAsksBeforeItClears() {
        r->open(r->write("a.dat", randomFile(1)));
        const QByteArray before = bytesOf(r->image.imageBytes());
        r->state.setOpenTable(MainState::OpenTable::Table2D);
        r->ui.clear();
        r->ui.answer(Answer::Cancel);
        mnuOpenFile_Click(r->ctx);
        QCOMPARE(r->ui.shown().size(), 1);
        QCOMPARE(boxLine(r->last()),
                 "Open Data File | Data buffer not empty. OK to overwrite? | OK/Cancel | none");
        QCOMPARE(bytesOf(r->image.imageBytes()), before);
        QCOMPARE(r->state.title(), kBase + " - a.dat");
        QVERIFY(r->state.tableOpen() && r->ui.fileDialogs().isEmpty());

        // OK, then the dialog cancelled: the buffer stays cleared, nothing else is said.
        r->ui.clear();
        r->ui.answer(Answer::Ok);
        r->ui.answerFile(std::nullopt);
        mnuOpenFile_Click(r->ctx);
        QCOMPARE(r->ui.shown().size(), 1);
        QVERIFY(r->image.BufferEmpty);
        QVERIFY(!r->state.tableOpen());
        QCOMPARE(r->state.DisplayName, QString("Data Buffer Empty"));
        QCOMPARE(r->heard.modParams, 1);
    }

    void openOfAMissingFile_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("Retry asks again") << QList<int>{int(Answer::Retry)} << true;
        QTest::newRow("Cancel, then Retry")
            << QList<int>{int(Answer::Cancel), int(Answer::Retry)} << true;
        QTest::newRow("Cancel, then Abort")
            << QList<int>{int(Answer::Cancel), int(Answer::Abort)} << false;
    }
    // Cancel there is an error for the command's report; Abort there ends the command with
    // the buffer cleared.
    void openOfAMissingFile() {
        QFETCH(QList<int>, answers);
        QFETCH(bool, loaded);
        const QString missing = r->path("missing.dat");
        r->ui.answerFile(missing);
        for (int a : answers) r->ui.answer(Answer(a));
        r->ui.answerFile(r->write("good.dat", randomFile(3)));
        mnuOpenFile_Click(r->ctx);
        QCOMPARE(boxLine(r->ui.shown().first()),
                 "File Open | " + QDir::toNativeSeparators(missing) +
                     "\r\nFile not found. | Retry/Cancel | exclamation");
        if (answers.size() > 1)
            QCOMPARE(boxLine(r->ui.shown()[1]),
                     "Error | Canceled File Open | Abort/Retry/Ignore | critical");
        QCOMPARE(r->ui.shown().size(), answers.size() + int(loaded));
        QCOMPARE(r->ui.fileDialogs(),
                 QStringList(1 + int(loaded), "open Open File [IGX-1 data files (*.dat)|*.dat]"));
        QCOMPARE(r->state.DisplayName, QString(loaded ? "good.dat" : "Data Buffer Empty"));
        QCOMPARE(r->state.title(), kBase + " - " + r->state.DisplayName);
        QCOMPARE(r->image.BufferEmpty, !loaded);
        QCOMPARE(r->heard.modParams, int(loaded));
    }

    void fileOpenWithItsOwnQuestion() {
        QString filter;
        r->ui.answerFile(r->path("new.dat"));
        r->ui.answer(Answer::Yes);
        QCOMPARE(FileOpen(r->ui, "Pick", filter, "Create it?"), r->path("new.dat"));
        QCOMPARE(filter, QString("All Files (*.*)|*.*"));
        QVERIFY(r->last().text.endsWith("File not found.\r\n\r\nCreate it?"));
        QCOMPARE(r->last().buttons, Buttons::YesNoCancel);
    }

    void saveRefusals() {
        mnuSaveFile_Click(r->ctx);
        QCOMPARE(boxLine(r->last()), "Save Data File | Data buffer empty. | OK | exclamation");
        r->state.setOpenTable(MainState::OpenTable::Table3D);  // this one is asked first
        mnuSaveFile_Click(r->ctx);
        QCOMPARE(boxLine(r->last()),
                 "Save Data File | You must close or save any open table before "
                 "saving data to a file. | OK | exclamation");
        QVERIFY(r->ui.fileDialogs().isEmpty() && r->state.title() == kBase);
    }

    void saveOverAnExistingFile_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("No asks again, then Yes") << false;
        QTest::newRow("Cancel: the cancellation error, nothing written") << true;
    }
    void saveOverAnExistingFile() {
        QFETCH(bool, cancel);
        TuneHistory store(r->path("h.sqlite"));
        r->ctx.history = &store;
        r->image.BufferEmpty = false;
        const QString old = r->write("old.dat", "previous");
        r->ui.answerFile(old);
        r->ui.answer(cancel ? Answer::Cancel : Answer::No);
        if (!cancel) {
            r->ui.answerFile(old);
            r->ui.answer(Answer::Yes);
        }
        mnuSaveFile_Click(r->ctx);
        QCOMPARE(r->ui.fileDialogs(),
                 QStringList(cancel ? 1 : 2, "save Save File [IGX-1 data files (*.dat)|*.dat]"));
        QCOMPARE(boxLine(r->ui.shown().first()),
                 "File Save | " + QDir::toNativeSeparators(old) +
                     "\r\nThis file already exists.\r\n\r\nReplace existing file? | "
                     "Yes/No/Cancel | exclamation");
        QCOMPARE(r->ui.shown().size(), 2);  // the second question or the error; no confirmation
        if (cancel) QCOMPARE(r->last().text, QString("Canceled File Save"));
        QCOMPARE(r->read("old.dat"),
                 cancel ? QByteArray("previous") : bytesOf(r->image.imageBytes()));
        QCOMPARE(r->state.title(), kBase + (cancel ? "" : " - old.dat"));
        const auto replaced = store.entry(1);  // kept before it was written over
        QCOMPARE(replaced ? replaced->event + " " + replaced->bytes : "",
                 cancel ? "" : "file-replaced previous");
    }

    // The 3D demo (trigger timing 38) moved to `trig` in the module dialog, then saved
    // (Yes to the question): the cells read back from the file against the grid's.
    void saveWritesTheTableAsTheGridShows_data() {
        QTest::addColumn<int>("trig");
        QTest::addColumn<QString>("question");  // empty: none, and the bytes stay
        QTest::newRow("30") << 30
                            << "The timing table in the buffer was written for trigger timing "
                               "38°; with 30° every cell runs 8.0° less advance than the grid "
                               "shows. Write the table as the grid shows it?";
        QTest::newRow("question off") << 30 << "";
        QTest::newRow("38: cells only clipped") << 38 << "";
    }
    void saveWritesTheTableAsTheGridShows() {
        QFETCH(int, trig);
        QFETCH(QString, question);
        r->open(VELO_SOURCE_DIR "/resources/demo_3d.dat");
        ModParamsForm form(r->ctx);
        form.Form_Load();
        form.sldTrigTiming_Change(ConfigImage::kMaxTrigTiming - trig);
        form.cmdOK_Click();
        r->ctx.askTableAsShown = QTest::currentDataTag() != QString("question off");
        r->ui.clear();
        r->ui.answerFile(r->path("out.dat"));
        mnuSaveFile_Click(r->ctx);
        QCOMPARE(r->ui.texts(), question.isEmpty() ? QStringList() : QStringList{question});
        ConfigImage saved;
        QVERIFY(readImageFile(r->ui, r->path("out.dat"), saved, {}));
        double worst = 0;
        for (int k = 1; k <= 21; ++k)
            for (int m = 1; m <= 8; ++m)
                worst = std::max(worst, std::abs(saved.Table3D(k, m) - r->image.Table3D(k, m)));
        QCOMPARE(worst > 1, question.isEmpty() && trig != 38);
    }

    void aFailedSaveKeepsTheOldFile_data() {
        QTest::addColumn<int>("failure");
        QTest::newRow("disk full") << int(DiskFull);
        QTest::newRow("folder gone") << int(FolderGone);
        QTest::newRow("folder read-only") << int(FolderReadOnly);
    }
    // The failure comes while the replace question is up; Abort keeps the old file,
    // Retry once the cause is gone saves.
    void aFailedSaveKeepsTheOldFile() {
        QFETCH(int, failure);
        if (failure == FolderReadOnly && !permissionsBind())
            QSKIP("permission bits do not bind here");
        if (failure == DiskFull && !kFileSizeLimits) QSKIP("no file size limit here");
        r->open(r->write("in.dat", randomFile(40)));
        const QString folder = r->path("out");
        const QString target = folder + "/t.dat";
        const QByteArray old = randomFile(41);
        std::optional<FileSizeLimit> limit;
        auto breakIt = [&] {
            if (failure == DiskFull) limit.emplace(100);
            if (failure == FolderGone) QDir(folder).removeRecursively();
            if (failure == FolderReadOnly)
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        };
        auto repair = [&] {
            limit.reset();
            QDir().mkpath(folder);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
        for (bool retry : {false, true}) {
            repair();
            r->write("out/t.dat", old);
            r->ui.clear();
            r->ui.onShow = [&](const ScriptedInteraction::Shown& s) {
                if (s.title == "File Save") breakIt();
                if (s.title == "Error" && retry) repair();
            };
            r->ui.answerFile(target);
            r->ui.answer(Answer::Yes);
            r->ui.answer(retry ? Answer::Retry : Answer::Abort);
            mnuSaveFile_Click(r->ctx);
            QCOMPARE(r->ui.shown().size(), 2);
            const auto& error = r->ui.shown()[1];
            const QString file = QDir::toNativeSeparators(target) + ": ";
            QVERIFY2(error.text.startsWith(file) && error.text.size() > file.size(),
                     qPrintable(error.text));
            QCOMPARE(boxLine(error), "Error | " + error.text + " | Abort/Retry/Ignore | critical");
            if (retry) {
                QCOMPARE(r->read("out/t.dat"), r->read("in.dat"));
                QCOMPARE(r->state.title(), kBase + " - t.dat");
                break;
            }
            QCOMPARE(r->state.title(), kBase + " - in.dat");
            if (failure == FolderGone) continue;
            QCOMPARE(r->read("out/t.dat"), old);
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"t.dat"});
        }
    }

    void displayNames_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        const QString forty = QString(36, 'a') + ".dat";
        QTest::newRow("40 in full") << "/x/" + forty << forty;
        QTest::newRow("41 cut") << "/x/b" + forty << "..." + forty;
        QTest::newRow("both") << "C:\\tunes/x\\y.dat"
                              << "y.dat";
    }
    void displayNames() {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(DisplayNameOf(path), shown);
    }
};

QTEST_GUILESS_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
