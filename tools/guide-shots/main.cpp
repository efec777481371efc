// velo-guide-shots: the pictures of the user guide, made by the program itself so that
// they show the window as it is today.
//   velo-guide-shots APP_FOLDER OUT_FOLDER
// APP_FOLDER holds the demo images and chart templates (build/bin); the PNG files go
// to OUT_FOLDER (resources/guide).
#include "app/ui/main_window.h"
#include "app/ui/port_setup_frame.h"
#include "app/ui/table_views.h"
#include "core/config_file.h"
#include "core/numeric.h"
#include "core/scripted_interaction.h"
#include "core/ui/qt_interaction.h"
#include "data/file_commands.h"
#include "data/ui/param_dialogs.h"
#include "report/ui/report_painter.h"
#include "table/grid_commands.h"
#include "table/table_commands.h"
#include "table/table_edit.h"
#include "table/ui/check_marks.h"
#include "table/ui/compare_dialog.h"
#include "table/ui/new_table_wizards.h"
#include "table/ui/timing_grid.h"
#include "table/ui/tune_history_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QMenu>
#include <QPainter>
#include <QRadioButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

using namespace velo;

QString outFolder;
int failures = 0;

// The width the guide shows a picture at; the help window scales with the nearest pixel,
// so a smaller picture is made here, smoothly.
constexpr int kGuideWidth = 940;

void save(QImage image, const QString& name) {
    if (image.width() > kGuideWidth)
        image = image.scaledToWidth(kGuideWidth, Qt::SmoothTransformation);
    QImageWriter writer(QDir(outFolder).filePath(name + ".png"), "png");
    // The top of the PNG scale (0 to 100): the pictures are committed.
    writer.setCompression(100);
    // No alpha channel: a window has none, and the file is smaller without.
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(writer.fileName()),
                     qPrintable(writer.errorString()));
        ++failures;
    }
}

// Laid out and painted as on the screen, without its frame.
void shoot(QWidget& w, const QString& name) {
    w.show();
    QApplication::processEvents();
    save(w.grab().toImage(), name);
}

// File > Open File, the file chosen in the open dialog.
bool openDemo(MainWindow& window, ScriptedInteraction& ui, const QString& path) {
    ui.answerFile(path);
    mnuOpenFile_Click(window.context());
    if (window.image().BufferEmpty) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return false;
    }
    return true;
}

void shootReport(MainWindow& window, const BrandInfo& brand, const QString& folder) {
    ConfigImage& image = window.image();
    TableEditor& editor = window.tableEditor();
    ReportInput in;
    in.image = &image;
    in.makerName = brand.makerName();
    // A fixed date keeps the picture the same from one run to the next.
    in.printed = QDateTime(QDate(2026, 3, 14), QTime(10, 30));
    in.comment = "SN 10442 demo tune";
    in.mapLabels = editor.mapSensorShown();
    if (const TableSession* open = editor.session())
        (open->kind() == TableKind::Table2D ? in.table2D : in.table3D) = open;
    const ReportTables tables(in);
    const ReportCharts charts{&tables, folder, std::nullopt};
    // A4 landscape less 10 mm margins.
    const QSizeF page(16838 - 2 * 567, 11906 - 2 * 567);
    const QVector<ReportPage> pages = buildReport(in, tables, page);
    if (pages.isEmpty()) {
        ++failures;
        return;
    }
    // Painted at the guide's width rather than scaled: sharp text.
    const int dpi = int(kGuideWidth * 1440 / page.width());
    QImage sheet = reportPageImage(pages.first(), charts, page, dpi);
    // The sheet's edge, so that it reads as paper on the guide's white.
    QPainter edge(&sheet);
    edge.setPen(QColor(160, 160, 160));
    edge.drawRect(sheet.rect().adjusted(0, 0, -1, -1));
    edge.end();
    save(sheet, "report_page1");
}

// The grid's pop-up over a selected block, as a right click in it shows them.
void shootPopUp(MainWindow& window) {
    TimingGrid* grid = window.tableViews()->grid3D();
    grid->setCurrentCell(2, 4);
    grid->extendSelection(5, 8);
    QMenu* popup = window.menu("mnuPopUpEdit3D");
    popup->adjustSize();
    const QPoint at = grid->visualRect(grid->model()->index(4, 7)).center();
    const QImage cells = grid->grab(QRect(0, 0, 640, grid->height())).toImage();
    QImage shot(cells.width(), std::max(cells.height(), at.y() + popup->height() + 8),
                QImage::Format_RGB32);
    shot.fill(window.palette().color(QPalette::Window));
    QPainter p(&shot);
    p.drawImage(0, 0, cells);
    p.drawImage(at, popup->grab().toImage());
    p.end();
    save(shot, "grid_popup");
}

// The Modify box as the window asks it, shot while it waits for the entry.
void shootModifyBox(MainWindow& window) {
    QtInteraction ui(&window);
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            save(box->grab().toImage(), "modify_box");
            box->close();
        }
    });
    ui.inputBox(kModifyTitle, modifyPrompt(), "+2");
}

// The comparison's Difference choice.
void shootDifference(CompareDialog& dialog) {
    auto* difference = dialog.findChild<QRadioButton*>("optShowDifference");
    if (!difference) {
        ++failures;
        return;
    }
    difference->click();
    shoot(dialog, "compare_difference");
}

// A Modify held at the trigger timing: the status bar's notice, with the grid above it.
void shootLimitNotice(MainWindow& window) {
    TableSession* table = window.tableEditor().session();
    if (!table) {
        ++failures;
        return;
    }
    TimingGrid* grid = window.tableViews()->grid3D();
    grid->setCurrentCell(3, 14);
    grid->extendSelection(6, 19);
    GridCommandRun modify{*table, {3, 14, 6, 19}, "+10"};
    applyGridCommand(*gridCommand("Modify"), modify);
    QApplication::processEvents();
    const QImage whole = window.grab().toImage();
    const int h = whole.height() * 2 / 5;
    save(whole.copy(0, whole.height() - h, whole.width(), h), "limit_notice");
}

// File > Compare With File against a copy of the buffer's tune with a richer top end.
void shootCompare(MainWindow& window, ScriptedInteraction& ui, const QString& demo) {
    QFile in(demo);
    if (!in.open(QIODevice::ReadOnly)) {
        ++failures;
        return;
    }
    QByteArray bytes = in.readAll();
    // Two degrees more advance is 23 counts less retard: 3D rows 4 and 5, 5500 to 6500 RPM.
    for (int row : {4, 5})
        for (int col : {12, 13, 14})
            bytes[ConfigImage::offset3D(col, mapIndexOfRow(row)) - ConfigImage::kFirstAddress] -=
                23;
    // A folder of the same name every run: the dialog shows the path.
    QDir scratch(QDir::temp().filePath("tunes"));
    scratch.mkpath(".");
    const QString path = scratch.filePath("richer.dat");
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
        ++failures;
        return;
    }
    out.close();
    ui.answerFile(path);
    const auto comparison = mnuCompareFile_Click(window.context());
    QFile::remove(path);
    scratch.rmdir(".");
    if (!comparison) {
        ++failures;
        return;
    }
    CompareDialog dialog(*comparison, false, &window);
    shoot(dialog, "compare_file");
    shootDifference(dialog);
}

// File > Tune History on a morning's work, at fixed times so that the picture stays the
// same from one run to the next.
void shootTuneHistory(MainWindow& window, const QString& demo) {
    QFile in(demo);
    QTemporaryDir dir;
    if (!in.open(QIODevice::ReadOnly) || !dir.isValid()) {
        ++failures;
        return;
    }
    QByteArray bytes = in.readAll();
    const char* const entries[][5] = {
        {"08:12", "download", "/dev/ttyUSB0", "IGX-1 V2.1", "as it came in"},
        {"08:31", "table-edits", "Downloaded Data", "IGX-1 V2.1", "before Edit Timing Table"},
        {"08:40", "save", "/home/tuner/tunes/richer.dat", "IGX-1 V2.1", ""},
        {"08:44", "upload-failed", "/dev/ttyUSB0", "IGX-1 V2.1",
         "programming stopped after EEPROM address 143"},
        {"08:46", "upload", "/dev/ttyUSB0", "IGX-1 V2.1", "verified"},
        {"09:20", "download", "/dev/ttyUSB0", "IGX-1 V2.1", "after the dyno: +4 hp at 6000"}};
    {
        TuneHistory store(dir.filePath("history.sqlite"));
        for (const auto& e : entries) {
            bytes[150] = char(bytes[150] + 1);
            store.record(*eventNamed(e[1]), bytes, e[2], e[3], e[4]);
        }
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "shots");
        db.setDatabaseName(dir.filePath("history.sqlite"));
        QSqlQuery q(db.open() ? db : QSqlDatabase());
        int id = 0;
        for (const auto& e : entries)
            q.exec(QString("UPDATE entries SET time = '%1' WHERE id = %2")
                       .arg(QDateTime(QDate(2026, 3, 14), QTime::fromString(e[0], "HH:mm"))
                                .toUTC()
                                .toString(Qt::ISODateWithMs))
                       .arg(++id));
    }
    QSqlDatabase::removeDatabase("shots");
    TuneHistory store(dir.filePath("history.sqlite"));
    TuneHistoryWindow w(window.tableEditor(), store, &window);
    w.resize(900, 300);
    w.view()->selectRow(1);
    shoot(w, "tune_history");
}

}  // namespace

// Edit > Check Timing Table over the 3D demo with one cell pulled down: the grid's marks
// with the findings panel under them.
void shootTableCheck(MainWindow& window) {
    window.action("mnuEditTimingTable")->trigger();
    TableSession* s = window.tableEditor().session();
    if (!s) {
        ++failures;
        return;
    }
    editCell(*s, 3, 9, formatFixed(s->value(3, 9) - 6, 1));
    window.action("mnuCheckTable")->trigger();
    auto* panel = window.findChild<TableCheckPanel*>("dlgTableCheck");
    TimingGrid* grid = window.tableViews()->grid3D();
    if (!panel || !grid) {
        ++failures;
        return;
    }
    grid->setCurrentCell(0, 0);
    panel->resize(kGuideWidth - 40, 150);
    const QImage cells = grid->grab().toImage();
    const QImage list = panel->grab().toImage();
    QImage shot(std::max(cells.width(), list.width()), cells.height() + list.height() + 8,
                QImage::Format_RGB32);
    shot.fill(window.palette().color(QPalette::Window));
    QPainter p(&shot);
    p.drawImage(0, 0, cells);
    p.drawImage(0, cells.height() + 8, list);
    p.end();
    save(shot, "table_check");
    panel->close();
    window.tableEditor().close();
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "Usage: velo-guide-shots APP_FOLDER OUT_FOLDER\n");
        return 2;
    }
    const QString folder = QFileInfo(args[1]).absoluteFilePath();
    // The window makes the application folder current.
    outFolder = QFileInfo(args[2]).absoluteFilePath();
    if (!QDir().mkpath(outFolder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(outFolder));
        return 2;
    }

    // The tuner's own port setting is left alone.
    QTemporaryDir home;
    QSettings settings(home.filePath("user.ini"), QSettings::IniFormat);
    // Nor is the tuner's Tune History.
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    ScriptedInteraction ui(stderr);
    const BrandInfo brand = loadBrandInfo(ui, folder);
    MainWindow window(ui, settings, brand, {folder, {}});
    window.Form_Load();
    window.show();
    // The dialog a file open ends in is shot on its own.
    struct WithoutDialog : NoHooks {
        TableEditor& editor;
        explicit WithoutDialog(TableEditor& e) : editor(e) {}
        void chartSetup3D() override { ChartSetup3D(editor); }
    } commands(window.tableEditor());
    window.context().window = &commands;

    for (const char* dim : {"2d", "3d"}) {
        if (!openDemo(window, ui, QDir(folder).filePath(QString("demo_%1.dat").arg(dim)))) return 1;
        window.action("mnuEditTimingTable")->trigger();
        shoot(window, QString("main_%1").arg(dim));
        window.tableEditor().close();
    }

    frmModParams mod(window.context(), &window);
    shoot(mod, "module_parameters");
    mod.close();
    frmGPIOParams gpio(window.context(), &window);
    shoot(gpio, "gpio_parameters");
    gpio.close();
    frmNew2DTable new2D(window.tableEditor(), &window);
    shoot(new2D, "new_2d_table");
    new2D.close();
    frmNew3DTable new3D(window.tableEditor(), &window);
    shoot(new3D, "new_3d_table");
    new3D.close();

    window.mnuPortSetup_Click();
    QApplication::processEvents();
    save(window.portSetup()->grab().toImage(), "port_setup");
    window.cmdPortSelectOK_Click();

    shootCompare(window, ui, QDir(folder).filePath("demo_3d.dat"));
    window.action("mnuEditTimingTable")->trigger();
    shootPopUp(window);
    shootModifyBox(window);
    shootReport(window, brand, folder);
    shootLimitNotice(window);
    window.tableEditor().close();
    shootTuneHistory(window, QDir(folder).filePath("demo_3d.dat"));
    shootTableCheck(window);
    return failures ? 1 : 0;
}
