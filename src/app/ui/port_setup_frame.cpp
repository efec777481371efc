#include "app/ui/port_setup_frame.h"

#include "core/port_settings.h"
#include "link/port_finder.h"
#include "link/ui/adapter_list.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velo {

PortSetupFrame::PortSetupFrame(PortSettings& settings, QString runDevice, QWidget* parent)
    : QGroupBox("Data Port Setup", parent), settings_(settings), runDevice_(std::move(runDevice)) {
    setObjectName("fraPortSelect");
    setMaximumWidth(760);
    auto* grid = new QGridLayout(this);
    auto* lblPort = new QLabel("Port", this);
    lblPort->setObjectName("lblPort");
    cboPort_ = new QComboBox(this);
    cboPort_->setObjectName("cboPort");
    cboPort_->setMaxVisibleItems(16);
    lblPort->setBuddy(cboPort_);
    auto* lblReaches = new QLabel("Device", this);
    cboDevice_ = new QComboBox(this);
    cboDevice_->setObjectName("cboDevice");
    cboDevice_->setEditable(true);
    cboDevice_->setInsertPolicy(QComboBox::NoInsert);
    cboDevice_->setMinimumContentsLength(18);
    cboDevice_->setToolTip(
        "The serial device this Com entry reaches: pick one found on this "
        "machine or type its path, then press Enter.");
    lblReaches->setBuddy(cboDevice_);
    lblDevice_ = new QLabel(this);
    lblDevice_->setObjectName("lblDevice");
    lblDevice_->setWordWrap(true);
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("cmdPortSelectOK");

    grid->addWidget(lblPort, 0, 0);
    grid->addWidget(cboPort_, 0, 1);
    grid->addWidget(lblReaches, 1, 0);
    grid->addWidget(cboDevice_, 1, 1);
    grid->addWidget(lblDevice_, 2, 0, 1, 2);
    adapters_ = new AdapterList(this);
    grid->addWidget(adapters_, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->addWidget(ok_, 4, 1, Qt::AlignRight);
    // A picked adapter becomes the chosen entry's device, as a typed path does.
    connect(adapters_, &AdapterList::devicePicked, this, [this](const QString& device) {
        cboDevice_->setCurrentText(device);
        storeTypedDevice();
    });
    connect(adapters_, &AdapterList::searchStarting, this,
            [this] { emit deviceChanged(shownPort_); });
    // Nothing the search reads changes under it.
    auto lockDuringSearch = [this](bool locked) {
        cboPort_->setEnabled(!locked);
        cboDevice_->setEnabled(!locked);
        ok_->setEnabled(!locked);
    };
    connect(adapters_, &AdapterList::searchStarting, this, [=] { lockDuringSearch(true); });
    connect(adapters_, &AdapterList::searchFinished, this, [=] { lockDuringSearch(false); });
    connect(adapters_, &AdapterList::portsChanged, this, [this] {
        if (shownPort_ >= 1) listDevices();
    });
    adapters_->runDevice = runDevice_;
    connect(adapters_->cmdFind(), &QPushButton::clicked, this, [this] {
        adapters_->findController({cboDevice_->currentText().trimmed(), runDevice_});
    });

    connect(cboPort_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) emit portChosen(index);
    });
    connect(cboDevice_, &QComboBox::activated, this, [this] { storeTypedDevice(); });
    connect(cboDevice_->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { storeTypedDevice(); });
}

void PortSetupFrame::fillPortList() {
    const QSignalBlocker block(cboPort_);
    cboPort_->clear();
    for (int n = 1; n <= kPortCount; ++n) cboPort_->addItem(QString("Com%1").arg(n));
    cboPort_->setCurrentIndex(-1);
}

void PortSetupFrame::showDeviceOf(int port) {
    shownPort_ = port;
    const QSignalBlocker block(cboDevice_);
    cboDevice_->clear();
    if (port < 1) {
        lblDevice_->setText("No port selected.");
        return;
    }
    const QString device = runDevice_.isEmpty() ? settings_.deviceFor(port) : runDevice_;
    listDevices(device);
    if (!runDevice_.isEmpty())
        lblDevice_->setText(
            QString("Com%1 reaches %2 for this run only (started with --device: nothing is "
                    "stored).")
                .arg(port)
                .arg(deviceWithTarget(runDevice_)));
    else
        lblDevice_->setText(QString("Com%1 reaches %2.").arg(port).arg(deviceWithTarget(device)));
}

void PortSetupFrame::listDevices(QString current) {
    if (current.isNull()) current = cboDevice_->currentText();
    const QSignalBlocker block(cboDevice_);
    QStringList devices = foundDevices(adapters_->ports());
    if (!current.isEmpty() && !devices.contains(current)) devices.prepend(current);
    cboDevice_->clear();
    cboDevice_->addItems(devices);
    cboDevice_->setCurrentText(current);
}

void PortSetupFrame::storeTypedDevice() {
    if (shownPort_ < 1) return;
    // --device makes the frame's choice last for this run only, as the option's own does.
    if (!runDevice_.isEmpty()) {
        const QString typed = cboDevice_->currentText().trimmed();
        if (typed.isEmpty() || typed == runDevice_) return;
        runDevice_ = adapters_->runDevice = typed;
        showDeviceOf(shownPort_);
        emit deviceChanged(shownPort_);
        return;
    }
    if (PortSettings::entriesNameDevices()) {
        // Nothing to store: the entry of that port is chosen, as if picked in the list.
        const QString typed = cboDevice_->currentText().trimmed();
        const int entry = PortSettings::entryNaming(typed);
        if (entry > 0 && entry != shownPort_) {
            cboPort_->setCurrentIndex(entry - 1);
            showDeviceOf(entry);
            emit deviceChanged(entry);
        } else if (entry == 0 && !typed.isEmpty()) {
            showDeviceOf(shownPort_);
            lblDevice_->setText(
                QString("%1 is not a COM port name: each Com entry reaches the COM port of "
                        "its number, so choose the entry instead (Com%2 reaches COM%2).")
                    .arg(typed)
                    .arg(shownPort_));
        }
        return;
    }
    // A USB adapter is kept by its stable name, found again under another ttyUSB number.
    const QString device = stableName(cboDevice_->currentText().trimmed(), adapters_->ports());
    if (device.isEmpty() || device == settings_.deviceFor(shownPort_)) return;
    settings_.storeDevice(shownPort_, device);
    showDeviceOf(shownPort_);
    emit deviceChanged(shownPort_);
}

}  // namespace velo
