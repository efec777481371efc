#include "link/controller_link.h"

namespace velo {

ControllerLink::ControllerLink(AppContext& ctx, std::unique_ptr<SerialPort> port)
    : ctx_(ctx), port_(std::move(port)) {}

void ControllerLink::setCommPort(int port) {
    closePort();
    port_->setPortNumber(port);
}

void ControllerLink::closePort() {
    if (port_->isOpen()) port_->close();
}

void ControllerLink::mnuDownload_Click() {
    ctx_.ui.message("Download From EEPROM", "This command is not available yet.", Buttons::Ok,
                    Icon::Information);
}

void ControllerLink::mnuUpload_Click() {
    ctx_.ui.message("Upload To EEPROM", "This command is not available yet.", Buttons::Ok,
                    Icon::Information);
}

}  // namespace velo
