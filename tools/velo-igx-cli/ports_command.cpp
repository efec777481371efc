// ports: find the controller among the machine's serial ports.
#include "cli.h"

namespace velo::cli {

int runPorts(const QStringList&) {
    return kUsage;
}

}  // namespace velo::cli
