#pragma once

#include <QGroupBox>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace velo {

class AdapterList;
class PortSettings;

// fraPortSelect, "Data Port Setup": the Com list, the device the chosen entry reaches
// (a serial device found on the machine or a typed path), and OK.
class PortSetupFrame : public QGroupBox {
    Q_OBJECT
  public:
    // A `runDevice` (from --device) is what every entry reaches; a device chosen here then
    // replaces it for this run, and nothing is stored.
    PortSetupFrame(PortSettings& settings, QString runDevice, QWidget* parent = nullptr);

    QComboBox* cboPort() const { return cboPort_; }
    QComboBox* cboDevice() const { return cboDevice_; }
    QLabel* lblDevice() const { return lblDevice_; }
    QPushButton* cmdPortSelectOK() const { return ok_; }

    void fillPortList();  // the 255 entries, none selected
    // Shows the device of the selected entry; called after every selection.
    void showDeviceOf(int port);
    AdapterList* adapters() const { return adapters_; }
    QString runDevice() const { return runDevice_; }

  signals:
    void portChosen(int index);  // cboPort_Click
    void deviceChanged(int port);

  private:
    void storeTypedDevice();
    // The device list as the machine has it now, keeping `current` (the shown text when null).
    void listDevices(QString current = {});

    PortSettings& settings_;
    QString runDevice_;
    QComboBox* cboPort_;
    QComboBox* cboDevice_;
    QLabel* lblDevice_;
    QPushButton* ok_;
    AdapterList* adapters_;
    int shownPort_ = 0;
};

}  // namespace velo
