#pragma once

#include "random_user.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace monkey {

// igx1-sim on a pseudo-terminal behind a fixed link name, so a restart with other faults
// reaches the window at the same device.
class Simulator {
  public:
    Simulator(QString binDir, QString root);
    ~Simulator() { stop(); }
    QString device() const { return root_ + "/ttyIGX"; }

    void stop();
    bool start(const QStringList& faults);
    // A clean controller most of the time, otherwise one or two of its faults.
    QStringList randomFaults(Dice& dice);

  private:
    QString bin_, root_;
    QProcess process_;
};

}  // namespace monkey
