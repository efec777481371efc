#include "table/ui/compare_dialog.h"

#include "core/numeric.h"
#include "table/csv_commands.h"
#include "table/table_commands.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace velo {

namespace {

// Apart from the timing grid's heat colours, so a mark never reads as a high advance.
const QColor kChanged(240, 170, 240);
// A changed cell keeps its texts: A's at kTextRole, then B's, then B - A; and the colour
// of B - A.
constexpr int kTextRole = Qt::UserRole;
constexpr int kDifferenceColourRole = Qt::UserRole + 3;
constexpr int kShowDifference = 2;

// B - A, signed, with the decimals that keep it from reading 0.
QString differenceText(double a, double b) {
    const double d = b - a;
    QString t;
    for (int decimals = 1; decimals <= 4; ++decimals) {
        t = formatFixed(std::abs(d), decimals);
        if (t.toDouble() != 0) break;
    }
    return (d < 0 ? "-" : "+") + t;
}

QString tableName(TableKind t) {
    return t == TableKind::Table2D ? "2D" : "3D";
}

QTableWidget* readOnlyTable(QWidget* parent, int rows, int cols) {
    auto* t = new QTableWidget(rows, cols, parent);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 8);
    t->setWordWrap(false);
    return t;
}

// Tall and wide enough for every cell, so the grid never scrolls; `widths` where the
// texts change after this.
void fitToCells(QTableWidget* t, int maxRows, const QVector<int>& widths = {}) {
    if (widths.isEmpty()) t->resizeColumnsToContents();
    for (int c = 0; c < widths.size(); ++c) t->setColumnWidth(c, widths[c]);
    int width = 2 * t->frameWidth(), height = 2 * t->frameWidth();
    for (int c = 0; c < t->columnCount(); ++c) width += t->columnWidth(c);
    for (int r = 0; r < std::min(t->rowCount(), maxRows); ++r) height += t->rowHeight(r);
    if (!t->horizontalHeader()->isHidden()) height += t->horizontalHeader()->sizeHint().height();
    t->setMinimumWidth(width +
                       (t->rowCount() > maxRows ? t->verticalScrollBar()->sizeHint().width() : 0));
    t->setMinimumHeight(height);
    if (t->rowCount() <= maxRows) t->setMaximumHeight(height);
    t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QTableWidgetItem* headerItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignCenter);
    QFont f = item->font();
    f.setBold(true);
    item->setFont(f);
    item->setBackground(QColor(228, 228, 228));
    return item;
}

}  // namespace

QColor differenceColour(double degrees) {
    const double t = std::min(std::abs(degrees) / 5, 1.0);
    // Even a small difference shows a tint.
    const double k = degrees == 0 ? 0 : 0.2 + 0.8 * t;
    const QColor full = degrees > 0 ? QColor(222, 96, 62) : QColor(70, 120, 214);
    auto mix = [k](int c) { return int(std::lround(255 + (c - 255) * k)); };
    return QColor(mix(full.red()), mix(full.green()), mix(full.blue()));
}

CompareSides CompareSides::ofFile(const FileComparison& c, PressureUnit unit) {
    CompareSides s;
    s.a = c.buffer;
    s.b = c.file;
    s.intro = QString("The buffer, as Save File would write it, compared with %1.")
                  .arg(QDir::toNativeSeparators(c.path));
    s.unit = unit;
    return s;
}

CompareDialog::CompareDialog(const CompareSides& sides, bool tableEdits, QWidget* parent)
    : QDialog(parent), sides_(sides) {
    setObjectName("frmCompare");
    setWindowTitle(sides.title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* col = new QVBoxLayout(this);
    // Wide enough for the title, and never narrower than a grid: a minimum width of the
    // dialog's own would hide the grid's last columns.
    col->addStrut(fontMetrics().averageCharWidth() * 70);
    col->setSizeConstraint(QLayout::SetMinimumSize);
    auto addLabel = [this, col](const QString& name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        col->addWidget(l);
        return l;
    };
    addLabel("lblCompareFile", sides.intro);
    if (tableEdits)
        addLabel("lblTableEdits",
                 "The open timing table has edits not yet saved to the buffer; they are not "
                 "included.");
    const ImageDiff d = compareImages(sides.a, sides.b);
    if (d.equal()) {
        addLabel("lblNoDifferences", "No differences.");
    } else {
        if (d.parameters.isEmpty() && !sides.preview)
            addLabel("lblParameters", "No parameter differs.");
        else
            col->addWidget(makeParameters(d));
        for (const TableKind t : d.tables) {
            int changed = 0;
            for (const auto& cell : d.cells) changed += cell.table == t;
            const QString marked = changed == 0   ? QString("no cell differs")
                                   : changed == 1 ? QString("1 changed cell marked")
                                                  : QString("%1 changed cells marked").arg(changed);
            const QString unit = t == TableKind::Table3D ? mapUnitPhrase(sides.unit) : QString();
            auto* box = new QGroupBox(
                QString("%1 Timing Table (advance, deg%2): %3").arg(tableName(t), unit, marked),
                this);
            box->setObjectName("fraCompare" + tableName(t));
            auto* inner = new QVBoxLayout(box);
            if (t == TableKind::Table3D && d.byPressure()) {
                auto* l = new QLabel(
                    QString("The %1 has a %2 bar MAP sensor and the %3 a %4 bar one: each row "
                            "is compared with the %3's advance at the same pressure; * marks a "
                            "row the %3 does not have, its advance there interpolated between "
                            "its two nearest rows or, beyond them, that of its nearest row.")
                        .arg(sides.labelA.toLower())
                        .arg(d.mapSensorA + 1)
                        .arg(sides.labelB.toLower())
                        .arg(d.mapSensorB + 1),
                    box);
                l->setObjectName("lblMapSensors");
                l->setWordWrap(true);
                inner->addWidget(l);
            }
            inner->addWidget(makeGrid(d, t));
            col->addWidget(box);
        }
        if (!d.cells.isEmpty()) {
            col->addLayout(makeValueChoice());
            legend_ = addLabel("lblDifferenceScale",
                               QString("%1 minus %2 in degrees: red where %1 advances more, blue "
                                       "where it advances less; the deeper, the larger (5° and "
                                       "more the deepest).")
                                   .arg(sides.labelB, sides.labelA));
            legend_->hide();
        }
        if (d.otherBytes)
            addLabel("lblOtherBytes",
                     QString("%1 other byte%2 of the image differ%3 (not shown by the dialogs or "
                             "a table in use).")
                         .arg(d.otherBytes)
                         .arg(d.otherBytes == 1 ? "" : "s", d.otherBytes == 1 ? "s" : ""));
    }
    fitGrids();
    const int shown = sides.preview && !d.cells.isEmpty() ? kShowDifference : 0;
    showValues(shown);
    if (auto* b = findChild<QRadioButton*>(shown ? "optShowDifference" : "optShow" + sides.labelA))
        b->setChecked(true);
    auto* row = new QHBoxLayout;
    auto* close = new QPushButton(sides.preview ? "OK" : "Close", this);
    close->setObjectName(sides.preview ? "cmdOK" : "cmdClose");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    row->addStretch();
    row->addWidget(close);
    if (sides.preview) {
        auto* cancel = new QPushButton("Cancel", this);
        cancel->setObjectName("cmdCancel");
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        row->addWidget(cancel);
    }
    col->addLayout(row);
    close->setFocus();
}

QLayout* CompareDialog::makeValueChoice() {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Cell values shown:", this));
    auto* group = new QButtonGroup(this);
    int id = 0;
    const QString choices[][2] = {{"&" + sides_.labelA, "optShow" + sides_.labelA},
                                  {"&" + sides_.labelB, "optShow" + sides_.labelB},
                                  {"&Difference", "optShowDifference"}};
    for (const auto& [caption, name] : choices) {
        auto* b = new QRadioButton(caption, this);
        b->setObjectName(name);
        group->addButton(b, id++);
        row->addWidget(b);
    }
    group->button(0)->setChecked(true);
    row->addStretch();
    connect(group, &QButtonGroup::idClicked, this, &CompareDialog::showValues);
    return row;
}

void CompareDialog::showValues(int shown) {
    const bool difference = shown == kShowDifference;
    for (QTableWidgetItem* item : changed_) {
        item->setText(item->data(kTextRole + shown).toString());
        item->setBackground(difference ? item->data(kDifferenceColourRole).value<QColor>()
                                       : kChanged);
    }
    // Unchanged cells would read as values among differences: they step back.
    for (QTableWidgetItem* item : unchanged_)
        item->setForeground(difference ? QColor(190, 190, 190) : palette().text().color());
    if (legend_) legend_->setVisible(difference);
}

QTableWidget* CompareDialog::makeParameters(const ImageDiff& d) {
    QTableWidget* t = readOnlyTable(this, d.parameters.size(), 3);
    t->setObjectName("tblParameters");
    t->setAccessibleName("Parameters that differ");
    t->setHorizontalHeaderLabels({"Parameter", sides_.labelA, sides_.labelB});
    t->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < d.parameters.size(); ++i) {
        const auto& p = d.parameters[i];
        int c = 0;
        for (const QString& text : {p.name, p.a, p.b}) {
            auto* item = new QTableWidgetItem(text);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            t->setItem(i, c++, item);
        }
    }
    fitToCells(t, 8);
    return t;
}

QTableWidget* CompareDialog::makeGrid(const ImageDiff& diff, TableKind table) {
    const int rows = table == TableKind::Table2D ? 1 : ConfigImage::kMapRows;
    QTableWidget* g = readOnlyTable(this, rows + 1, ConfigImage::kRpmColumns + 1);
    g->setObjectName("grdCompare" + tableName(table));
    g->setAccessibleName(
        QString("%1 timing table, %2 compared with %3")
            .arg(tableName(table), sides_.labelA.toLower(), sides_.labelB.toLower()));
    g->horizontalHeader()->hide();
    g->setItem(0, 0, headerItem(table == TableKind::Table2D ? "RPM" : "MAP/RPM"));
    for (int col = 1; col <= ConfigImage::kRpmColumns; ++col)
        g->setItem(0, col, headerItem(TableSession::rpmLabel(col)));
    for (int r = 1; r <= rows; ++r) {
        QTableWidgetItem* label = headerItem(diff.rowText(table, r, sides_.unit));
        const QString source = diff.rowSource(table, r, sides_.unit);
        if (!source.isEmpty())
            label->setToolTip(QString("The %1 has no row at this MAP: its advance here is %2.")
                                  .arg(sides_.labelB.toLower(), source));
        g->setItem(r, 0, label);
        // Read between rows, an advance is as exact as the grid's 0.1 degrees.
        const bool byPressure = table == TableKind::Table3D && diff.byPressure();
        for (int col = 1; col <= ConfigImage::kRpmColumns; ++col) {
            const double a = cellAdvance(sides_.a, table, r, col);
            const double b = diff.advanceB(sides_.b, table, r, col);
            const auto [ta, tb] =
                byPressure ? std::pair{formatFixed(a, 1), formatFixed(b, 1)} : cellTexts(a, b);
            auto* item = new QTableWidgetItem(formatFixed(a, 1));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignCenter);
            if (ta != tb) {
                const QString both =
                    QString("%1 %2, %3 %4, difference %5")
                        .arg(sides_.labelA, ta, sides_.labelB, tb, differenceText(a, b));
                item->setText(ta);
                item->setData(kTextRole, ta);
                item->setData(kTextRole + 1, tb);
                item->setData(kTextRole + kShowDifference, differenceText(a, b));
                item->setData(kDifferenceColourRole, differenceColour(b - a));
                changed_.push_back(item);
                item->setBackground(kChanged);
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
                item->setToolTip(both);
                item->setData(Qt::AccessibleDescriptionRole, "Changed: " + both);
            } else {
                unchanged_.push_back(item);
            }
            g->setItem(r, col, item);
        }
    }
    g->setCurrentCell(-1, -1);
    grids_.push_back(g);
    return g;
}

void CompareDialog::fitGrids() {
    for (QTableWidget* g : grids_) {
        QVector<int> widths(g->columnCount(), 0);
        for (int shown = 0; shown <= kShowDifference; ++shown) {
            showValues(shown);
            g->resizeColumnsToContents();
            for (int c = 0; c < g->columnCount(); ++c)
                widths[c] = std::max(widths[c], g->columnWidth(c));
        }
        fitToCells(g, g->rowCount(), widths);
        g->setFixedSize(g->minimumSize());
    }
}

void showCompareDialog(const CompareSides& sides, bool tableEdits, QWidget* parent) {
    CompareDialog dialog(sides, tableEdits, parent);
    dialog.exec();
}

void showBufferComparison(TableEditor& editor, const FileComparison& c, QWidget* parent) {
    const TableSession* open = editor.session();
    showCompareDialog(CompareSides::ofFile(c, editor.pressureUnit()), open && open->hasEdits(),
                      parent);
}

CompareSides importSides(const TableEditor& editor, const ImportPreview& preview,
                         const QString& file) {
    CompareSides s;
    s.a = preview.before;
    s.b = preview.after;
    s.labelA = "Table";
    s.labelB = "Import";
    s.title = "Import Timing Table From CSV";
    s.intro = QString(
                  "What importing %1 changes in the open timing table. OK takes it as one "
                  "step (Undo brings the table back); Cancel leaves the table as it is.")
                  .arg(file);
    s.unit = editor.pressureUnit();
    s.preview = true;
    return s;
}

bool confirmImport(const TableEditor& editor, const ImportPreview& preview, const QString& file,
                   const QSettings& settings, QWidget* parent) {
    if (!settings.value("CsvImport/Preview", true).toBool()) return true;
    CompareDialog dialog(importSides(editor, preview, file), false, parent);
    return dialog.exec() == QDialog::Accepted;
}

void compareWithFile(TableEditor& editor) {
    if (const auto c = mnuCompareFile_Click(editor.ctx))
        showBufferComparison(editor, *c, QApplication::activeWindow());
}

}  // namespace velo
