// velo-monkey: a seeded random user drives the main window against igx1-sim for a while,
// and checks every few hundred events that the model still holds together. Built with
// the sanitizers by `make monkey`; a failure prints the seed and the last events.
#include "app/ui/main_window.h"
#include "app/ui/table_views.h"
#include "event_log.h"
#include "hands.h"
#include "random_user.h"
#include "simulator.h"
#include "table/ui/timing_grid.h"
#include "window_check.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <thread>

using namespace velo;
using namespace monkey;

namespace {

class Monkey : public QObject {
  public:
    struct Options {
        double seconds = 120;
        bool huge = false;
        bool kinds = false;
    };

    Monkey(Options o, uint64_t seed, QString binDir, QString root)
        : options_(o),
          dice_(seed),
          busyDice_(~seed),
          bin_(std::move(binDir)),
          root_(std::move(root)),
          sim_(bin_, root_),
          ui_(dice_, files_, o.huge),
          hands_(dice_, o.huge) {
        ui_.log = [](const QString& l) { events.add("  " + l); };
        // Tune History keeps its store under the data home: a run of its own.
        qputenv("XDG_DATA_HOME", QFile::encodeName(root_ + "/data"));
        files_.make(root_ + "/files", bin_);
        // The chart templates the program looks for beside itself.
        QDir().mkpath(root_ + "/app");
        for (const QString& f : QDir(bin_).entryList({"*.oc2", "*.oc3", "*.cfg", "*.html"}))
            QFile::copy(bin_ + "/" + f, root_ + "/app/" + f);
        settings_ = std::make_unique<QSettings>(root_ + "/user.ini", QSettings::IniFormat);
    }

    bool begin() {
        if (!sim_.start({})) return false;
        openWindow();
        clock_.start();
        QTimer::singleShot(0, this, [this] { step(); });
        return true;
    }

  private:
    // The program as a tuner starts it; also after an exit.
    void openWindow() {
        if (window_) window_.release()->deleteLater();
        window_ = std::make_unique<MainWindow>(ui_, *settings_, BrandInfo::defaults(),
                                               MainWindow::Options{root_ + "/app", sim_.device()});
        hands_.setWindow(window_.get());
        window_->Form_Load();
        window_->show();
        window_->activateWindow();
        events.add("window opened");
    }

    MainWindow& w() { return *window_; }

    void step() {
        heartbeatMs = nowMs();
        if (clock_.elapsed() >= options_.seconds * 1000) return finish();
        QWidget* modal = QApplication::activeModalWidget();
        // Called back from inside one of our events: a dialog that came up takes the
        // events, a command letting messages run gets only Escape now and then.
        if (depth_ > 0 && modal == outerModal_.back()) {
            QTimer::singleShot(2, this, [this] { step(); });
            // Dice of their own: how often a transfer lets messages run is the line's
            // timing, and must not shift the rest of the run.
            if (w().state().progressVisible() && busyDice_.chance(0.001))
                hands_.key(Qt::Key_Escape);
            else if (!reentered_ && busyDice_.chance(searching() ? 0.05 : 0.002))
                duringWait();
            return;
        }
        QTimer::singleShot(0, this, [this] { step(); });
        ++depth_;
        outerModal_.push_back(modal);
        const qint64 started = clock_.elapsed();
        if (QWidget* popup = QApplication::activePopupWidget())
            onPopup(qobject_cast<QMenu*>(popup));
        else if (modal)
            hands_.onDialog(modal);
        else if (!w().isVisible())
            openWindow();
        else
            onWindow();
        outerModal_.pop_back();
        --depth_;
        if (events.trace && clock_.elapsed() - started > 200)
            std::fprintf(stderr, "  (%lld ms)\n", clock_.elapsed() - started);
        if (++sinceCheck_ >= 250 && depth_ == 0) {
            sinceCheck_ = 0;
            check();
        }
    }

    void onWindow() {
        TimingGrid* grid = openGrid();
        // A refused text keeps its editor: the user mends it or gives it up.
        if (grid && grid->editing() && dice_.chance(0.8)) {
            QWidget* editor = nullptr;
            for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
                if (e->isVisible()) editor = e;
            if (!editor) editor = grid;
            editor->setFocus();
            if (dice_.chance(0.5)) return hands_.key(Qt::Key_Escape, {}, editor);
            const QString text = cellText(dice_, options_.huge);
            events.add(QString("retype \"%1\" into %2").arg(text, grid->objectName()));
            if (auto* e = qobject_cast<QLineEdit*>(editor)) e->clear();
            typeText(editor, text);
            return hands_.key(Qt::Key_Return, {}, editor);
        }
        switch (dice_.weighted({10, 14, grid ? 14 : 0, grid ? 14 : 0, grid ? 8 : 0, grid ? 8 : 0,
                                grid ? 3 : 0, 1, 3, 1})) {
            case 0:
                return menuCommand();
            case 1:
                return hands_.randomKey();
            case 2:
                return hands_.typeCell(*grid);
            case 3:
                return hands_.chartGesture();
            case 4:
                return hands_.select(*grid);
            case 5:
                return hands_.paste(*grid);
            case 6:
                return hands_.rightClick(*grid);
            case 7: {
                const QStringList f = sim_.randomFaults(dice_);
                events.add("controller restarted " + f.join(' '));
                if (!sim_.start(f)) fail("igx1-sim did not restart");
                return;
            }
            case 8:
                if (dice_.chance(0.7)) return windowControl();
                {
                    // Now and then far below any sensible size.
                    const int low = dice_.chance(0.2) ? 0 : 400;
                    const QSize s(dice_.between(low, 1600), dice_.between(low * 3 / 4, 1000));
                    events.add(QString("resize %1x%2").arg(s.width()).arg(s.height()));
                    w().resize(s);
                    return;
                }
            default:
                for (QWidget* t : sideWindows()) {
                    events.add("close " + t->objectName());
                    t->close();
                }
                return;
        }
    }

    // The port frame, and the windows beside the main one (Tune History, the guide),
    // whenever they show.
    void windowControl() {
        QList<QWidget*> roots{w().centralWidget()}, controls;
        roots << sideWindows();
        // A window that came up gets most of the attention.
        if (roots.size() > 1 && dice_.chance(0.8)) roots.removeFirst();
        for (QWidget* root : roots)
            for (QWidget* c : root->findChildren<QWidget*>())
                if (c->isVisible() && c->isEnabled() &&
                    (qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractButton*>(c) ||
                     qobject_cast<QLineEdit*>(c) || qobject_cast<QAbstractItemView*>(c)))
                    controls << c;
        if (controls.isEmpty()) return;
        QWidget* c = dice_.pick(controls);
        if (auto* b = qobject_cast<QComboBox*>(c)) {
            const int i = dice_.below(b->count());
            events.add(QString("combo %1 to %2").arg(b->objectName()).arg(i));
            b->setCurrentIndex(i);
        } else if (auto* e = qobject_cast<QLineEdit*>(c)) {
            const QString text = cellText(dice_, options_.huge);
            events.add(QString("type \"%1\" into %2").arg(text, e->objectName()));
            e->setFocus();
            typeText(e, text);
        } else if (auto* v = qobject_cast<QAbstractItemView*>(c)) {
            const QPoint at(dice_.below(v->viewport()->width()),
                            dice_.below(v->viewport()->height()));
            events.add(QString("click %1 at (%2,%3)").arg(v->objectName()).arg(at.x()).arg(at.y()));
            QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, at);
        } else {
            events.add("click " + c->objectName());
            QTest::mouseClick(c, Qt::LeftButton, {}, c->rect().center());
        }
    }

    // The windows shown beside the main one (Tune History, the guide, the check panel).
    QList<QWidget*> sideWindows() const {
        QList<QWidget*> out;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != window_.get() && t->isVisible() && !qobject_cast<QMenu*>(t)) out << t;
        return out;
    }

    TimingGrid* openGrid() {
        TableViews* v = w().tableViews();
        if (v->grid2D()->isVisible()) return v->grid2D();
        if (v->grid3D()->isVisible()) return v->grid3D();
        return nullptr;
    }

    // Every command of the window's menu table, the bar's menus and the grids' pop-ups,
    // found afresh each time, so commands added later are driven too.
    QList<QAction*> commands() {
        QList<QAction*> out;
        for (const QString& name : w().actionNames())
            if (QAction* a = w().action(name)) out << a;
        return out;
    }

    void menuCommand() {
        QList<QAction*> all = commands();
        // An empty buffer leaves little to do: fill it more often.
        if (w().image().BufferEmpty && dice_.chance(0.5)) {
            if (QAction* a = w().action(dice_.chance(0.7) ? "mnuOpenFile" : "mnuNewTable"))
                all = {a};
        } else if (!openGrid() && dice_.chance(0.3) && w().action("mnuEditTimingTable"))
            all = {w().action("mnuEditTimingTable")};
        QAction* a = dice_.pick(all);
        // A transfer takes seconds of line time: fewer of them leaves more for the rest.
        if (a->objectName().contains("load") && all.size() > 1 && dice_.chance(0.8))
            a = dice_.pick(all);
        if (!a->isEnabled()) return;
        events.add("menu " + a->objectName());
        a->trigger();
    }

    // What an impatient user does while a command waits with messages running: close
    // the frame it works in, open it again, start another command (a transfer, Exit).
    void duringWait() {
        reentered_ = true;
        QAction* setup = w().action("mnuPortSetup");
        QWidget* ok = w().findChild<QWidget*>("cmdPortSelectOK");
        switch (busyDice_.weighted({3, 3, 4})) {
            case 0:
                if (ok && ok->isVisible() && ok->isEnabled()) {
                    events.add("during a wait: click cmdPortSelectOK");
                    QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
                }
                // Closed and at once opened again, as a user who changed his mind.
                if (busyDice_.chance(0.5)) break;
                [[fallthrough]];
            case 1:
                events.add("during a wait: menu mnuPortSetup");
                if (setup) setup->trigger();
                break;
            default: {
                QList<QAction*> enabled;
                for (QAction* a : commands())
                    if (a->isEnabled()) enabled << a;
                if (enabled.isEmpty()) break;
                QAction* a = busyDice_.pick(enabled);
                events.add("during a wait: menu " + a->objectName());
                a->trigger();
            }
        }
        reentered_ = false;
    }

    // Find Controller is asking the ports.
    bool searching() {
        QWidget* find = w().findChild<QWidget*>("cmdFindController");
        return find && find->isVisible() && !find->isEnabled();
    }

    void onPopup(QMenu* menu) {
        QList<QAction*> items;
        if (menu)
            for (QAction* a : menu->actions())
                if (!a->isSeparator() && a->isEnabled()) items << a;
        if (!menu || items.isEmpty() || dice_.chance(0.2)) {
            events.add("popup closed");
            QApplication::activePopupWidget()->close();
            return;
        }
        QAction* a = dice_.pick(items);
        events.add("popup " + a->objectName());
        menu->close();
        a->trigger();
    }

    void check() {
        heartbeatMs = nowMs();
        if (const auto why = windowFault(w(), files_.saved)) fail(*why);
        events.add("checks passed");
    }

    [[noreturn]] void fail(const QString& why) {
        events.dump(qPrintable("check failed: " + why));
        sim_.stop();
        std::_Exit(1);
    }

    [[noreturn]] void finish() {
        if (depth_ == 0) check();
        const double s = clock_.elapsed() / 1000.0;
        sim_.stop();
        if (options_.kinds) events.printKinds();
        // A shared machine slows the clock on the wall, not the work each event takes.
        const double cpu = double(std::clock()) / CLOCKS_PER_SEC;
        std::printf("%.0f events a second, %.0f per second of processor time\n", events.count() / s,
                    events.count() / cpu);
        std::printf("%ld events in %.0f s, seed %llu: no fault\n", events.count(), s, events.seed);
        std::fflush(stdout);
        std::_Exit(0);
    }

    Options options_;
    Dice dice_;
    Dice busyDice_;
    QString bin_, root_;
    Simulator sim_;
    FileCorpus files_;
    RandomInteraction ui_;
    Hands hands_;
    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<MainWindow> window_;
    QElapsedTimer clock_;
    int depth_ = 0;
    bool reentered_ = false;  // one command at a time starts inside a wait
    QList<QWidget*> outerModal_;
    int sinceCheck_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    parser.setApplicationDescription("A seeded random user for the Velo IGX window.");
    parser.addHelpOption();
    QCommandLineOption seconds("seconds", "How long to run (120).", "S", "120");
    QCommandLineOption seed("seed", "The seed; random when not given.", "N");
    QCommandLineOption huge("huge", "Type and paste exponents above 300 as well.");
    QCommandLineOption bin("bin", "Where igx1-sim and the program's files are.", "DIR",
                           VELO_BIN_DIR);
    QCommandLineOption kinds("kinds", "Count the events by kind at the end.");
    QCommandLineOption trace("trace", "Print every event as it happens.");
    parser.addOptions({seconds, seed, huge, bin, kinds, trace});
    parser.process(app);

    events.seed = parser.isSet(seed) ? parser.value(seed).toULongLong()
                                     : std::random_device{}() % 1000000000u;
    events.trace = parser.isSet(trace);
    if (!parser.isSet(huge)) events.switches += " MONKEY_HUGE=off";
    std::printf("velo-monkey: seed %llu\n", events.seed);
    std::fflush(stdout);
    reportFailures();

    QTemporaryDir root;
    Monkey monkey({parser.value(seconds).toDouble(), parser.isSet(huge), parser.isSet(kinds)},
                  events.seed, parser.value(bin), root.path());
    if (!monkey.begin()) {
        std::fprintf(stderr, "igx1-sim did not start from %s\n", qPrintable(parser.value(bin)));
        return 2;
    }
    // The watchdog: the window must answer within 5 s.
    heartbeatMs = nowMs();
    std::thread([] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            if (nowMs() - heartbeatMs > 5000) {
                events.dump("no answer from the window for 5 s");
                std::_Exit(3);
            }
        }
    }).detach();
    return app.exec();
}
