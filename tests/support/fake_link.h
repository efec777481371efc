#pragma once

#include "controller.h"
#include "link/controller_link.h"
#include "support/model_rig.h"

#include <QStringList>
#include <deque>
#include <memory>

namespace velo::test {

class FakePort;

// Virtual time for the link: every pass of the message loop and every wait on the port
// moves it on, so a one-second time-out takes no real time.
class FakeClock : public LinkTiming {
  public:
    double seconds() override { return now; }
    void letMessagesRun(bool userInput) override;
    void pause(int micros) override;  // goes on the port's wire log as well

    double now = 86399.5;  // half a second before midnight
    int userPasses = 0;    // passes in which a key or menu command could run
    // Runs in every pass with user input: a test presses Escape here.
    std::function<void()> onUserPass;
    FakePort* port = nullptr;
};

// A port wired to the simulated controller: bytes sent reach it after their line time,
// its answers come back the same way, with the faults of its options.
class FakePort : public SerialPort {
  public:
    FakePort(FakeClock& clock, const igx1sim::SimOptions& options = {});

    igx1sim::Controller controller;
    bool openFails = false;

    std::vector<uint8_t> sent;
    // Bytes sent ("14") and the pauses between them ("p2", milliseconds), in order.
    QStringList wire;

    void setPortNumber(int port) override { number_ = port; }
    int portNumber() const override { return number_; }
    bool isOpen() const override { return open_; }
    void open() override;
    void close() override;
    int bytesWaiting() override;
    void discardInput() override;
    void writeByte(uint8_t byte) override;
    uint8_t readByte() override;
    void pump(int maxMicros) override;
    QString deviceName() const override { return QString("/dev/fake%1").arg(number_); }

  private:
    void deliver();

    FakeClock& clock_;
    int number_ = 1;
    bool open_ = false;
    double lineFree_ = 0;
    std::deque<std::pair<double, uint8_t>> inFlight_;
    std::deque<uint8_t> received_;
};

// A main window's worth of state with its link on the fake port.
struct LinkRig : ModelRig {
    explicit LinkRig(const QStringList& simArgs = {});

    FakeClock* clock;
    FakePort* port;
    std::unique_ptr<ControllerLink> link;

    // The controller's EEPROM addresses 16..279.
    ImageBytes controllerImage() const;
    void setControllerImage(const ImageBytes& bytes);
};

// A random image whose option and parameter bytes decode and encode unchanged.
ImageBytes randomImage(uint32_t seed);

}  // namespace velo::test
