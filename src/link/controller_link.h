#pragma once

#include "app/app_context.h"
#include "link/serial_port.h"

#include <memory>

namespace velo {

// The controller link of the main window: the port, its timing and the command set.
class ControllerLink {
  public:
    ControllerLink(AppContext& ctx, std::unique_ptr<SerialPort> port);

    SerialPort& port() { return *port_; }
    // cboPort_Click and the exit and resize paths: a new number, or just closed.
    void setCommPort(int port);
    void closePort();

    void mnuDownload_Click();
    void mnuUpload_Click();

  private:
    AppContext& ctx_;
    std::unique_ptr<SerialPort> port_;
};

// A port on the machine's serial devices; `deviceFor` names the device of port N.
std::unique_ptr<SerialPort> makeSystemPort(std::function<QString(int)> deviceFor);

}  // namespace velo
