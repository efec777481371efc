#include "data/file_commands.h"
#include "data/data_file.h"
#include "data/display_name.h"
#include "support/fake_link.h"
#include "support/model_rig.h"

#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace velo;

namespace {

const QString kBase = "Velo IGX Version 1.0";

struct Rig : test::ModelRig {
    QTemporaryDir dir;
    int dialogsShown = 0;  // the module parameters command at the end of an open
    Rig() {
        ctx.editModParams = [this] { ++dialogsShown; };
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
        return f.fileName();
    }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void open(const QString& p) {
        ui.answerFile(p);
        mnuOpenFile_Click(ctx);
    }
    const ScriptedInteraction::Shown& last() const { return ui.shown().last(); }
};

QByteArray bytesOf(const ImageBytes& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), int(image.size()));
}

QByteArray randomFile(uint32_t seed) {
    return bytesOf(test::randomImage(seed));
}

// The file of an image whose parameters are as given.
QByteArray fileWith(const std::function<void(ConfigImage&)>& edit) {
    ConfigImage image;
    edit(image);
    image.UpdateEEPROM();
    return bytesOf(image.imageBytes());
}

// Keeps writes beyond `bytes` from reaching the disk, as a full disk would.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = old_;
        l.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() { lift(); }
    void lift() { setrlimit(RLIMIT_FSIZE, &old_); }

  private:
    rlimit old_{};
};

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void openReadsTheFirst264Bytes_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("one byte") << 1;
        QTest::newRow("one short") << 263;
        QTest::newRow("exact") << 264;
        QTest::newRow("longer") << 400;
    }
    void openReadsTheFirst264Bytes() {
        QFETCH(int, size);
        Rig r;
        QByteArray bytes = randomFile(7);
        bytes += randomFile(8);
        bytes.truncate(size);
        r.open(r.write("image.dat", bytes));
        if (size < 264) {
            QCOMPARE(r.last().title, QString("Open Data File"));
            QCOMPARE(r.last().text, QString("Error - reached premature end-of-file"));
            QCOMPARE(r.last().icon, Icon::Exclamation);
            QCOMPARE(r.ui.details().last(), QString("%1 holds %2 bytes; a data file has 264.")
                                                .arg(QDir::toNativeSeparators(r.path("image.dat")))
                                                .arg(size));
            QVERIFY(r.image.BufferEmpty);
            QVERIFY(bytesOf(r.image.imageBytes()).count('\0') == 264);
            QCOMPARE(r.state.title(), kBase + " - Data Buffer Empty");
            QCOMPARE(r.dialogsShown, 0);
            return;
        }
        QCOMPARE(bytesOf(r.image.imageBytes()), bytes.left(264));
        QVERIFY(!r.image.BufferEmpty);
        QCOMPARE(r.state.DisplayName, QString("image.dat"));
        QCOMPARE(r.state.title(), kBase + " - image.dat");
        QCOMPARE(r.last().text,
                 QString("Loaded image.dat to buffer. Ready for editing or upload."));
        QCOMPARE(r.last().icon, Icon::None);
        QCOMPARE(r.dialogsShown, 1);
        QCOMPARE(r.ui.fileDialogs(),
                 QStringList{"open Open File [IGX-1 data files (*.dat)|*.dat]"});
    }

    void openSetsTheTableMenus() {
        for (bool table : {true, false}) {
            Rig r;
            r.state.setTableMenus(!table);
            r.open(r.write("t.dat", fileWith([&](ConfigImage& i) { i.Table2DEnabled = table; })));
            QCOMPARE(r.state.menus().editTimingTable, table);
            QCOMPARE(r.state.menus().closeTbl, table);
            QVERIFY(r.state.menus().newTable);
        }
    }

    void openAsksBeforeItClears() {
        Rig r;
        r.open(r.write("a.dat", randomFile(1)));
        const QByteArray before = bytesOf(r.image.imageBytes());
        r.state.setOpenTable(MainState::OpenTable::Table2D);
        r.ui.clear();
        r.ui.answer(Answer::Cancel);
        mnuOpenFile_Click(r.ctx);
        QCOMPARE(r.ui.texts(), QStringList{"Data buffer not empty. OK to overwrite?"});
        QCOMPARE(r.ui.shown().first().buttons, Buttons::OkCancel);
        QCOMPARE(bytesOf(r.image.imageBytes()), before);
        QCOMPARE(r.state.title(), kBase + " - a.dat");
        QVERIFY(r.state.tableOpen());
        QVERIFY(r.ui.fileDialogs().isEmpty());

        // OK, then the dialog cancelled: the buffer stays cleared, nothing else is said.
        r.ui.clear();
        r.ui.answer(Answer::Ok);
        r.ui.answerFile(std::nullopt);
        mnuOpenFile_Click(r.ctx);
        QCOMPARE(r.ui.shown().size(), 1);
        QVERIFY(r.image.BufferEmpty);
        QVERIFY(!r.state.tableOpen());
        QCOMPARE(r.state.DisplayName, QString("Data Buffer Empty"));
        QCOMPARE(r.dialogsShown, 1);
    }

    void openOfAMissingFile() {
        Rig r;
        const QString good = r.write("good.dat", randomFile(3));
        const QString missing = r.path("missing.dat");
        r.ui.answerFile(missing);
        r.ui.answer(Answer::Retry);
        r.ui.answerFile(good);
        mnuOpenFile_Click(r.ctx);
        const auto& box = r.ui.shown().first();
        QCOMPARE(box.title, QString("File Open"));
        QCOMPARE(box.text, QDir::toNativeSeparators(missing) + "\r\nFile not found.");
        QCOMPARE(box.buttons, Buttons::RetryCancel);
        QCOMPARE(box.icon, Icon::Exclamation);
        QCOMPARE(r.ui.fileDialogs().size(), 2);
        QCOMPARE(r.state.DisplayName, QString("good.dat"));

        // Cancel there is an error for the command's report; Retry there asks again.
        Rig c;
        c.ui.answerFile(missing);
        c.ui.answer(Answer::Cancel);
        c.ui.answer(Answer::Retry);
        c.ui.answerFile(good);
        mnuOpenFile_Click(c.ctx);
        QCOMPARE(c.ui.shown()[1].title, QString("Error"));
        QCOMPARE(c.ui.shown()[1].text, QString("Canceled File Open"));
        QCOMPARE(c.ui.shown()[1].buttons, Buttons::AbortRetryIgnore);
        QCOMPARE(c.ui.shown()[1].icon, Icon::Critical);
        QCOMPARE(c.state.DisplayName, QString("good.dat"));

        Rig a;  // Abort ends the command with the buffer cleared
        a.ui.answerFile(missing);
        a.ui.answer(Answer::Cancel);
        mnuOpenFile_Click(a.ctx);
        QCOMPARE(a.last().text, QString("Canceled File Open"));
        QVERIFY(a.image.BufferEmpty);
        QCOMPARE(a.dialogsShown, 0);
    }

    void fileOpenWithItsOwnQuestion() {
        Rig r;
        QString filter;
        r.ui.answerFile(r.path("new.dat"));
        r.ui.answer(Answer::Yes);
        QCOMPARE(FileOpen(r.ui, "Pick", filter, "Create it?"), r.path("new.dat"));
        QCOMPARE(filter, QString("All Files (*.*)|*.*"));
        QVERIFY(r.last().text.endsWith("File not found.\r\n\r\nCreate it?"));
        QCOMPARE(r.last().buttons, Buttons::YesNoCancel);
    }

    void openOfSomethingUnreadableSaysWhatAndWhy() {
        Rig r;
        QDir(r.dir.path()).mkdir("folder.dat");
        r.open(r.path("folder.dat"));
        QCOMPARE(r.last().title, QString("Error"));
        QCOMPARE(r.last().text,
                 QDir::toNativeSeparators(r.path("folder.dat")) + ": Is a folder, not a file");
        QVERIFY(r.image.BufferEmpty);
        QCOMPARE(r.dialogsShown, 0);
    }

    void saveRefusals() {
        Rig r;
        mnuSaveFile_Click(r.ctx);
        QCOMPARE(r.last().text, QString("Data buffer empty."));
        QCOMPARE(r.last().title, QString("Save Data File"));
        r.image.BufferEmpty = false;
        r.state.setOpenTable(MainState::OpenTable::Table3D);
        mnuSaveFile_Click(r.ctx);
        QCOMPARE(r.last().text,
                 QString("You must close or save any open table before saving data to a file."));
        QCOMPARE(r.last().icon, Icon::Exclamation);
        QVERIFY(r.ui.fileDialogs().isEmpty());
    }

    // Open then save writes the bytes back, but for what decoding and encoding normalise.
    void openAndSaveRoundTrip() {
        for (uint32_t seed = 10; seed < 30; ++seed) {
            Rig r;
            const QByteArray original = randomFile(seed);
            r.open(r.write("in.dat", original));
            r.ui.answerFile(r.path("out.dat"));
            mnuSaveFile_Click(r.ctx);
            QCOMPARE(r.read("out.dat"), original);
            QCOMPARE(r.state.title(), kBase + " - out.dat");
        }
        Rig n;
        QByteArray odd = randomFile(5);
        odd[32] = char(45);    // trigger timing above 40
        odd[33] = char(1);     // cranking pulses below 2
        odd[34] = char(0xE7);  // options: bits 5 to 7 and both cylinder bits
        n.open(n.write("odd.dat", odd));
        n.ui.answerFile(n.path("odd2.dat"));
        mnuSaveFile_Click(n.ctx);
        ConfigImage expected;
        std::array<uint8_t, 264> raw{};
        std::copy(odd.begin(), odd.end(), raw.begin());
        expected.setImageBytes(raw);
        expected.UpdateParams();
        expected.UpdateEEPROM();
        QCOMPARE(n.read("odd2.dat"), bytesOf(expected.imageBytes()));
        QVERIFY(n.read("odd2.dat") != odd);
    }

    void saveOverAnExistingFile() {
        Rig r;
        r.image.BufferEmpty = false;
        const QString old = r.write("old.dat", "previous");
        r.ui.answerFile(old);
        r.ui.answer(Answer::No);
        r.ui.answerFile(old);
        r.ui.answer(Answer::Yes);
        mnuSaveFile_Click(r.ctx);
        QCOMPARE(r.ui.fileDialogs().size(), 2);
        QCOMPARE(r.ui.shown().first().text, QDir::toNativeSeparators(old) +
                                                "\r\nThis file already exists.\r\n\r\n"
                                                "Replace existing file?");
        QCOMPARE(r.ui.shown().first().title, QString("File Save"));
        QCOMPARE(r.ui.shown().first().buttons, Buttons::YesNoCancel);
        QCOMPARE(r.read("old.dat").size(), 264);

        Rig c;  // Cancel: the cancellation error, nothing written
        c.image.BufferEmpty = false;
        c.write("keep.dat", "keep");
        c.ui.answerFile(c.path("keep.dat"));
        c.ui.answer(Answer::Cancel);
        mnuSaveFile_Click(c.ctx);
        QCOMPARE(c.last().text, QString("Canceled File Save"));
        QCOMPARE(c.read("keep.dat"), QByteArray("keep"));
        QCOMPARE(c.state.title(), kBase);
    }

    void aFailedSaveKeepsTheOldFile() {
        Rig r;
        r.open(r.write("in.dat", randomFile(40)));
        const QByteArray old = randomFile(41);
        r.write("target.dat", old);
        r.ui.clear();
        FileSizeLimit full(100);
        r.ui.answerFile(r.path("target.dat"));
        r.ui.answer(Answer::Yes);    // replace it
        r.ui.answer(Answer::Abort);  // the write error
        mnuSaveFile_Click(r.ctx);
        QCOMPARE(r.last().title, QString("Error"));
        QVERIFY2(r.last().text.startsWith(QDir::toNativeSeparators(r.path("target.dat")) + ": "),
                 qPrintable(r.last().text));
        QCOMPARE(r.read("target.dat"), old);
        QCOMPARE(QDir(r.dir.path()).entryList(QDir::Files).size(), 2);  // no leftovers
        QCOMPARE(r.state.title(), kBase + " - in.dat");

        // Retry once the disk has room again: the save goes through.
        r.ui.answerFile(r.path("target.dat"));
        r.ui.answer(Answer::Yes);
        r.ui.answer(Answer::Retry);
        r.ui.onShow = [&](const ScriptedInteraction::Shown& s) {
            if (s.title == "Error") full.lift();
        };
        mnuSaveFile_Click(r.ctx);
        QCOMPARE(r.read("target.dat"), r.read("in.dat"));
        QCOMPARE(r.state.title(), kBase + " - target.dat");
    }

    void displayNames_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        const QString forty = QString(36, 'a') + ".dat";
        QTest::newRow("40 in full") << "/x/" + forty << forty;
        QTest::newRow("41 cut") << "/x/b" + forty << "..." + forty;
        QTest::newRow("backslash") << "C:\\tunes\\race.dat"
                                   << "race.dat";
        QTest::newRow("both") << "C:\\tunes/x\\y.dat"
                              << "y.dat";
        QTest::newRow("bare") << "plain.dat"
                              << "plain.dat";
    }
    void displayNames() {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(DisplayNameOf(path), shown);
    }
};

QTEST_GUILESS_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
