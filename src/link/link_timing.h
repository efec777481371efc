#pragma once

namespace velo {

// The clock and message loop the link waits on. The program uses the monotonic clock
// and the application's event loop; tests run the link on a simulated clock.
class LinkTiming {
  public:
    virtual ~LinkTiming() = default;
    // Seconds on a monotonic clock: never jumps, not even at midnight.
    virtual double seconds() = 0;
    // Lets window messages run; without user input no menu command or key can start,
    // but the port still takes in its bytes.
    virtual void letMessagesRun(bool userInput) = 0;
    // DelayTimer's pause: `micros` on this clock, messages running throughout.
    virtual void pause(int micros);
};

class SystemTiming : public LinkTiming {
  public:
    double seconds() override;
    void letMessagesRun(bool userInput) override;
};

}  // namespace velo
