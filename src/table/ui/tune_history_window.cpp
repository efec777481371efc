#include "table/ui/tune_history_window.h"

#include "core/error_report.h"
#include "data/data_file.h"
#include "data/file_commands.h"
#include "data/history_records.h"
#include "table/ui/compare_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace velo {

namespace {

constexpr const char* kTitle = "Tune History";

QString nameOf(const HistoryEntry& e) {
    return QString("Tune History entry %1 (%2, %3)")
        .arg(e.id)
        .arg(e.time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss"), e.event);
}

// An entry decoded as a data file of its bytes would be.
ConfigImage imageOf(const HistoryEntry& e) {
    ConfigImage image;
    image.loadImageBytes(imageBytesOf(e.bytes));
    return image;
}

}  // namespace

TuneHistoryWindow::TuneHistoryWindow(TableEditor& editor, TuneHistory& store, QWidget* parent)
    : QDialog(parent),
      editor_(editor),
      ctx_(editor.ctx),
      store_(store),
      model_(new HistoryModel(store, this)) {
    setObjectName("frmTuneHistory");
    setWindowTitle(kTitle);
    auto* col = new QVBoxLayout(this);
    filter_ = new QLineEdit(this);
    filter_->setObjectName("txtFilter");
    filter_->setPlaceholderText("Filter: any text of an entry");
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, model_, &HistoryModel::setFilter);
    col->addWidget(filter_);

    view_ = new QTableView(this);
    view_->setObjectName("grdHistory");
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 8);
    view_->setWordWrap(false);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->setColumnWidth(HistoryModel::Time, 150);
    view_->setColumnWidth(HistoryModel::Event, 110);
    view_->setColumnWidth(HistoryModel::Source, 260);
    col->addWidget(view_, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName("historyButtons");
    auto add = [&](const char* name, const char* caption, void (TuneHistoryWindow::*run)()) {
        QPushButton* b = buttons->addButton(caption, QDialogButtonBox::ActionRole);
        b->setObjectName(name);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, run);
        return b;
    };
    compareBuffer_ =
        add("cmdCompareBuffer", "Compare With Buffer", &TuneHistoryWindow::compareWithBuffer);
    compareTwo_ = add("cmdCompareTwo", "Compare Two", &TuneHistoryWindow::compareTwo);
    open_ = add("cmdOpenInBuffer", "Open In Buffer", &TuneHistoryWindow::openInBuffer);
    saveAs_ = add("cmdSaveAs", "Save As...", &TuneHistoryWindow::saveAs);
    buttons->addButton(QDialogButtonBox::Close)->setObjectName("cmdClose");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    col->addWidget(buttons);

    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TuneHistoryWindow::updateButtons);
    connect(model_, &QAbstractItemModel::modelReset, this, &TuneHistoryWindow::updateButtons);
    updateButtons();
    // The key that opens the window shows what other programs have kept since.
    for (const QKeySequence& key : {QKeySequence(Qt::CTRL | Qt::Key_H), QKeySequence(Qt::Key_F5)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &TuneHistoryWindow::refresh);
    resize(900, 480);
}

void TuneHistoryWindow::refresh() {
    model_->reload();
}

QVector<HistoryEntry> TuneHistoryWindow::selected() const {
    QVector<HistoryEntry> out;
    QModelIndexList rows = view_->selectionModel()->selectedRows();
    // Newest first in the view: the older entry goes first, on the buffer's side.
    std::sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.row() > b.row(); });
    for (const QModelIndex& i : rows) {
        const qint64 id = model_->entryAt(i.row()).id;
        if (auto e = store_.entry(id)) {
            out << *e;
            continue;
        }
        // A damaged or unreadable entry is named, never passed on as a tune.
        ctx_.ui.message(kTitle,
                        store_.error().isEmpty() ? QString("No entry %1 in Tune History.").arg(id)
                                                 : store_.error(),
                        Buttons::Ok, Icon::Exclamation);
        return {};
    }
    return out;
}

void TuneHistoryWindow::updateButtons() {
    const int n = int(view_->selectionModel()->selectedRows().size());
    for (QPushButton* b : {compareBuffer_, open_, saveAs_}) b->setEnabled(n == 1);
    compareTwo_->setEnabled(n == 2);
}

void TuneHistoryWindow::compareWithBuffer() {
    const QVector<HistoryEntry> s = selected();
    if (s.size() != 1) return;
    auto c = compareBufferWith(ctx_, QString("@%1").arg(s[0].id), "Compare With Buffer");
    if (!c) return;
    c->path = nameOf(s[0]);
    showBufferComparison(editor_, *c, this);
}

void TuneHistoryWindow::compareTwo() {
    const QVector<HistoryEntry> s = selected();
    if (s.size() != 2) return;
    CompareSides sides;
    sides.a = imageOf(s[0]);
    sides.b = imageOf(s[1]);
    sides.title = "Compare Two";
    sides.intro = QString("%1, shown as Buffer, compared with %2, shown as File.")
                      .arg(nameOf(s[0]), nameOf(s[1]));
    sides.unit = editor_.pressureUnit();
    showCompareDialog(sides, false, this);
}

void TuneHistoryWindow::openInBuffer() {
    const QVector<HistoryEntry> s = selected();
    if (s.size() != 1) return;
    mnuOpenFile_Click(ctx_, QString("@%1").arg(s[0].id));
    refresh();
}

void TuneHistoryWindow::saveAs() {
    const QVector<HistoryEntry> s = selected();
    if (s.size() != 1) return;
    if (s[0].bytes.size() != ConfigImage::kImageBytes) return;
    Trap trap(ctx_.ui);
    QString path, filter = kDataFileFilter, exists;
    if (!trap.step([&] { path = FileSave(ctx_.ui, "Save As", filter, exists); }) || path.isEmpty())
        return;
    ImageBytes bytes;
    std::copy(s[0].bytes.begin(), s[0].bytes.end(), bytes.begin());
    history::keepFileBeforeReplace(ctx_.history, path, s[0].bytes);
    if (const QString why = writeDataFile(path, bytes); !why.isEmpty())
        ctx_.ui.message("Save As", QString("%1: %2").arg(QDir::toNativeSeparators(path), why),
                        Buttons::Ok, Icon::Exclamation);
    else
        ctx_.tell(QString("Tune History entry %1 saved as %2.")
                      .arg(s[0].id)
                      .arg(QDir::toNativeSeparators(path)));
}

}  // namespace velo
