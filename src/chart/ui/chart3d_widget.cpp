#include "chart/ui/chart3d_widget.h"

#include "chart/ui/chart3d_painter.h"
#include "core/numeric.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <optional>

namespace velo {

namespace {

// The view the user turned to lives as long as the program: closing and opening a
// table, or another sensor's template, keeps it.
std::optional<ViewAngles>& chosenView() {
    static std::optional<ViewAngles> view;
    return view;
}

constexpr double kDegreesPerPixel = 0.5;
constexpr double kDegreesPerKey = 5;

QPoint pixels(const QMouseEvent* e) {
    return {int(roundHalfEven(e->position().x())), int(roundHalfEven(e->position().y()))};
}

double normalised(double rotation) {
    rotation = std::fmod(rotation, 360.0);
    if (rotation > 180) rotation -= 360;
    if (rotation <= -180) rotation += 360;
    return rotation;
}

}  // namespace

Chart3DWidget::Chart3DWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("Chart3D1");
    setAccessibleName("3D timing chart");
    setMouseTracking(true);  // for the cursor over a point that can be dragged
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    tableChanged();
}

void Chart3DWidget::setSession(TableSession* session) {
    if (session_) disconnect(session_, nullptr, this, nullptr);
    session_ = session;
    if (session_) {
        connect(session_, &TableSession::valueChanged, this, &Chart3DWidget::tableChanged);
        connect(session_, &TableSession::tableReset, this, &Chart3DWidget::tableChanged);
    }
    tableChanged();
}

bool Chart3DWidget::loadTemplate(const QString& path) {
    const std::optional<ChartLook> look = loadChartLook(path);
    if (look) {
        look_ = *look;
        ++lookVersion_;
    }
    update();
    return look.has_value();
}

void Chart3DWidget::setMapSensor(int mapSensor, PressureUnit unit) {
    mapSensor_ = mapSensor;
    unit_ = unit;
    tableChanged();
}

void Chart3DWidget::showValueLabel(int xIndex, int yIndex) {
    if (xIndex >= 1 && xIndex <= kRpmColumns && yIndex >= 1 && yIndex <= kMapRows)
        label_ = {xIndex, yIndex, std::nullopt};
    else
        label_.hide();
    update();
}

void Chart3DWidget::hideValueLabel() {
    label_.hide();
    update();
}

void Chart3DWidget::setDragState(ChartDragState* state) {
    drag_ = state ? state : &ownDrag_;
}

std::optional<ViewAngles> turnedChart3DView() {
    return chosenView();
}

ViewAngles Chart3DWidget::view() const {
    return chosenView().value_or(ViewAngles{look_.rotation, look_.elevation});
}

Chart3DContent Chart3DWidget::content() const {
    Chart3DContent c;
    if (session_) c = Chart3DContent::of(*session_, mapSensor_, label_);
    c.unit = unit_;
    return c;
}

Chart3DGeometry Chart3DWidget::chartGeometry() const {
    return chart3DGeometry(rect(), this, look_, content(), view());
}

void Chart3DWidget::turnTo(ViewAngles v) {
    v.rotation = normalised(v.rotation);
    v.elevation = std::clamp(v.elevation, double(Chart3DGeometry::kMinElevation),
                             double(Chart3DGeometry::kMaxElevation));
    chosenView() = v;
    update();
}

void Chart3DWidget::tableChanged() {
    // Screen readers get the values a sighted user reads off the surface.
    if (!session_) {
        setAccessibleDescription("No table open");
    } else {
        QStringList rows;
        for (int r = 1; r <= kMapRows; ++r) {
            QStringList cells;
            for (int k = 1; k <= TableSession::kColumns; ++k)
                cells << formatFixed(session_->value(r, k), 1);
            rows << QString("MAP %1: %2").arg(mapLabelIn(r, mapSensor_, unit_), cells.join(" "));
        }
        setAccessibleDescription(
            QString("Advance in degrees by MAP and by RPM from 0 to 10000 in steps of 500, "
                    "limits %1 to %2. %3")
                .arg(session_->lowerLimit())
                .arg(session_->upperLimit())
                .arg(rows.join("; ")));
    }
    update();
}

void Chart3DWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!session_) {
        p.fillRect(rect(), look_.background);
        return;
    }
    Chart3DContent c = content();
    c.draft = turning_;
    const Chart3DGeometry g = chart3DGeometry(rect(), this, look_, c, view());
    const AxisScale& axis = g.advanceAxis();
    const FrameKey key{
        size(),    devicePixelRatio(), logicalDpiY(), lookVersion_, g.view(), axis.min, axis.max,
        axis.step, c.lowerLimit,       c.upperLimit,  c.mapSensor,  c.unit,   c.draft};
    if (frame_.isNull() || !(key == frameKey_)) {
        // While the view turns every frame differs: draw it straight onto the screen,
        // and keep it only once the same frame comes twice (a drag, a label).
        if (!(key == lastKey_)) {
            lastKey_ = key;
            paintChart3DFrame(p, rect(), look_, c, g);
            paintChart3DData(p, rect(), look_, c, g);
            return;
        }
        if (frame_.size() != size() * devicePixelRatio()) {
            frame_ = QPixmap(size() * devicePixelRatio());
            frame_.setDevicePixelRatio(devicePixelRatio());
        }
        QPainter fp(&frame_);
        paintChart3DFrame(fp, rect(), look_, c, g);
        frameKey_ = key;
    }
    p.drawPixmap(0, 0, frame_);
    paintChart3DData(p, rect(), look_, c, g);
}

void Chart3DWidget::mousePressEvent(QMouseEvent* e) {
    const QPoint at = pixels(e);
    if (e->button() == Qt::RightButton) {
        // The chart's own mouse action: it cancels the rest of any table gesture.
        drag_->IgnoreChartMouse = true;
        turning_ = true;
        turnOrigin_ = at;
        turnStart_ = view();
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    if (!session_) return;
    Chart3DGestures gestures(*drag_, *session_, label_);
    const std::optional<GridCell> cell =
        gestures.press(chartGeometry(), e->button(), e->buttons(), e->modifiers(), at);
    if (drag_->PickXIndex >= 1 && drag_->PickYIndex >= 1) {
        // The whole gesture, press to release, is one undo step.
        endDragAction();
        session_->beginAction(e->modifiers() & Qt::ShiftModifier ? "Offset Table" : "Drag Point");
        dragSession_ = session_;
    }
    if (cell) emit pointPicked(cell->row, cell->col);
    update();
}

void Chart3DWidget::endDragAction() {
    if (dragSession_) dragSession_->endAction();
    dragSession_ = nullptr;
}

void Chart3DWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = pixels(e);
    if (turning_) {
        if (!(e->buttons() & Qt::RightButton)) return;
        const QPoint d = at - turnOrigin_;
        turnTo({turnStart_.rotation + d.x() * kDegreesPerPixel,
                turnStart_.elevation + d.y() * kDegreesPerPixel});
        return;
    }
    if (!session_) return;
    if (e->buttons() == Qt::NoButton) {
        const Chart3DPick pick = chartGeometry().pick(at, content().values);
        setCursor(pick.takesPoint() ? Qt::SizeVerCursor : Qt::ArrowCursor);
        return;
    }
    Chart3DGestures(*drag_, *session_, label_)
        .move(chartGeometry(), e->buttons(), e->modifiers(), at);
    update();
}

void Chart3DWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (turning_ && e->button() == Qt::RightButton) {
        turning_ = false;
        setCursor(Qt::ArrowCursor);
        update();  // the finished picture
    }
    if (session_) {
        if (Chart3DGestures(*drag_, *session_, label_)
                .release(e->button(), e->buttons(), e->modifiers()))
            emit offsetApplied();
    } else if (drag_->IgnoreChartMouse) {
        drag_->IgnoreChartMouse = false;
    }
    if (e->buttons() == Qt::NoButton) endDragAction();
    update();
}

void Chart3DWidget::mouseDoubleClickEvent(QMouseEvent*) {
    // Not a press: the rest of the gesture is ignored until the next release.
    drag_->IgnoreChartMouse = true;
}

void Chart3DWidget::keyPressEvent(QKeyEvent* e) {
    const ViewAngles v = view();
    switch (e->key()) {
        case Qt::Key_Left:
            turnTo({v.rotation - kDegreesPerKey, v.elevation});
            break;
        case Qt::Key_Right:
            turnTo({v.rotation + kDegreesPerKey, v.elevation});
            break;
        case Qt::Key_Up:
            turnTo({v.rotation, v.elevation + kDegreesPerKey});
            break;
        case Qt::Key_Down:
            turnTo({v.rotation, v.elevation - kDegreesPerKey});
            break;
        case Qt::Key_Home:
            chosenView().reset();
            update();
            break;
        default:
            QWidget::keyPressEvent(e);
    }
}

}  // namespace velo
