#pragma once

#include "random_user.h"

#include <QPoint>
#include <QWidget>

namespace velo {
class MainWindow;
class TimingGrid;
}  // namespace velo

namespace monkey {

// Key by key; QTest's own keyClicks knows only ASCII.
void typeText(QWidget* w, const QString& text);

// What the random user does with keys and the mouse in the window's grids, charts and
// dialogs.
class Hands {
  public:
    Hands(Dice& dice, bool huge) : dice_(dice), huge_(huge) {}
    void setWindow(velo::MainWindow* window) { window_ = window; }

    // On `target`, or as key() picks without one.
    void randomKey(QWidget* target = nullptr);
    // On the focused widget, or the window, without a target.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = {}, QWidget* target = nullptr);
    void typeCell(velo::TimingGrid& g);
    void select(velo::TimingGrid& g);
    void paste(velo::TimingGrid& g);
    void rightClick(velo::TimingGrid& g);
    void chartGesture();
    // One step in a modal dialog: the parameter dialogs, the wizards, compare, print.
    void onDialog(QWidget* dialog);

  private:
    QPoint cellPoint(velo::TimingGrid& g, int row, int col);
    void pickCell(velo::TimingGrid& g, int& row, int& col);
    velo::MainWindow& w() { return *window_; }

    Dice& dice_;
    bool huge_;
    velo::MainWindow* window_ = nullptr;
};

}  // namespace monkey
