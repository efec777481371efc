#pragma once

#include "link/controller_link.h"
#include "support/model_rig.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace velo::test {

// igx1-sim running on its own pseudo-terminal for the length of a test.
class SimProcess {
  public:
    // Starts the simulator with these options (an image file, faults); one that does not
    // come up stops the run, as every test of it would fail for that one reason.
    explicit SimProcess(const QStringList& options = {});
    ~SimProcess();

    QString device() const { return device_; }
    // Ends it (it saves on the way out) and gives its exit status.
    int stop();
    QByteArray log() const { return log_; }

    static QString binary(const QString& name) {
        return qEnvironmentVariable("VELO_BIN_DIR", VELO_BIN_DIR) + "/" + name;
    }

  private:
    QProcess process_;
    QString device_;
    QByteArray log_;
};

// The model with a link on one device, as the window has it.
struct DeviceRig : ModelRig {
    explicit DeviceRig(const QString& device)
        : link(ctx, makeSystemPort([device](int) { return device; })) {}
    ControllerLink link;
};

}  // namespace velo::test
