#include "controller.h"

#include "link/protocol.h"

#include <algorithm>
#include <cstdio>

namespace igx1sim {

namespace p = velo::protocol;

namespace {

std::string hex(int value, int digits = 2) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

Answer answer(std::vector<uint8_t> bytes, std::string note) {
    return Answer{std::move(bytes), false, std::move(note)};
}

}  // namespace

Controller::Controller(const SimOptions& options)
    : idText_(options.idText), status_(options.status), faults_(options.faults) {
    eeprom_.fill(kErased);
}

bool Controller::silent() const {
    return faults_.on(Fault::SilentFrom) && commands_ >= faults_.value(Fault::SilentFrom);
}

std::optional<Answer> Controller::feed(uint8_t byte) {
    std::optional<Answer> done;
    switch (state_) {
        case State::Idle:
            done = startCommand(byte);
            break;
        case State::AddressLow:
            collected_.push_back(byte);
            state_ = State::AddressHigh;
            break;
        case State::AddressHigh:
            collected_.push_back(byte);
            state_ = State::Idle;
            done = finishSetAddress();
            break;
        case State::WriteData:
            state_ = State::Idle;
            done = write(byte);
            break;
        case State::ResetKey:
            collected_.push_back(byte);
            if (collected_.size() == p::kResetKey.size()) {
                state_ = State::Idle;
                done = reset();
            }
            break;
    }
    // A broken transmitter: the command still takes effect, nothing goes out.
    if (done && silent() && !done->bytes.empty()) {
        done->bytes.clear();
        done->note += " (silent)";
    }
    return done;
}

Answer Controller::startCommand(uint8_t byte) {
    const auto expect = [&](State next) {
        ++commands_;
        collected_.clear();
        state_ = next;
    };
    switch (byte) {
        case p::kResync: {
            ++commands_;
            ++resyncs_;
            if (resyncs_ <= faults_.value(Fault::ResyncFail)) return answer({}, "resync (fail)");
            return answer({uint8_t(faults_.value(Fault::ResyncAnswer, p::kAck))}, "resync");
        }
        case p::kReadStatus:
            ++commands_;
            return answer({uint8_t(status_)}, "status");
        case p::kReadFirmwareId: {
            ++commands_;
            std::vector<uint8_t> bytes(idText_.begin(), idText_.end());
            if (!faults_.on(Fault::IdNoCr)) bytes.push_back(p::kEndOfId);
            return answer(std::move(bytes), "identification");
        }
        case p::kReadByte:
            ++commands_;
            return read();
        case p::kSetAddress:
            expect(State::AddressLow);
            break;
        case p::kWriteByte:
            expect(State::WriteData);
            break;
        case p::kReset:
            expect(State::ResetKey);
            break;
        default:
            return answer({}, "unknown byte " + hex(byte) + " ignored");
    }
    // The caller only looks at answers of complete commands.
    return answer({}, "");
}

Answer Controller::finishSetAddress() {
    pointer_ = static_cast<uint16_t>(collected_[0] | (collected_[1] << 8));
    return answer({uint8_t(faults_.value(Fault::AddrAnswer, p::kAck))},
                  "set address " + hex(pointer_, 4));
}

Answer Controller::read() {
    const int at = pointer_;
    const std::string where = "read " + hex(at, 4);
    if (faults_.at(Fault::UnplugRead, at)) return Answer{{}, true, where + " (unplug)"};
    uint8_t value = at < kEepromSize ? eeprom_[at] : kErased;
    advance();
    if (faults_.at(Fault::ReadDrop, at)) return answer({}, where + " (dropped)");
    if (faults_.at(Fault::ReadCorrupt, at)) value ^= 0xFF;
    return answer({value}, where);
}

Answer Controller::write(uint8_t data) {
    const int at = pointer_;
    const std::string where = "write " + hex(at, 4) + " = " + hex(data);
    if (faults_.at(Fault::UnplugWrite, at)) return Answer{{}, true, where + " (unplug)"};
    if (at >= kEepromSize || faults_.at(Fault::WriteRefuse, at)) {
        return answer({kNak}, where + " (refused)");
    }
    eeprom_[at] = data;
    advance();
    return answer({p::kAck}, where);
}

Answer Controller::reset() {
    if (!std::equal(collected_.begin(), collected_.end(), p::kResetKey.begin())) {
        return answer({kNak}, "reset with a wrong key");
    }
    // A restart forgets the pointer and any half-received command; the EEPROM stays.
    ++resets_;
    pointer_ = 0;
    if (faults_.on(Fault::ResetSilent)) return answer({}, "reset (silent)");
    if (!faults_.on(Fault::ResetAnswer)) return answer({p::kAck}, "reset");
    std::vector<uint8_t> bytes;
    for (int v : faults_.values(Fault::ResetAnswer)) bytes.push_back(uint8_t(v));
    return answer(std::move(bytes), "reset");
}

}  // namespace igx1sim
