#include "chart/ui/chart2d_widget.h"

#include "table/table_session.h"

namespace velo {

Chart2DWidget::Chart2DWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("Chart2D1");
    setAccessibleName("2D timing chart");
}

void Chart2DWidget::setSession(TableSession* session) {
    session_ = session;
    update();
}

bool Chart2DWidget::loadTemplate(const QString&) {
    return true;
}

void Chart2DWidget::showValueLabel(int) {}

void Chart2DWidget::hideValueLabel() {}

}  // namespace velo
