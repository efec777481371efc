#pragma once

#include "sim_options.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace igx1sim {

inline constexpr int kEepromSize = 280;
inline constexpr int kImageFirst = 16;  // addresses 16..279 travel and go to data files
inline constexpr int kImageSize = kEepromSize - kImageFirst;
inline constexpr uint8_t kNak = 0x15;
inline constexpr uint8_t kErased = 0xFF;

// What the controller does once a command is complete.
struct Answer {
    std::vector<uint8_t> bytes;
    bool unplug = false;  // the adapter comes out after `bytes`
    std::string note;     // what happened, for the log
};

// The IGX-1 as seen from its serial line: fed the bytes it receives one at a time, it returns
// an answer whenever a command is complete (or an unknown byte was ignored).
class Controller {
  public:
    Controller(const SimOptions& options);

    std::optional<Answer> feed(uint8_t byte);

    // A command whose remaining bytes never came is given up.
    bool midCommand() const { return state_ != State::Idle; }
    void dropPartial() { state_ = State::Idle; }

    std::array<uint8_t, kEepromSize>& eeprom() { return eeprom_; }
    const std::array<uint8_t, kEepromSize>& eeprom() const { return eeprom_; }
    int pointer() const { return pointer_; }
    int commandCount() const { return commands_; }
    int resets() const { return resets_; }

  private:
    enum class State { Idle, AddressLow, AddressHigh, WriteData, ResetKey };

    Answer startCommand(uint8_t byte);
    Answer finishSetAddress();
    Answer read();
    Answer write(uint8_t data);
    Answer reset();
    void advance() { pointer_ = static_cast<uint16_t>(pointer_ + 1); }
    bool silent() const;

    const std::string idText_;
    const int status_;
    const Faults faults_;
    std::array<uint8_t, kEepromSize> eeprom_;
    uint16_t pointer_ = 0;
    State state_ = State::Idle;
    std::vector<uint8_t> collected_;
    int commands_ = 0;
    int resyncs_ = 0;
    int resets_ = 0;
};

}  // namespace igx1sim
