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
    // Starts the simulator with these options (an image file, faults); an empty device()
    // means it did not come up, and error() says why.
    explicit SimProcess(const QStringList& options = {});
    ~SimProcess();

    QString device() const { return device_; }
    QString error() const { return error_; }
    // Ends it (it saves on the way out) and gives its exit status.
    int stop();
    QByteArray log() const { return log_; }

    static QString binary(const QString& name);

  private:
    QProcess process_;
    QString device_;
    QString error_;
    QByteArray log_;
};

// The model with a link on one device, as the window has it.
struct DeviceRig : ModelRig {
    explicit DeviceRig(const QString& device)
        : link(ctx, makeSystemPort([device](int) { return device; })) {}
    ControllerLink link;
};

}  // namespace velo::test
