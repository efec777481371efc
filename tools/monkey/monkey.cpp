// velo-monkey: a seeded random user drives the main window against igx1-sim for a while,
// and checks every few hundred events that the model still holds together. Built with
// the sanitizers by `make monkey`; a failure prints the seed and the last events.
#include "app/ui/main_window.h"
#include "app/ui/table_views.h"
#include "chart/ui/chart2d_widget.h"
#include "chart/ui/chart3d_widget.h"
#include "random_user.h"
#include "table/table_commands.h"
#include "table/table_session.h"
#include "table/ui/timing_grid.h"

#include <sanitizer/common_interface_defs.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:abort_on_error=1";
}
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

using namespace velo;
using namespace monkey;

namespace {

// The last events, for the report of a failure; the watchdog reads them from its thread.
class EventLog {
  public:
    void add(const QString& line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(QString("#%1 %2").arg(++count_).arg(line).toStdString());
        // Kinds: the first word, and the command for menus and boxes' titles.
        const QStringList words = line.trimmed().split(' ');
        kinds_[(words[0] == "menu" || words[0] == "popup" || words[0] == "reject"
                    ? words.mid(0, 2).join(' ')
                    : words[0])
                   .toStdString()]++;
        if (lines_.size() > 50) lines_.pop_front();
        if (trace) std::fprintf(stderr, "%s\n", lines_.back().c_str());
    }
    long count() const { return count_.load(); }
    void dump(const char* why) {
        std::lock_guard lock(mutex_);
        std::fprintf(stderr, "\n=== velo-monkey: %s after %ld events, seed %llu ===\n", why,
                     count_.load(), (unsigned long long)seed);
        std::fprintf(stderr, "The last %zu events:\n", lines_.size());
        for (const auto& l : lines_) std::fprintf(stderr, "  %s\n", l.c_str());
        std::fprintf(stderr, "Replay: make monkey MONKEY_SEED=%llu%s\n", (unsigned long long)seed,
                     switches.c_str());
        std::fflush(stderr);
    }
    void printKinds() {
        std::lock_guard lock(mutex_);
        std::string out;
        for (const auto& [k, n] : kinds_) out += k + " " + std::to_string(n) + ", ";
        std::fprintf(stderr, "Events by kind: %s\n", out.c_str());
    }
    unsigned long long seed = 0;
    std::string switches;  // the make variables that turn on what this run added
    bool trace = false;

  private:
    std::map<std::string, long> kinds_;
    std::mutex mutex_;
    std::deque<std::string> lines_;
    std::atomic<long> count_{0};
};

EventLog events;
std::atomic<int64_t> heartbeatMs{0};

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void onSanitizerDeath() {
    events.dump("sanitizer report");
}

// UBSan has a runtime of its own that knows nothing of the death callback: it aborts,
// and the signal brings the report.
void onSignal(int sig) {
    events.dump(sig == SIGABRT ? "abort" : "crash");
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void onQtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtFatalMsg) return;
    std::fprintf(stderr, "qFatal: %s\n", qPrintable(text));
    events.dump("fatal Qt message");
}

// Key by key; QTest's own keyClicks knows only ASCII.
void typeText(QWidget* w, const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 128)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.unicode()), QString(c), {});
}

// igx1-sim on a pseudo-terminal behind a fixed link name, so a restart with other faults
// reaches the window at the same device.
class Simulator {
  public:
    Simulator(QString binDir, QString root) : bin_(std::move(binDir)), root_(std::move(root)) {
        // It goes with the monkey, however the monkey ends.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    }
    QString device() const { return root_ + "/ttyIGX"; }
    ~Simulator() { stop(); }

    void stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    bool start(const QStringList& faults) {
        stop();
        process_.start(bin_ + "/igx1-sim", QStringList{"--image", bin_ + "/demo_3d.dat"} + faults);
        // A busy machine may take seconds to start it: the watchdog is for the window.
        QElapsedTimer waited;
        waited.start();
        while (!process_.canReadLine() && waited.elapsed() < 20000 &&
               process_.state() != QProcess::NotRunning) {
            process_.waitForReadyRead(500);
            heartbeatMs = nowMs();
        }
        const QString pty = QString::fromUtf8(process_.readLine()).trimmed();
        if (pty.isEmpty()) {
            std::fprintf(stderr, "igx1-sim: %s\n", process_.readAllStandardError().constData());
            return false;
        }
        const QString temp = device() + ".new";
        QFile::remove(temp);
        return ::symlink(qPrintable(pty), qPrintable(temp)) == 0 &&
               ::rename(qPrintable(temp), qPrintable(device())) == 0;
    }
    // A clean controller most of the time, otherwise one or two of its faults.
    QStringList randomFaults(Dice& dice) {
        QStringList f;
        if (dice.chance(0.5)) return f;
        for (int n = dice.between(1, 2); n > 0; --n) {
            const QString addr = QString::number(dice.between(16, 279));
            switch (dice.below(15)) {
                case 0:
                    f << "--silent-from" << QString::number(dice.between(1, 300));
                    break;
                case 1:
                    f << "--resync-fail" << QString::number(dice.between(1, 4));
                    break;
                case 2:
                    f << "--resync-answer"
                      << "0x15";
                    break;
                case 3:
                    f << "--id-no-cr";
                    break;
                case 4:
                    f << "--id"
                      << "IGX-2 V1.0";
                    break;
                case 5:
                    f << "--addr-answer"
                      << "0x15";
                    break;
                case 6:
                    f << "--write-refuse" << addr;
                    break;
                case 7:
                    f << "--read-corrupt" << addr;
                    break;
                case 8:
                    f << "--read-drop" << addr;
                    break;
                case 9:
                    f << (dice.chance(0.5) ? QStringList{"--reset-silent"}
                                           : QStringList{"--reset-answer", "0x06,0x00"});
                    break;
                case 10:
                    f << "--delay-at" << QString::number(dice.between(1, 20)) << "--delay-ms"
                      << "1100";
                    break;
                case 11:
                    f << "--split-us"
                      << "400";
                    break;
                case 12:
                    f << "--garbage" << QString::number(dice.between(1, 40));
                    break;
                case 13:
                    f << (dice.chance(0.5) ? "--unplug-read" : "--unplug-write") << addr;
                    break;
                default:
                    f << "--status"
                      << "0";
                    break;
            }
        }
        return f;
    }

  private:
    QString bin_, root_;
    QProcess process_;
};

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
          ui_(dice_, files_, o.huge) {
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
            if (w().state().progressVisible() && busyDice_.chance(0.001)) key(Qt::Key_Escape);
            return;
        }
        QTimer::singleShot(0, this, [this] { step(); });
        ++depth_;
        outerModal_.push_back(modal);
        const qint64 started = clock_.elapsed();
        if (QWidget* popup = QApplication::activePopupWidget())
            onPopup(qobject_cast<QMenu*>(popup));
        else if (modal)
            onDialog(modal);
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
            if (dice_.chance(0.5)) return key(Qt::Key_Escape, {}, editor);
            const QString text = cellText(dice_, options_.huge);
            events.add(QString("retype \"%1\" into %2").arg(text, grid->objectName()));
            if (auto* e = qobject_cast<QLineEdit*>(editor)) e->clear();
            typeText(editor, text);
            return key(Qt::Key_Return, {}, editor);
        }
        switch (dice_.weighted({10, 14, grid ? 14 : 0, grid ? 14 : 0, grid ? 8 : 0, grid ? 8 : 0,
                                grid ? 3 : 0, 1, 3, 1})) {
            case 0:
                return menuCommand();
            case 1:
                return randomKey(QApplication::focusWidget() ? QApplication::focusWidget()
                                                             : window_.get());
            case 2:
                return typeCell(*grid);
            case 3:
                return chartGesture();
            case 4:
                return select(*grid);
            case 5:
                return paste(*grid);
            case 6:
                return rightClick(*grid);
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
                for (QWidget* t : QApplication::topLevelWidgets())
                    if (t != window_.get() && t->isVisible() && !qobject_cast<QMenu*>(t)) {
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
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != window_.get() && t->isVisible() && !qobject_cast<QMenu*>(t)) roots << t;
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

    void randomKey(QWidget* target) {
        static const std::array keys = {
            Qt::Key_Escape,   Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,        Qt::Key_Down,
            Qt::Key_Return,   Qt::Key_Tab,  Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_PageUp,
            Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End,    Qt::Key_F2,        Qt::Key_Z,
            Qt::Key_Y,        Qt::Key_C,    Qt::Key_V,      Qt::Key_5,         Qt::Key_Minus,
            Qt::Key_Space};
        const Qt::Key k = dice_.pick(keys);
        Qt::KeyboardModifiers mods;
        if (k == Qt::Key_Z || k == Qt::Key_Y || k == Qt::Key_C || k == Qt::Key_V)
            mods = dice_.chance(0.8) ? Qt::ControlModifier : Qt::NoModifier;
        // Ctrl+Up/Down step the selected cells.
        if ((k == Qt::Key_Up || k == Qt::Key_Down) && dice_.chance(0.4)) mods = Qt::ControlModifier;
        if (dice_.chance(0.2)) mods |= Qt::ShiftModifier;
        key(k, mods, target);
    }

    void key(Qt::Key k, Qt::KeyboardModifiers mods = {}, QWidget* target = nullptr) {
        if (!target)
            target = QApplication::focusWidget() ? QApplication::focusWidget() : window_.get();
        events.add(QString("key %1 on %2")
                       .arg(QKeySequence(int(k) | int(mods)).toString(), target->objectName()));
        QTest::keyClick(target, k, mods);
    }

    QPoint cellPoint(TimingGrid& g, int row, int col) {
        const QModelIndex i = g.model()->index(row, col);
        return g.visualRect(i).center();
    }

    void pickCell(TimingGrid& g, int& row, int& col) {
        row = dice_.chance(0.05) ? 0 : dice_.between(1, g.model()->rowCount() - 1);
        col = dice_.chance(0.05) ? 0 : dice_.between(1, g.model()->columnCount() - 1);
    }

    void typeCell(TimingGrid& g) {
        int row, col;
        pickCell(g, row, col);
        const QString text = cellText(dice_, options_.huge);
        const Qt::Key end = dice_.pick(std::array{Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape,
                                                  Qt::Key_Down, Qt::Key_Right, Qt::Key_Return});
        events.add(QString("type \"%1\" into %2 (%3,%4) then %5")
                       .arg(text, g.objectName())
                       .arg(row)
                       .arg(col)
                       .arg(QKeySequence(end).toString()));
        g.setFocus();
        g.setCurrentCell(row, col);
        if (dice_.chance(0.5)) {
            g.editCell(row, col, text);
        } else {
            QTest::keyClick(&g, Qt::Key_F2);
            if (QWidget* f = QApplication::focusWidget(); f && f != &g) {
                if (auto* e = qobject_cast<QLineEdit*>(f)) e->clear();
                typeText(f, text);
            }
        }
        if (QWidget* f = QApplication::focusWidget()) QTest::keyClick(f, end);
    }

    void select(TimingGrid& g) {
        int r1, c1, r2, c2;
        pickCell(g, r1, c1);
        pickCell(g, r2, c2);
        QWidget* vp = g.viewport();
        Qt::KeyboardModifiers mods = dice_.chance(0.2) ? Qt::ShiftModifier : Qt::NoModifier;
        if (dice_.chance(0.1)) mods = Qt::ControlModifier;
        events.add(QString("select %1 (%2,%3)-(%4,%5) %6")
                       .arg(g.objectName())
                       .arg(r1)
                       .arg(c1)
                       .arg(r2)
                       .arg(c2)
                       .arg(mods ? "with modifier" : ""));
        if (dice_.chance(0.4)) {
            g.setFocus();
            g.setCurrentCell(r1, c1);
            g.extendSelection(r2, c2);
            return;
        }
        if (dice_.chance(0.1)) {
            events.add("  double click");
            QTest::mouseDClick(vp, Qt::LeftButton, mods, cellPoint(g, r1, c1));
            return;
        }
        QTest::mousePress(vp, Qt::LeftButton, mods, cellPoint(g, r1, c1));
        QMouseEvent move(QEvent::MouseMove, cellPoint(g, r2, c2),
                         vp->mapToGlobal(cellPoint(g, r2, c2)), Qt::NoButton, Qt::LeftButton, mods);
        QApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, mods, cellPoint(g, r2, c2));
    }

    void paste(TimingGrid& g) {
        const QString clip = clipText(dice_, options_.huge);
        QString shown = clip.left(80);
        shown.replace('\t', "\\t").replace('\r', "\\r").replace('\n', "\\n");
        events.add("clipboard \"" + shown + "\"");
        QApplication::clipboard()->setText(clip);
        if (dice_.chance(0.5)) select(g);
        const bool is2D = &g == w().tableViews()->grid2D();
        QAction* p = w().action(is2D ? "mnuPopUpPaste2D" : "mnuPopUpPaste3D");
        if (dice_.chance(0.5)) {
            // As a right click would: Paste follows the copy store and the clipboard.
            setPasteForRightClick(w().tableEditor(), is2D ? TableKind::Table2D : TableKind::Table3D,
                                  clip);
        }
        if (p && p->isEnabled()) {
            events.add("menu " + p->objectName());
            p->trigger();
        } else {
            key(Qt::Key_V, Qt::ControlModifier, &g);
        }
    }

    void rightClick(TimingGrid& g) {
        int r, c;
        pickCell(g, r, c);
        events.add(QString("right click %1 (%2,%3)").arg(g.objectName()).arg(r).arg(c));
        QTest::mouseClick(g.viewport(), Qt::RightButton, {}, cellPoint(g, r, c));
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

    void chartGesture() {
        TableViews* v = w().tableViews();
        QWidget* chart = v->chart2D()->isVisible() ? static_cast<QWidget*>(v->chart2D())
                                                   : static_cast<QWidget*>(v->chart3D());
        if (!chart->isVisible()) return;
        const Qt::MouseButton button = dice_.chance(0.7) ? Qt::LeftButton : Qt::RightButton;
        const Qt::KeyboardModifiers mods = dice_.chance(0.3) ? Qt::ShiftModifier : Qt::NoModifier;
        auto at = [&] {
            // Now and then off the widget's edge, as a fast drag leaves it.
            const int m = dice_.chance(0.1) ? 40 : 0;
            return QPoint(dice_.between(-m, chart->width() + m),
                          dice_.between(-m, chart->height() + m));
        };
        const QPoint from = at();
        const int moves = dice_.between(0, 6);
        events.add(QString("drag %1 %2%3 from (%4,%5), %6 moves")
                       .arg(chart->objectName(), button == Qt::LeftButton ? "left" : "right",
                            mods ? "+shift" : "")
                       .arg(from.x())
                       .arg(from.y())
                       .arg(moves));
        auto send = [&](QEvent::Type t, QPoint p, Qt::MouseButton b, Qt::MouseButtons held) {
            QMouseEvent e(t, p, chart->mapToGlobal(p), b, held, mods);
            QApplication::sendEvent(chart, &e);
        };
        send(QEvent::MouseButtonPress, from, button, button);
        if (dice_.chance(0.1)) {
            events.add("  double click");
            send(QEvent::MouseButtonRelease, from, button, Qt::NoButton);
            send(QEvent::MouseButtonDblClick, from, button, button);
        }
        QPoint p = from;
        for (int i = 0; i < moves; ++i) send(QEvent::MouseMove, p = at(), Qt::NoButton, button);
        if (dice_.chance(0.05)) {
            key(Qt::Key_Escape);
            if (!chart->isVisible()) return;
        }
        if (dice_.chance(0.95)) send(QEvent::MouseButtonRelease, p, button, Qt::NoButton);
    }

    // A modal dialog: the parameter dialogs, the wizards, compare, print.
    void onDialog(QWidget* dialog) {
        auto* d = qobject_cast<QDialog*>(dialog);
        const QString name = dialog->objectName().isEmpty() ? dialog->metaObject()->className()
                                                            : dialog->objectName();
        // Printing dialogs only ever go away: a real printer may be behind them.
        if (!d || dialog->inherits("QAbstractPrintDialog") ||
            dialog->inherits("QPageSetupDialog") || qobject_cast<QPrintPreviewDialog*>(dialog)) {
            events.add("reject " + name);
            if (d)
                d->reject();
            else
                dialog->close();
            return;
        }
        QList<QWidget*> controls;
        for (QWidget* c : dialog->findChildren<QWidget*>())
            if (c->isVisible() && c->isEnabled() &&
                (qobject_cast<QAbstractSlider*>(c) || qobject_cast<QAbstractSpinBox*>(c) ||
                 qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c) ||
                 qobject_cast<QAbstractButton*>(c)))
                controls << c;
        // Buttons that end the dialog are pressed less often than the rest is changed.
        if (controls.isEmpty() || dice_.chance(0.15))
            return key(dice_.chance(0.6) ? Qt::Key_Escape : Qt::Key_Return, {}, dialog);
        if (dice_.chance(0.15))
            return randomKey(QApplication::focusWidget() ? QApplication::focusWidget() : dialog);
        QWidget* c = dice_.pick(controls);
        const QString where = name + "." + c->objectName();
        if (auto* s = qobject_cast<QAbstractSlider*>(c)) {
            const int v = dice_.between(s->minimum() - 2, s->maximum() + 2);
            events.add(QString("slider %1 to %2").arg(where).arg(v));
            s->setFocus();
            if (dice_.chance(0.5)) {
                s->setSliderDown(true);
                s->setSliderPosition(v);
                s->setSliderDown(false);
            } else {
                QTest::keyClick(
                    s, dice_.pick(std::array{Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp,
                                             Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End}));
            }
        } else if (auto* b = qobject_cast<QComboBox*>(c)) {
            const int i = dice_.below(b->count());
            events.add(QString("combo %1 to %2").arg(where).arg(i));
            b->setCurrentIndex(i);
        } else if (qobject_cast<QLineEdit*>(c) || qobject_cast<QAbstractSpinBox*>(c)) {
            const QString text = cellText(dice_, options_.huge);
            events.add(QString("type \"%1\" into %2").arg(text, where));
            c->setFocus();
            QTest::keyClick(c, Qt::Key_A, Qt::ControlModifier);
            typeText(c, text);
            if (dice_.chance(0.5))
                QTest::keyClick(c, dice_.chance(0.5) ? Qt::Key_Tab : Qt::Key_Return);
        } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
            events.add("click " + where + " \"" + button->text() + "\"");
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        }
    }

    void check() {
        heartbeatMs = nowMs();
        MainWindow& m = w();
        static_assert(ConfigImage::kImageBytes == 264);
        if (m.image().imageBytes().size() != 264) fail("the buffer lost its 264 bytes");
        const MainState::Menus menus = m.state().menus();
        const std::pair<const char*, bool> items[] = {
            {"mnuNewTable", menus.newTable},    {"mnuEditTimingTable", menus.editTimingTable},
            {"mnuSaveTbl", menus.saveTbl},      {"mnuCloseTbl", menus.closeTbl},
            {"mnuPopUpPaste2D", menus.paste2D}, {"mnuPopUpPaste3D", menus.paste3D}};
        for (const auto& [name, on] : items)
            if (QAction* a = m.action(name); a && a->isEnabled() != on)
                fail(QString("%1 is %2 against the window state").arg(name, on ? "off" : "on"));
        // New is never turned off. Paste may outlive its grid: a download or a file open hides
        // the table and leaves it as it was, and the next right click decides it again.
        if (!menus.newTable) fail("New Timing Table is off");
        TableSession* s = m.tableEditor().session();
        // The status line tells what is unsaved: it must not lag behind.
        const QString status = m.editStatus()->text();
        if (s && status.contains("edits not yet saved") != s->hasEdits())
            fail("the status line says \"" + status + "\" of the table");
        if (status.contains("Buffer:") == bool(m.image().BufferEmpty))
            fail("the status line says \"" + status + "\" of the buffer");
        if (m.state().tableOpen() != (s != nullptr)) fail("the open table and the editor disagree");
        if (s) {
            const bool is2D = s->kind() == TableKind::Table2D;
            if (m.state().openTable() !=
                (is2D ? MainState::OpenTable::Table2D : MainState::OpenTable::Table3D))
                fail("the open table is not the editor's kind");
            if (m.isVisible() &&
                !(is2D ? m.tableViews()->grid2D() : m.tableViews()->grid3D())->isVisible())
                fail("the open table's grid is hidden");
            for (auto [name, can] : {std::pair{"mnuUndo", s->undoStack()->canUndo()},
                                     std::pair{"mnuRedo", s->undoStack()->canRedo()}})
                if (QAction* a = m.action(name); a && a->isEnabled() != can)
                    fail(QString("%1 does not follow the table's history").arg(name));
            for (int r = 1; r <= s->rows(); ++r)
                for (int c = 1; c <= TableSession::kColumns; ++c) {
                    bool number = false;
                    s->text(r, c).trimmed().toDouble(&number);
                    if (std::isnan(s->value(r, c)) || (number && !std::isfinite(s->value(r, c))))
                        fail(QString("cell (%1,%2) \"%3\" holds %4")
                                 .arg(r)
                                 .arg(c)
                                 .arg(s->text(r, c))
                                 .arg(s->value(r, c)));
                }
        }
        // A data file is whole or not there at all.
        for (const QString& path : files_.saved)
            if (QFileInfo fi(path); fi.isFile() && fi.size() != 264)
                fail(QString("%1 holds %2 bytes").arg(path).arg(fi.size()));
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
    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<MainWindow> window_;
    QElapsedTimer clock_;
    int depth_ = 0;
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
    __sanitizer_set_death_callback(onSanitizerDeath);
    std::signal(SIGABRT, onSignal);
    std::signal(SIGSEGV, onSignal);
    qInstallMessageHandler(onQtMessage);

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
