#pragma once

#include "controller.h"
#include "link/link_timing.h"
#include "link/serial_port.h"

#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace velo::test {

class FakePort;

// Virtual time for the link: every pass of the message loop and every wait on the port
// moves it on, so a one-second time-out takes no real time.
class FakeClock : public LinkTiming {
  public:
    double seconds() override { return now; }
    void letMessagesRun(bool userInput) override;
    void advance(double s);

    double now = 86399.5;  // half a second before midnight
    double messageStep = 50e-6;
    int userPasses = 0;   // passes in which a key or menu command could run
    int quietPasses = 0;  // passes without user input
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

    // Scripting.
    bool openFails = false;
    // Line error raised in the first message pass after this many bytes were sent.
    std::map<int, int> commAfterSent;

    // What happened.
    struct Sent {
        double time;
        uint8_t byte;
        bool portOpen;
    };
    std::vector<Sent> sent;
    std::vector<double> arrivals;  // when each answer byte became readable
    int opens = 0;
    int closes = 0;
    std::vector<uint8_t> sentBytes(size_t from = 0) const;

    // SerialPort
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
    QString failure() const override { return failure_; }

    void messagePass();  // called by the clock

    static constexpr double kByteTime = 10.0 / 56000.0;

  private:
    void deliver();

    FakeClock& clock_;
    const igx1sim::SimOptions options_;
    int number_ = 1;
    bool open_ = false;
    bool everOpened_ = false;
    bool unplugged_ = false;
    double unplugAt_ = -1;
    double lineFree_ = 0;
    QString failure_;
    std::deque<std::pair<double, uint8_t>> inFlight_;
    std::deque<uint8_t> received_;
    std::vector<int> pendingComm_;
};

}  // namespace velo::test

#include "app/app_context.h"
#include "app/scripted_interaction.h"
#include "data/config_image.h"
#include "link/controller_link.h"
#include "support/model_rig.h"

#include <memory>

namespace velo::test {

// A main window's worth of state with its link on the fake port.
struct LinkRig : ModelRig {
    explicit LinkRig(const igx1sim::SimOptions& options = {});

    FakeClock* clock;
    FakePort* port;
    std::unique_ptr<ControllerLink> link;

    // The controller's EEPROM addresses 16..279.
    std::array<uint8_t, ConfigImage::kImageBytes> controllerImage() const;
    void setControllerImage(const std::array<uint8_t, ConfigImage::kImageBytes>& bytes);
};

// Options as igx1-sim takes them on its command line; fails the test on a typo.
igx1sim::SimOptions simOptions(const std::vector<std::string>& args);

// A random image whose option and parameter bytes decode and encode unchanged.
std::array<uint8_t, ConfigImage::kImageBytes> randomImage(uint32_t seed);

}  // namespace velo::test
