#pragma once

#include <QGroupBox>

class QProgressBar;

namespace velo {

class MainState;

// fraProgress1: the EEPROM runs' progress, shown while the window state says so.
class ProgressFrame : public QGroupBox {
    Q_OBJECT
  public:
    ProgressFrame(const MainState& state, QWidget* parent);

  private:
    void apply();
    const MainState& state_;
    QProgressBar* prgProgress1_;
};

}  // namespace velo
