#include "table/ui/compare_dialog.h"

#include "core/numeric.h"

#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velo {

namespace {

// Apart from the timing grid's heat colours, so a mark never reads as a high advance.
const QColor kChanged(240, 170, 240);
// A changed cell keeps both texts: the buffer's at kTextRole, the file's after it.
constexpr int kTextRole = Qt::UserRole;

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

// Tall and wide enough for every cell, so the grid never scrolls.
void fitToCells(QTableWidget* t, int maxRows) {
    t->resizeColumnsToContents();
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

CompareDialog::CompareDialog(const FileComparison& c, bool tableEdits, QWidget* parent)
    : QDialog(parent) {
    setObjectName("frmCompare");
    setWindowTitle("Compare With File");
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
    addLabel("lblCompareFile", QString("The buffer, as Save File would write it, compared with %1.")
                                   .arg(QDir::toNativeSeparators(c.path)));
    if (tableEdits)
        addLabel("lblTableEdits",
                 "The open timing table has edits not yet saved to the buffer; they are not "
                 "included.");
    const ImageDiff& d = c.diff;
    if (d.equal()) {
        addLabel("lblNoDifferences", "No differences.");
    } else {
        if (d.parameters.isEmpty())
            addLabel("lblParameters", "No parameter differs.");
        else
            col->addWidget(makeParameters(d));
        for (const TableKind t : d.tables) {
            int changed = 0;
            for (const auto& cell : d.cells) changed += cell.table == t;
            const QString marked = changed == 0   ? QString("no cell differs")
                                   : changed == 1 ? QString("1 changed cell marked")
                                                  : QString("%1 changed cells marked").arg(changed);
            auto* box = new QGroupBox(
                QString("%1 Timing Table (advance, deg): %2").arg(tableName(t), marked), this);
            box->setObjectName("fraCompare" + tableName(t));
            auto* inner = new QVBoxLayout(box);
            inner->addWidget(makeGrid(c, t));
            col->addWidget(box);
        }
        if (!d.cells.isEmpty()) col->addLayout(makeValueChoice());
        if (d.otherBytes)
            addLabel("lblOtherBytes",
                     QString("%1 other byte%2 of the image differ%3 (not shown by the dialogs or "
                             "a table in use).")
                         .arg(d.otherBytes)
                         .arg(d.otherBytes == 1 ? "" : "s", d.otherBytes == 1 ? "s" : ""));
    }
    auto* row = new QHBoxLayout;
    auto* close = new QPushButton("Close", this);
    close->setObjectName("cmdClose");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    row->addStretch();
    row->addWidget(close);
    col->addLayout(row);
    close->setFocus();
}

QLayout* CompareDialog::makeValueChoice() {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Cell values shown:", this));
    auto* group = new QButtonGroup(this);
    int id = 0;
    for (const auto& [caption, name] :
         {std::pair{"&Buffer", "optShowBuffer"}, {"&File", "optShowFile"}}) {
        auto* b = new QRadioButton(caption, this);
        b->setObjectName(name);
        group->addButton(b, id++);
        row->addWidget(b);
    }
    group->button(0)->setChecked(true);
    row->addStretch();
    connect(group, &QButtonGroup::idClicked, this, [this](int shown) {
        for (QTableWidgetItem* item : changed_)
            item->setText(item->data(kTextRole + shown).toString());
    });
    return row;
}

QTableWidget* CompareDialog::makeParameters(const ImageDiff& d) {
    QTableWidget* t = readOnlyTable(this, d.parameters.size(), 3);
    t->setObjectName("tblParameters");
    t->setAccessibleName("Parameters that differ");
    t->setHorizontalHeaderLabels({"Parameter", "Buffer", "File"});
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

QTableWidget* CompareDialog::makeGrid(const FileComparison& c, TableKind table) {
    const int rows = table == TableKind::Table2D ? 1 : ConfigImage::kMapRows;
    QTableWidget* g = readOnlyTable(this, rows + 1, ConfigImage::kRpmColumns + 1);
    g->setObjectName("grdCompare" + tableName(table));
    g->setAccessibleName(tableName(table) + " timing table, buffer compared with file");
    g->horizontalHeader()->hide();
    g->setItem(0, 0, headerItem(table == TableKind::Table2D ? "RPM" : "MAP/RPM"));
    for (int col = 1; col <= ConfigImage::kRpmColumns; ++col)
        g->setItem(0, col, headerItem(TableSession::rpmLabel(col)));
    for (int r = 1; r <= rows; ++r) {
        QTableWidgetItem* label = headerItem(c.diff.rowText(table, r));
        if (label->text().contains('/'))
            label->setToolTip("MAP for the buffer's sensor / for the file's sensor");
        g->setItem(r, 0, label);
        for (int col = 1; col <= ConfigImage::kRpmColumns; ++col) {
            const double a = cellAdvance(c.buffer, table, r, col);
            const double b = cellAdvance(c.file, table, r, col);
            const auto [ta, tb] = cellTexts(a, b);
            auto* item = new QTableWidgetItem(formatFixed(a, 1));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignCenter);
            if (ta != tb) {
                const QString both = QString("Buffer %1, File %2").arg(ta, tb);
                item->setText(ta);
                item->setData(kTextRole, ta);
                item->setData(kTextRole + 1, tb);
                changed_.push_back(item);
                item->setBackground(kChanged);
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
                item->setToolTip(both);
                item->setData(Qt::AccessibleDescriptionRole, "Changed: " + both);
            }
            g->setItem(r, col, item);
        }
    }
    fitToCells(g, rows + 1);
    g->setFixedSize(g->minimumSize());
    g->setCurrentCell(-1, -1);
    return g;
}

void showCompareDialog(const FileComparison& comparison, bool tableEdits, QWidget* parent) {
    CompareDialog dialog(comparison, tableEdits, parent);
    dialog.exec();
}

}  // namespace velo
