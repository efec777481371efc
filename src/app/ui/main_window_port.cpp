#include "app/ui/main_window.h"
#include "app/ui/port_setup_frame.h"

#include <QComboBox>
#include <QPushButton>

namespace velo {

// The port frame, hidden until Port Setup, and the commands it runs.
void MainWindow::buildPortSetup(QWidget* central) {
    portSetup_ = new PortSetupFrame(portSettings_, options_.deviceOverride, central);
    portSetup_->hide();
    connect(portSetup_, &PortSetupFrame::portChosen, this, &MainWindow::cboPort_Click);
    connect(portSetup_, &PortSetupFrame::deviceChanged, this, [this] {
        options_.deviceOverride = portSetup_->runDevice();
        link_->closePort();
        status_->updateStatus();
    });
    connect(portSetup_->cmdPortSelectOK(), &QPushButton::clicked, this,
            &MainWindow::cmdPortSelectOK_Click);
}

void MainWindow::cboPort_Click(int index) {
    state_.CommPort = index + 1;
    // A run-only device leaves the stored entry for the next run as it was.
    if (options_.deviceOverride.isEmpty()) portSettings_.storeCommPort(state_.CommPort);
    link_->setCommPort(state_.CommPort);
    portSetup_->showDeviceOf(state_.CommPort);
    status_->updateStatus();
}

void MainWindow::mnuPortSetup_Click() {
    portSetup_->show();
    portSetup_->cboPort()->setFocus();
}

void MainWindow::cmdPortSelectOK_Click() {
    portSetup_->hide();
}

}  // namespace velo
