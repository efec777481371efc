#pragma once

#include <QPointer>
#include <QWidget>

#include "table/table_session.h"

namespace velo {

class TableSession;

// Chart2D1: the open 2D table as a curve of 21 points against RPM, with the trigger
// timing as its limit line. A left drag on a point changes that cell's working value;
// the release writes the value's text into the cell.
class Chart2DWidget : public QWidget {
    Q_OBJECT
  public:
    explicit Chart2DWidget(QWidget* parent = nullptr);

    // The table it draws and edits; nullptr draws nothing.
    void setSession(TableSession* session);
    TableSession* session() const { return session_; }
    // The chart's look; false when the file cannot be read (the look stays as it was).
    bool loadTemplate(const QString& path);
    // Data label 1: shown beside point `col` with the point's value, or hidden.
    void showValueLabel(int col);
    void hideValueLabel();

  signals:
    // A left press took point `col`: the grid makes (1, col) its current cell.
    void pointPicked(int col);

  private:
    QPointer<TableSession> session_;
};

}  // namespace velo
