#include "table/table_session.h"

#include "core/error_report.h"
#include "core/numeric.h"
#include "data/config_image.h"
#include "table/limit_notice.h"

#include <QRegularExpression>
#include <algorithm>
#include <utility>

namespace velo {

TableSession::TableSession(TableKind kind, const ConfigImage& image, QObject* parent)
    : QObject(parent), kind_(kind), image_(&image) {
    reload(image);
}

int TableSession::trigTiming() const {
    return image_->TrigTiming;
}

bool TableSession::cellEdited(int row, int col) const {
    const int i = index(row, col);
    return values_[i] != original_[i] || texts_[i] != originalTexts_[i];
}

bool TableSession::hasEdits() const {
    return newTable || values_ != original_ || texts_ != originalTexts_;
}

void TableSession::setValue(int row, int col, double v) {
    double& cell = values_[index(row, col)];
    if (cell == v) return;
    cell = v;
    emit valueChanged(row, col);
}

void TableSession::setText(int row, int col, const QString& text) {
    QString& cell = texts_[index(row, col)];
    if (cell == text) return;
    cell = text;
    emit textChanged(row, col);
}

void TableSession::copyChartToGrid() {
    for (int i = 0; i < values_.size(); ++i) texts_[i] = formatFixed(values_[i], 1);
    emit tableReset();
}

void TableSession::reload(const ConfigImage& image) {
    undoStack_.clear();
    actionDepth_ = 0;
    values_.resize(rows() * kColumns);
    for (int r = 1; r <= rows(); ++r)
        for (int c = 1; c <= kColumns; ++c)
            values_[index(r, c)] = kind_ == TableKind::Table2D ? image.Table2D(c, 1)
                                                               : image.Table3D(c, mapIndexOfRow(r));
    original_ = values_;
    texts_.resize(values_.size());
    copyChartToGrid();
    originalTexts_ = texts_;
}

namespace {
// A complete number: blanks around it allowed, nothing else.
bool isNumber(const QString& text) {
    static const QRegularExpression number(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?\s*$)");
    return number.match(text).hasMatch();
}
}  // namespace

std::optional<QString> TableSession::validateEdit(const QString& text) const {
    if (isNumber(text) && gridCheckTakes(kind_, trigTiming(), leadingNumber(text)))
        return std::nullopt;
    if (kind_ == TableKind::Table2D) {
        return QString(
                   "Timing must be numeric value greater than zero and within %1 degrees of "
                   "trigger timing.")
            .arg(ConfigImage::TimingRange);
    }
    return QString("Timing must be numeric value between %1 and %2 degrees.")
        .arg(lowerLimit())
        .arg(upperLimit());
}

void TableSession::acceptEdit(int row, int col, const QString& text) {
    setText(row, col, text);
    setValue(row, col, leadingNumber(text));
}

double TableSession::dragTarget(double startValue, int originY, int y) {
    return double(roundHalfEven(startValue * 5 + 0.5 * (originY - y))) * 0.2;
}

double TableSession::dragValue(double startValue, int originY, int y) const {
    return limited(LimitRule::Drag, dragTarget(startValue, originY, y));
}

void TableSession::dragCell(int row, int col, double startValue, int originY, int y) {
    const double v = dragValue(startValue, originY, y);
    noteLimit(row, col, dragTarget(startValue, originY, y), v);
    setValue(row, col, v);
}

void TableSession::noteLimit(int row, int col, double wanted, double got) {
    if (wanted == got)
        limited_.remove(index(row, col));
    else
        limited_[index(row, col)] = got;
}

void TableSession::copyToTableArray(ConfigImage& image) {
    if (actionDepth_ > 0 && !arraysImage_) {
        arraysImage_ = &image;
        arraysStart_ = std::make_shared<const ConfigImage>(image);
    }
    writeArray(image);
}

void TableSession::writeArray(ConfigImage& image) const {
    for (int r = 1; r <= rows(); ++r)
        for (int c = 1; c <= kColumns; ++c) {
            if (kind_ == TableKind::Table2D) {
                image.Table2D(c, 1) = value(r, c);
                image.Table2D(c, 2) = limitLine(c);
            } else {
                image.Table3D(c, mapIndexOfRow(r)) = value(r, c);
            }
        }
}

bool TableSession::save(ConfigImage& image, Trap& trap) const {
    // The whole chart into the array first: an overflow answered with Abort leaves the
    // array whole and only the region's bytes part done.
    writeArray(image);
    // The encoding is relative to the trigger timing of the moment.
    const int t = image.TrigTiming;
    for (int r = 1; r <= rows(); ++r) {
        for (int c = 1; c <= kColumns; ++c) {
            const bool ok = trap.step([&] {
                if (kind_ == TableKind::Table2D)
                    image.DataBuffer[ConfigImage::offset2D(c)] =
                        ConfigImage::encodeCell(t, image.Table2D(c, 1));
                else
                    image.DataBuffer[ConfigImage::offset3D(c, mapIndexOfRow(r))] =
                        ConfigImage::encodeCell(t, image.Table3D(c, mapIndexOfRow(r)));
            });
            if (!ok) return false;
        }
    }
    return true;
}

QString TableSession::rpmLabel(int col) {
    return formatFixed((col - 1) * 500.0, 0);
}

QString TableSession::mapLabel(int row, int mapSensor) {
    switch (mapSensor) {
        case 1:
            return formatFixed(6 * (row + 2), 0);
        case 2:
            return formatFixed(10 * (row + 1), 0);
        default:
            return formatFixed(2 * (row + 7), 0);
    }
}

namespace {
// A copy of the image's table arrays, put back on undo or redo.
struct Arrays {
    ConfigImage* image = nullptr;
    std::shared_ptr<const ConfigImage> before, after;
    void put(const ConfigImage* from) const {
        if (!image) return;
        image->Table2D = from->Table2D;
        image->Table3D = from->Table3D;
    }
};

class TableStep : public QUndoCommand {
  public:
    TableStep(TableSession& table, const QString& name, TableSession::Cells before,
              TableSession::Cells after, Arrays arrays)
        : QUndoCommand(name),
          table_(table),
          before_(std::move(before)),
          after_(std::move(after)),
          arrays_(std::move(arrays)) {}
    // The first redo, on push, finds the table already in the after state.
    void redo() override {
        table_.restoreCells(after_);
        arrays_.put(arrays_.after.get());
    }
    void undo() override {
        table_.restoreCells(before_);
        arrays_.put(arrays_.before.get());
    }

  private:
    TableSession& table_;
    TableSession::Cells before_, after_;
    Arrays arrays_;
};
}  // namespace

void TableSession::beginAction(const QString& name) {
    if (actionDepth_++ > 0) return;
    actionName_ = name;
    actionStart_ = cells();
    limited_.clear();
}

void TableSession::endAction() {
    if (actionDepth_ == 0 || --actionDepth_ > 0) return;
    Cells now = cells();
    Arrays arrays{arraysImage_, std::move(arraysStart_), nullptr};
    if (arrays.image) arrays.after = std::make_shared<const ConfigImage>(*arrays.image);
    if (now != actionStart_)
        undoStack_.push(new TableStep(*this, actionName_, std::move(actionStart_), std::move(now),
                                      std::move(arrays)));
    actionStart_ = {};
    arraysImage_ = nullptr;
    QMap<double, int> counts;
    for (const double to : std::as_const(limited_)) ++counts[to];
    limited_.clear();
    if (!counts.isEmpty())
        emit limitNotice(velo::limitNotice(actionName_, counts, trigTiming(), lowerLimit()));
}

void TableSession::runAction(const QString& name, const std::function<void()>& action) {
    beginAction(name);
    action();
    endAction();
}

void TableSession::undo() {
    while (actionDepth_ > 0) endAction();
    undoStack_.undo();
}

void TableSession::redo() {
    while (actionDepth_ > 0) endAction();
    undoStack_.redo();
}

void TableSession::restoreCells(const Cells& cells) {
    for (int r = 1; r <= rows(); ++r) {
        for (int c = 1; c <= kColumns; ++c) {
            setText(r, c, cells.texts[index(r, c)]);
            setValue(r, c, cells.values[index(r, c)]);
        }
    }
}

}  // namespace velo
