#include "table/ui/check_marks.h"

#include "data/config_image.h"
#include "table/table_commands.h"
#include "table/ui/timing_grid.h"

#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QToolTip>
#include <QVBoxLayout>

namespace velo {

namespace {
// Neither a heat tint, the selection's blue nor the current cell's navy; wide enough to
// read on the navy of the current cell as well.
const QColor kMark(0xe0, 0x10, 0x90);
constexpr double kMarkWidth = 3;
}  // namespace

CheckMarkDelegate::CheckMarkDelegate(TimingGrid* grid)
    : QStyledItemDelegate(grid), inner_(grid->itemDelegate()) {
    setObjectName("checkMarks");
    grid->setItemDelegate(this);
}

void CheckMarkDelegate::setFindings(const QVector<TableFinding>& findings,
                                    const CheckRules& rules) {
    tips_.clear();
    for (const TableFinding& f : findings)
        if (!f.isNote()) tips_[f.row * 100 + f.col] << f.sentence(rules);
    if (auto* view = qobject_cast<QAbstractItemView*>(parent())) view->viewport()->update();
}

QString CheckMarkDelegate::tipAt(int row, int col) const {
    return tips_.value(row * 100 + col).join('\n');
}

void CheckMarkDelegate::paint(QPainter* p, const QStyleOptionViewItem& opt,
                              const QModelIndex& i) const {
    if (inner_) inner_->paint(p, opt, i);
    if (!tips_.contains(i.row() * 100 + i.column())) return;
    p->save();
    p->setPen(QPen(kMark, kMarkWidth));
    p->setBrush(Qt::NoBrush);
    const double in = kMarkWidth / 2;
    p->drawRect(QRectF(opt.rect).adjusted(in, in, -in, -in));
    p->restore();
}

QWidget* CheckMarkDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& opt,
                                         const QModelIndex& i) const {
    return inner_ ? inner_->createEditor(parent, opt, i)
                  : QStyledItemDelegate::createEditor(parent, opt, i);
}

bool CheckMarkDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& opt, const QModelIndex& i) {
    const QString tip = tipAt(i.row(), i.column());
    if (event->type() != QEvent::ToolTip || tip.isEmpty())
        return inner_ ? inner_->helpEvent(event, view, opt, i)
                      : QStyledItemDelegate::helpEvent(event, view, opt, i);
    QToolTip::showText(event->globalPos(), tip, view, opt.rect);
    return true;
}

TableCheckPanel::TableCheckPanel(TableEditor& editor, TimingGrid* grid2D, TimingGrid* grid3D,
                                 const QSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Tool),
      editor_(editor),
      grid2D_(grid2D),
      grid3D_(grid3D),
      settings_(settings) {
    setObjectName("dlgTableCheck");
    setWindowTitle("Check Timing Table");
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setObjectName("lblCheckSummary");
    summary_->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName("lstFindings");
    list_->setWordWrap(true);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("cmdCheckClose");
    layout->addWidget(summary_);
    layout->addWidget(list_, 1);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(440, 230);

    for (TimingGrid* g : {grid2D_, grid3D_}) new CheckMarkDelegate(g);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int n = list_->row(item);
        if (n < 0 || n >= listed_.size() || !editor_.session()) return;
        TimingGrid* grid = gridFor(editor_.session()->kind());
        grid->setCurrentCell(listed_[n].row, listed_[n].col);
        grid->scrollTo(grid->currentIndex());
    });
    // The marks follow the table: every edit checks again, a closed table takes them.
    again_.setSingleShot(true);
    again_.setInterval(0);
    connect(&again_, &QTimer::timeout, this, [this] {
        if (!isVisible()) return;
        recheck();
        if (toldCount_ != findings_.size()) tellCount();
    });
    follow(editor_.session());
    // The sentences name MAP rows in the unit of the moment.
    connect(&editor_, &TableEditor::mapLabelsChanged, this, [this] { again_.start(); });
    connect(&editor_, &TableEditor::sessionChanged, this, [this](TableSession* s) {
        if (!s) {
            clearMarks();
            hide();
        }
        follow(s);
    });
    connect(this, &QDialog::finished, this, [this] { clearMarks(); });
}

void TableCheckPanel::follow(TableSession* s) {
    if (!s) return;
    // A paste or an undo changes many cells one by one: one check once they all have.
    auto again = [this] { again_.start(); };
    connect(s, &TableSession::valueChanged, this, again);
    connect(s, &TableSession::tableReset, this, again);
}

TimingGrid* TableCheckPanel::gridFor(TableKind kind) const {
    return kind == TableKind::Table2D ? grid2D_ : grid3D_;
}

void TableCheckPanel::clearMarks() {
    for (TimingGrid* g : {grid2D_, grid3D_})
        if (auto* marks = dynamic_cast<CheckMarkDelegate*>(g->itemDelegate()))
            marks->setFindings({}, {});
}

void TableCheckPanel::recheck() {
    clearMarks();
    const TableSession* s = editor_.session();
    if (!s) return;
    const CheckRules rules = CheckRules::fromSettings(settings_);
    const QVector<TableFinding> all =
        checkTable(openTable(*s, editor_.mapSensorShown()), rules, editor_.pressureUnit());
    findings_.clear();
    for (const TableFinding& f : all)
        if (!f.isNote()) findings_ << f;
    if (auto* marks = dynamic_cast<CheckMarkDelegate*>(gridFor(s->kind())->itemDelegate()))
        marks->setFindings(findings_, rules);
    const QSignalBlocker block(list_);
    list_->clear();
    // The notes below the findings, greyed: what the summary counts is there to see.
    listed_ = all;
    for (const TableFinding& f : all) {
        auto* item = new QListWidgetItem(f.sentence(rules), list_);
        if (f.isNote()) item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    }
    int atTrigger = 0;
    for (const TableFinding& f : all) atTrigger += f.kind == TableFinding::AtTrigger;
    const int atLower = int(all.size() - findings_.size()) - atTrigger;
    summary_->setText(
        QString("%1: spikes of more than %2° from their neighbours, advance rising "
                "more than %3° with load. Notes: %4 cells at the trigger timing, %5 at the "
                "lower limit.")
            .arg(findingsText(int(findings_.size())))
            .arg(rules.spike, 0, 'f', 1)
            .arg(rules.loadRise, 0, 'f', 1)
            .arg(atTrigger)
            .arg(atLower));
}

void mnuCheckTable_Click(TableEditor& editor, TimingGrid* grid2D, TimingGrid* grid3D,
                         const QSettings& settings, QWidget* window) {
    const AppContext& ctx = editor.ctx;
    if (!editor.session()) {
        if (ctx.image.BufferEmpty || !ctx.image.tableInUse()) {
            ctx.ui.message("Check Timing Table", kNoTableInUse);
            return;
        }
        mnuEditTimingTable_Click(editor);
        if (!editor.session()) return;
    }
    auto* panel = window->findChild<TableCheckPanel*>("dlgTableCheck");
    if (!panel) {
        panel = new TableCheckPanel(editor, grid2D, grid3D, settings, window);
        // At the window's top right, over the chart's legend rather than its middle.
        const QRect w = window->geometry();
        panel->move(w.right() - panel->width() - 24, w.top() + 40);
    }
    panel->recheck();
    panel->show();
    panel->raise();
    panel->tellCount();
}

void TableCheckPanel::tellCount() {
    toldCount_ = int(findings_.size());
    editor_.ctx.tell(QString("Timing table checked: %1.").arg(findingsText(toldCount_)));
}

}  // namespace velo
