#include "table/ui/timing_grid.h"

#include "core/numeric.h"
#include "table/grid_metrics.h"
#include "table/table_edit.h"
#include "table/table_session.h"

#include <QAbstractTableModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

namespace velo {

namespace {

const QColor kHeaderBack(0xe4, 0xe6, 0xea);
const QColor kCurrentBack(0x1f, 0x3f, 0x7a);  // the current cell: dark, unlike any heat tint
const QColor kCurrentFore(Qt::white);
const QColor kSelectedBack(0xa9, 0xc4, 0xeb);

// A calm scale from cool (little advance) to warm (much), light enough for black text.
QColor heatColour(double t) {
    static const QColor stops[] = {QColor(0xd6, 0xe6, 0xf5), QColor(0xe3, 0xf1, 0xd8),
                                   QColor(0xfb, 0xf0, 0xc4), QColor(0xf7, 0xcf, 0xb0)};
    t = std::clamp(t, 0.0, 1.0) * 3;
    const int i = std::min(2, int(t));
    const double f = t - i;
    auto mix = [f](int a, int b) { return int(std::lround(a + (b - a) * f)); };
    const QColor &a = stops[i], &b = stops[i + 1];
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

}  // namespace

// The grid's cells: header texts of its own, data cells from the open table.
class GridModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setShape(int rows, int cols) {
        beginResetModel();
        rows_ = rows;
        cols_ = cols;
        texts_ = QVector<QString>(rows * cols);
        endResetModel();
    }
    void setSession(TableSession* s) {
        if (session_) session_->disconnect(this);
        session_ = s;
        if (s) {
            auto cell = [this](int r, int c) { changed(index(r, c), index(r, c)); };
            connect(s, &TableSession::textChanged, this, cell);
            connect(s, &TableSession::valueChanged, this, cell);
            connect(s, &TableSession::tableReset, this, [this] { changedAll(); });
        }
        changedAll();
    }
    TableSession* session() const { return session_; }

    bool isData(int r, int c) const {
        return r >= 1 && c >= 1 && r < rows_ && c < cols_ && (!session_ || r <= session_->rows());
    }
    QString text(int r, int c) const {
        if (r < 0 || c < 0 || r >= rows_ || c >= cols_) return {};
        if (session_ && isData(r, c)) return session_->text(r, c);
        return texts_[r * cols_ + c];
    }
    void setText(int r, int c, const QString& t) {
        if (r < 0 || c < 0 || r >= rows_ || c >= cols_) return;
        if (session_ && isData(r, c)) return session_->setText(r, c, t);
        texts_[r * cols_ + c] = t;
        changed(index(r, c), index(r, c));
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : rows_;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : cols_;
    }
    Qt::ItemFlags flags(const QModelIndex& i) const override {
        // Headers are not even enabled: no click, key or selection can reach them.
        if (!isData(i.row(), i.column())) return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }
    QVariant data(const QModelIndex& i, int role) const override {
        const int r = i.row(), c = i.column();
        switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
                return text(r, c);
            case Qt::TextAlignmentRole:
                return int(Qt::AlignCenter);
            case Qt::BackgroundRole:
                if (!isData(r, c)) return kHeaderBack;
                if (!session_) return {};
                return heatColour((session_->value(r, c) - session_->lowerLimit()) /
                                  std::max(1, session_->upperLimit() - session_->lowerLimit()));
            case Qt::FontRole:
                if (session_ && isData(r, c) && session_->cellEdited(r, c)) {
                    QFont f;
                    f.setBold(true);
                    return f;
                }
                return {};
            default:
                return {};
        }
    }
    bool setData(const QModelIndex& i, const QVariant& v, int role) override {
        if (role != Qt::EditRole || !isData(i.row(), i.column())) return false;
        if (session_)
            velo::editCell(*session_, i.row(), i.column(), v.toString());
        else
            setText(i.row(), i.column(), v.toString());
        return true;
    }

  private:
    void changed(const QModelIndex& a, const QModelIndex& b) { emit dataChanged(a, b); }
    void changedAll() {
        if (rows_ > 0 && cols_ > 0) changed(index(0, 0), index(rows_ - 1, cols_ - 1));
    }

    int rows_ = 0, cols_ = 0;
    QVector<QString> texts_;
    QPointer<TableSession> session_;
};

namespace {

// Paints a cell flat: header, current cell, selected cell or the cell's heat colour.
class CellDelegate : public QStyledItemDelegate {
  public:
    explicit CellDelegate(QTableView* view) : QStyledItemDelegate(view), view_(view) {}

    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& i) const override {
        const bool data = i.flags() & Qt::ItemIsEnabled;
        QColor back = i.data(Qt::BackgroundRole).value<QColor>();
        // Headers are disabled items: their text keeps the active colour all the same.
        QColor fore = opt.palette.color(QPalette::Active, QPalette::Text);
        if (data && i == view_->currentIndex()) {
            back = kCurrentBack;
            fore = kCurrentFore;
        } else if (data && (opt.state & QStyle::State_Selected)) {
            back = kSelectedBack;
        }
        if (!back.isValid()) back = opt.palette.color(QPalette::Base);
        p->fillRect(opt.rect, back);
        QFont f = opt.font;
        const QVariant own = i.data(Qt::FontRole);
        if (own.isValid()) f = own.value<QFont>();
        const QString text = i.data(Qt::DisplayRole).toString();
        // A text wider than its column ("MAP/RPM") shrinks rather than being cut.
        const int room = opt.rect.width() - 4;
        QFontMetricsF fm = own.isValid() ? QFontMetricsF(f) : QFontMetricsF(opt.fontMetrics);
        qreal wide = fm.horizontalAdvance(text);
        if (wide > room && room > 0 && f.pointSizeF() > 0) {
            f.setPointSizeF(std::max(6.0, f.pointSizeF() * room / wide));
            fm = QFontMetricsF(f);
            wide = fm.horizontalAdvance(text);
        }
        p->setFont(f);
        p->setPen(fore);
        // Placed by hand: the aligned-rectangle form lays the text out afresh every time.
        const QRectF r = opt.rect;
        p->drawText(QPointF(r.center().x() - wide / 2,
                            r.top() + (r.height() - fm.height()) / 2 + fm.ascent()),
                    text);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* e = new QLineEdit(parent);
        e->setObjectName("cellEditor");
        e->setAlignment(Qt::AlignCenter);
        e->setFrame(false);
        return e;
    }

  private:
    QTableView* view_;
};

}  // namespace

TimingGrid::TimingGrid(QWidget* parent) : QTableView(parent), model_(new GridModel(this)) {
    setModel(model_);
    setItemDelegate(new CellDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    for (QHeaderView* h : {horizontalHeader(), verticalHeader()}) {
        h->setMinimumSectionSize(0);
        h->setSectionResizeMode(QHeaderView::Fixed);
    }
    // One rectangular block: Ctrl+click stretches it as Shift+click does, never adds a cell.
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setToolTip("Click to select or double click to edit cell");
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
                emit currentCellChanged(before.row(), before.column(), now.row(), now.column());
            });
}

TimingGrid::~TimingGrid() = default;

void TimingGrid::setShape(int rows, int cols) {
    model_->setShape(rows, cols);
    setCurrentCell(0, 0);
}

int TimingGrid::rows() const {
    return model_->rowCount();
}

int TimingGrid::cols() const {
    return model_->columnCount();
}

void TimingGrid::setSession(TableSession* session) {
    // An edit in progress is abandoned with the table it belonged to.
    if (QWidget* e = indexWidget(currentIndex()); e && editing())
        closeEditor(e, QAbstractItemDelegate::RevertModelCache);
    session_ = session;
    model_->setSession(session);
}

bool TimingGrid::isDataCell(int row, int col) const {
    return model_->isData(row, col);
}

QString TimingGrid::text(int row, int col) const {
    return model_->text(row, col);
}

void TimingGrid::setText(int row, int col, const QString& text) {
    model_->setText(row, col, text);
}

double TimingGrid::value(int row, int col) const {
    return leadingNumber(text(row, col));
}

int TimingGrid::row() const {
    return std::max(0, currentIndex().row());
}

int TimingGrid::col() const {
    return std::max(0, currentIndex().column());
}

void TimingGrid::setCurrentCell(int row, int col) {
    const QModelIndex i = model_->index(row, col);
    if (!i.isValid()) return;
    selectionModel()->setCurrentIndex(
        i, isDataCell(row, col) ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Clear);
}

double TimingGrid::twipsPerPixel() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return velo::twipsPerPixel(s ? s->logicalDotsPerInchY() : 96);
}

void TimingGrid::moveTwips(int left, int top, int width, int height) {
    const double t = twipsPerPixel();
    setGeometry(int(std::lround(left / t)), int(std::lround(top / t)),
                std::max(0, int(std::lround(width / t))),
                std::max(0, int(std::lround(height / t))));
}

// From the frame rather than the viewport: a hidden grid lays out its viewport late.
int TimingGrid::clientWidthTwips() const {
    return int(std::lround(std::max(0, width() - 2 * frameWidth()) * twipsPerPixel()));
}

int TimingGrid::clientHeightTwips() const {
    return int(std::lround(std::max(0, height() - 2 * frameWidth()) * twipsPerPixel()));
}

// Whole pixels downwards: rounding up would push the last column out of view.
void TimingGrid::setRowHeightTwips(int height) {
    const int px = std::max(0, int(std::floor(height / twipsPerPixel())));
    verticalHeader()->setDefaultSectionSize(px);
    for (int r = 0; r < rows(); ++r) setRowHeight(r, px);
}

void TimingGrid::setColWidthTwips(int width) {
    const int px = std::max(0, int(std::floor(width / twipsPerPixel())));
    horizontalHeader()->setDefaultSectionSize(px);
    for (int c = 0; c < cols(); ++c) setColumnWidth(c, px);
}

}  // namespace velo
