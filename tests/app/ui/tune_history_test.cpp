// Tune History in the main window: its window, and the question after a run that crashed.
#include "app/ui/history_wiring.h"
#include "app/ui/main_window.h"
#include "core/scripted_interaction.h"
#include "support/fake_link.h"
#include "support/files.h"
#include "table/table_commands.h"
#include "table/ui/tune_history_window.h"

#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace velo;

namespace {

struct Fixture {
    QTemporaryDir dir;
    QSettings settings{dir.filePath("user.ini"), QSettings::IniFormat};
    ScriptedInteraction ui;
    test::FakeClock clock;
    std::unique_ptr<MainWindow> window;
    int dialogs = 0;

    Fixture() { qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8()); }
    MainWindow& start() {
        const QDir bin(VELO_BIN_DIR);
        for (const QString& t : bin.entryList({"*.oc2", "*.oc3"}))
            QFile::copy(bin.filePath(t), dir.filePath(t));
        window = std::make_unique<MainWindow>(ui, settings, BrandInfo::defaults(),
                                              MainWindow::Options{dir.path(), {}},
                                              std::make_unique<test::FakePort>(clock));
        window->Form_Load();
        window->context().editModParams = [this] { ++dialogs; };
        QCoreApplication::processEvents();
        return *window;
    }
};

QByteArray image(int n) {
    QByteArray b(264, char(n));
    b[0] = char(n >> 8);
    return b;
}

}  // namespace

class TuneHistoryTest : public QObject {
    Q_OBJECT
  private slots:
    void restoreAfterCrash_data() {
        QTest::addColumn<bool>("ask");
        QTest::addColumn<int>("answer");  // -1: no question
        QTest::newRow("Yes puts the edits back") << true << int(Answer::Yes);
        QTest::newRow("No leaves them in the history") << true << int(Answer::No);
        QTest::newRow("question turned off") << false << -1;
    }
    void restoreAfterCrash() {
        QFETCH(bool, ask);
        QFETCH(int, answer);
        Fixture f;
        f.settings.setValue(HistoryWiring::kAskToRestoreKey, ask);
        {
            TuneHistory crashed;
            crashed.keepUnsavedTable({{}, 0, image(0), image(1), QVector<double>(21, 12.5)});
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
            db.setDatabaseName(TuneHistory::defaultPath());
            QVERIFY(db.open() && QSqlQuery(db).exec("UPDATE runs SET pid = 2147483000"));
        }
        QSqlDatabase::removeDatabase("raw");
        if (answer >= 0) f.ui.answer(Answer(answer));
        MainWindow& w = f.start();
        QCOMPARE(f.ui.shown().size(), answer >= 0 ? 1 : 0);
        const TableSession* s = w.tableEditor().session();
        QCOMPARE(s != nullptr, answer == int(Answer::Yes));
        if (s) QVERIFY(s->hasEdits() && s->value(1, 21) == 12.5);
        QCOMPARE(w.history().store().newest()->event, "crash-recovery");
    }

    void windowFetchesFiltersAndActs() {
        Fixture f;
        MainWindow& w = f.start();
        TuneHistory& store = w.history().store();
        for (int i = 1; i <= 450; ++i)
            store.record("open", image(i), "f.dat", {}, QString("n%1").arg(i));
        w.show();
        w.action("mnuTuneHistory")->trigger();
        auto* win = w.findChild<TuneHistoryWindow*>();
        QVERIFY(QTest::qWaitForWindowExposed(win));
        QCOMPARE(win->model()->rowCount(), HistoryModel::kPage);
        win->filter()->setText("n44");
        QTRY_COMPARE(win->model()->rowCount(), 11);  // n44, n440..n449
        QVERIFY(win->model()->setData(win->model()->index(10, HistoryModel::Note), "best",
                                      Qt::EditRole));
        QCOMPARE(store.entry(44)->note, "best");

        win->view()->selectRow(10);
        f.ui.answerFile(f.dir.filePath("e.dat"));
        win->saveAs();
        QCOMPARE(test::readFile(f.dir.filePath("e.dat")), image(44));
        win->openInBuffer();
        QVERIFY(!w.image().BufferEmpty && f.dialogs == 1);
        QCOMPARE(test::bytesOf(w.image().imageBytes()), image(44));
    }
};

QTEST_MAIN(TuneHistoryTest)
#include "tune_history_test.moc"
