#include "app/ui/port_setup_frame.h"

#include "core/port_settings.h"
#include "link/ui/adapter_list.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace velo;

class PortSetupFrameTest : public QObject {
    Q_OBJECT
  private slots:
    // Plugged adapters appear while the frame is open; Find Controller asks each port
    // and the typed device, and the IGX-1 that answered becomes the Com entry's device.
    void adaptersAndFindController() {
        QTemporaryDir dir;
        QSettings s(dir.filePath("s.ini"), QSettings::IniFormat);
        PortSettings settings(s);
        PortSetupFrame frame(settings, {});
        AdapterList* list = frame.adapters();
        QVector<SerialPortEntry> plugged{{"/dev/ttyS0", "", "", "", ""}};
        list->listPorts = [&] { return plugged; };
        QStringList asked;
        list->probe = [&](const QString& d) {
            asked << d;
            return ProbeAnswer{d, d == "/dev/ttyUSB0" ? "IGX-1 V2.1" : std::optional<QString>(),
                               d == "/dev/ttyUSB0"};
        };
        frame.fillPortList();
        frame.cboPort()->setCurrentIndex(2);
        frame.showDeviceOf(3);
        frame.show();
        QCOMPARE(list->tree()->topLevelItemCount(), 1);
        plugged.append({"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K", "/dev/serial/by-id/x"});
        list->refresh();
        QCOMPARE(list->tree()->topLevelItem(1)->text(1), QString("FT232R USB UART"));

        QSignalSpy changed(&frame, &PortSetupFrame::deviceChanged);
        frame.cboDevice()->setCurrentText("/dev/pts/7");
        list->cmdFind()->click();
        QCOMPARE(asked, (QStringList{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/pts/7"}));
        QCOMPARE(settings.deviceFor(3), QString("/dev/ttyUSB0"));
        QVERIFY(changed.size() >= 1);  // the link lets go of the port before the search
        QVERIFY(list->lblFound()->text().startsWith("1 of 3 ports answered"));
    }
};

QTEST_MAIN(PortSetupFrameTest)
#include "port_setup_frame_test.moc"
