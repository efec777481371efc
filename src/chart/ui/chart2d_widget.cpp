#include "chart/ui/chart2d_widget.h"

#include "chart/ui/chart2d_painter.h"
#include "core/numeric.h"

#include <QMouseEvent>
#include <QPainter>

namespace velo {

namespace {

// Pixels of the chart, rounded as every conversion to a whole number is.
QPoint pixels(const QMouseEvent* e) {
    return {int(roundHalfEven(e->position().x())), int(roundHalfEven(e->position().y()))};
}

bool noKeys(const QMouseEvent* e) {
    return !(e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

// "Button 1, shift state 0": the left button alone, no Shift, Ctrl or Alt.
bool plainLeftPress(const QMouseEvent* e) {
    return e->button() == Qt::LeftButton && e->buttons() == Qt::LeftButton && noKeys(e);
}
bool plainLeftMove(const QMouseEvent* e) {
    return e->buttons() == Qt::LeftButton && noKeys(e);
}
bool plainLeftRelease(const QMouseEvent* e) {
    return e->button() == Qt::LeftButton && e->buttons() == Qt::NoButton && noKeys(e);
}

}  // namespace

Chart2DWidget::Chart2DWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("Chart2D1");
    setAccessibleName("2D timing chart");
    setMouseTracking(true);  // for the cursor over a point that can be dragged
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Chart2DWidget::setSession(TableSession* session) {
    endDragAction();
    if (session_) disconnect(session_, nullptr, this, nullptr);
    session_ = session;
    if (session_) {
        connect(session_, &TableSession::valueChanged, this, &Chart2DWidget::tableChanged);
        connect(session_, &TableSession::tableReset, this, &Chart2DWidget::tableChanged);
    }
    tableChanged();
}

bool Chart2DWidget::loadTemplate(const QString& path) {
    const std::optional<ChartLook> look = loadChartLook(path);
    if (look) {
        look_ = *look;
        ++lookVersion_;
    }
    hideValueLabel();
    update();
    return look.has_value();
}

void Chart2DWidget::showValueLabel(int col) {
    labelPoint_ = col >= 1 && col <= TableSession::kColumns ? col : 0;
    update();
}

void Chart2DWidget::hideValueLabel() {
    labelPoint_ = 0;
    update();
}

void Chart2DWidget::setDragState(ChartDragState* state) {
    drag_ = state ? state : &ownDrag_;
}

Chart2DGeometry Chart2DWidget::chartGeometry() const {
    const Chart2DContent content = session_ ? Chart2DContent::of(*session_) : Chart2DContent{};
    return chart2DGeometry(rect(), this, look_, content);
}

void Chart2DWidget::tableChanged() {
    // Screen readers get the values a sighted user reads off the curve.
    QStringList points;
    if (session_) {
        for (int k = 1; k <= TableSession::kColumns; ++k)
            points << QString("%1 RPM %2")
                          .arg(TableSession::rpmLabel(k), formatFixed(session_->value(1, k), 1));
        setAccessibleDescription(QString("Advance in degrees by RPM, limit %1: %2")
                                     .arg(session_->trigTiming())
                                     .arg(points.join(", ")));
    } else {
        setAccessibleDescription("No table open");
    }
    update();
}

void Chart2DWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!session_) {
        p.fillRect(rect(), look_.background);
        return;
    }
    const Chart2DContent content = Chart2DContent::of(*session_, labelPoint_);
    const Chart2DGeometry g = chart2DGeometry(rect(), this, look_, content);
    const AxisScale& axis = g.advanceAxis();
    const FrameKey key{
        size(),   devicePixelRatio(), logicalDpiY(), lookVersion_,       axis.min,
        axis.max, axis.step,          content.limit, content.lowerLimit, content.upperLimit};
    if (frame_.isNull() || !(key == frameKey_)) {
        frame_ = QPixmap(size() * devicePixelRatio());
        frame_.setDevicePixelRatio(devicePixelRatio());
        QPainter fp(&frame_);
        paintChart2DFrame(fp, rect(), look_, content, g);
        frameKey_ = key;
    }
    p.drawPixmap(0, 0, frame_);
    paintChart2DData(p, rect(), look_, content, g);
}

void Chart2DWidget::mousePressEvent(QMouseEvent* e) {
    ChartDragState& d = *drag_;
    if (d.IgnoreChartMouse || !session_) return;
    const QPoint at = pixels(e);
    d.DragOriginY = at.y();
    if (!plainLeftPress(e)) return;
    const Chart2DContent content = Chart2DContent::of(*session_);
    const ChartPick pick = chartGeometry().pick(at, content.advance, content.limit);
    d.PickSeries = pick.series;
    d.PickPoint = pick.point;
    if (pick.takesPoint()) {
        // The whole drag, press to release, is one undo step.
        endDragAction();
        session_->beginAction("Drag Point");
        dragSession_ = session_;
        emit pointPicked(d.PickPoint);
        d.DragStartValue = session_->value(1, d.PickPoint);
        showValueLabel(d.PickPoint);
    } else {
        d.PickSeries = 0;
        d.PickPoint = 0;
    }
}

void Chart2DWidget::mouseMoveEvent(QMouseEvent* e) {
    ChartDragState& d = *drag_;
    if (d.IgnoreChartMouse || !session_) return;
    const QPoint at = pixels(e);
    if (e->buttons() == Qt::NoButton) {
        const Chart2DContent content = Chart2DContent::of(*session_);
        const ChartPick pick = chartGeometry().pick(at, content.advance, content.limit);
        setCursor(pick.takesPoint() ? Qt::SizeVerCursor : Qt::ArrowCursor);
        return;
    }
    if (!plainLeftMove(e) || d.PickSeries != 1 || d.PickPoint == 0) return;
    // The label follows the value: it always shows the attached point's value.
    session_->dragCell(1, d.PickPoint, d.DragStartValue, d.DragOriginY, at.y());
}

void Chart2DWidget::mouseReleaseEvent(QMouseEvent* e) {
    ChartDragState& d = *drag_;
    if (d.IgnoreChartMouse) {
        d.IgnoreChartMouse = false;
        endDragAction();
        return;
    }
    if (session_ && plainLeftRelease(e) && d.PickSeries == 1 && d.PickPoint >= 1) {
        session_->setText(1, d.PickPoint, formatFixed(session_->value(1, d.PickPoint), 1));
        hideValueLabel();
    }
    endDragAction();
}

void Chart2DWidget::endDragAction() {
    if (dragSession_) dragSession_->endAction();
    dragSession_ = nullptr;
}

void Chart2DWidget::mouseDoubleClickEvent(QMouseEvent*) {
    // Not a press: the rest of the gesture is ignored until the next release.
    drag_->IgnoreChartMouse = true;
}

}  // namespace velo
