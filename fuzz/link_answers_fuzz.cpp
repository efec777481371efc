// Any bytes as the controller's answers through a whole download.
#include "core/scripted_interaction.h"
#include "link/controller_link.h"

using namespace velo;

namespace {

// Time passes only when the link waits, so a silent controller's one-second time-out
// costs no real time.
struct VirtualClock : LinkTiming {
    double now = 0;
    double seconds() override { return now; }
    void letMessagesRun(bool) override { now += 1e-3; }
    void pause(int micros) override { now += micros / 1e6; }
};

// Each byte the link sends is answered by the input: a count byte, then that many bytes
// (a count of 0xF0 and up reports a line error instead). Once the input is used up the
// controller is silent.
class FuzzPort : public SerialPort {
  public:
    FuzzPort(VirtualClock& clock, const uint8_t* data, size_t size)
        : clock_(clock), in_(data), end_(data + size) {}

    void setPortNumber(int port) override { number_ = port; }
    int portNumber() const override { return number_; }
    bool isOpen() const override { return open_; }
    void open() override { open_ = true; }
    void close() override {
        open_ = false;
        received_.clear();
    }
    int bytesWaiting() override { return int(received_.size()); }
    void discardInput() override { received_.clear(); }
    void writeByte(uint8_t) override {
        if (in_ == end_) return;
        const uint8_t count = *in_++;
        if (count >= 0xF0) {
            static const int kCodes[] = {kCommFraming, kCommOverrun, kCommRxOverflow,
                                         kCommParity,  kCommTxFull,  kCommDcb};
            if (onComm) onComm(kCodes[count % 6]);
            return;
        }
        for (int i = 0; i < count && in_ != end_; ++i) {
            const char b = char(*in_++);
            if (open_) received_.append(b);
        }
    }
    uint8_t readByte() override {
        if (received_.isEmpty()) return 0;
        const uint8_t b = uint8_t(received_.front());
        received_.remove(0, 1);
        return b;
    }
    void pump(int maxMicros) override { clock_.now += maxMicros / 1e6; }
    QString deviceName() const override { return "/dev/fuzz"; }

  private:
    VirtualClock& clock_;
    const uint8_t* in_;
    const uint8_t* end_;
    int number_ = 1;
    bool open_ = false;
    QByteArray received_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ConfigImage image;
    MainState state;
    ScriptedInteraction ui;  // OK to every box, Abort to error reports
    AppContext ctx(image, state, ui);
    auto clock = std::make_unique<VirtualClock>();
    auto port = std::make_unique<FuzzPort>(*clock, data, size);
    ControllerLink link(ctx, std::move(port), std::move(clock));
    link.download();
    return 0;
}
