#include "support/fake_link.h"

#include "app/run_error.h"

#include <algorithm>

namespace velo::test {

void FakeClock::letMessagesRun(bool userInput) {
    now += messageStep;
    if (userInput)
        ++userPasses;
    else
        ++quietPasses;
    if (port) port->messagePass();
    if (userInput && onUserPass) onUserPass();
}

void FakeClock::advance(double s) {
    now += s;
}

FakePort::FakePort(FakeClock& clock, const igx1sim::SimOptions& options)
    : controller(options), clock_(clock), options_(options) {
    clock_.port = this;
}

std::vector<uint8_t> FakePort::sentBytes(size_t from) const {
    std::vector<uint8_t> out;
    for (size_t i = from; i < sent.size(); ++i) out.push_back(sent[i].byte);
    return out;
}

void FakePort::open() {
    if (open_) return;
    if (openFails || unplugged_)
        raise(8002, "Velo_IGX_Main",
              QString("Cannot open Com%1: No such file or directory").arg(number_));
    open_ = true;
    ++opens;
    failure_.clear();
    // Junk from an earlier session waits for the first open.
    if (!everOpened_)
        for (int i = 0; i < options_.faults.value(igx1sim::Fault::Garbage); ++i)
            received_.push_back(uint8_t(0x06 + i));
    everOpened_ = true;
}

void FakePort::close() {
    if (!open_) return;
    open_ = false;
    ++closes;
    received_.clear();
}

void FakePort::deliver() {
    if (unplugAt_ >= 0 && clock_.now >= unplugAt_ && !unplugged_) {
        unplugged_ = true;
        inFlight_.clear();
        if (open_) {
            open_ = false;
            received_.clear();
            failure_ = QString("Com%1 stopped working: the device has gone.").arg(number_);
        }
    }
    while (!inFlight_.empty() && inFlight_.front().first <= clock_.now) {
        if (open_) {
            received_.push_back(inFlight_.front().second);
            arrivals.push_back(inFlight_.front().first);
        }
        inFlight_.pop_front();
    }
}

int FakePort::bytesWaiting() {
    deliver();
    return open_ ? int(received_.size()) : 0;
}

void FakePort::discardInput() {
    deliver();
    received_.clear();
}

void FakePort::writeByte(uint8_t byte) {
    deliver();
    sent.push_back({clock_.now, byte, open_});
    if (!open_ || unplugged_) return;
    if (auto it = commAfterSent.find(int(sent.size())); it != commAfterSent.end())
        pendingComm_.push_back(it->second);
    // The controller has the byte once the line has carried it.
    const double at = std::max(lineFree_, clock_.now) + kByteTime;
    lineFree_ = at;
    const auto answer = controller.feed(byte);
    if (!answer) return;
    using igx1sim::Fault;
    const auto& faults = options_.faults;
    double t = at;
    const auto delayAt = faults.values(Fault::DelayAt);
    if (delayAt.empty() || faults.at(Fault::DelayAt, controller.commandCount()))
        t += faults.value(Fault::DelayMs) / 1000.0;
    const double split = faults.value(Fault::SplitUs) / 1e6;
    for (size_t i = 0; i < answer->bytes.size(); ++i) {
        if (i > 0) t += split;
        t += kByteTime;
        inFlight_.push_back({t, answer->bytes[i]});
    }
    if (answer->unplug) unplugAt_ = t;
}

uint8_t FakePort::readByte() {
    deliver();
    if (!open_ || received_.empty()) return 0;
    const uint8_t b = received_.front();
    received_.pop_front();
    return b;
}

void FakePort::pump(int maxMicros) {
    // Up to the next byte, as a real port returns when one is in.
    double until = clock_.now + maxMicros / 1e6;
    if (!inFlight_.empty()) until = std::min(until, inFlight_.front().first);
    if (unplugAt_ >= 0 && !unplugged_) until = std::min(until, unplugAt_);
    clock_.now = std::max(clock_.now + 1e-6, until);
    deliver();
}

void FakePort::messagePass() {
    deliver();
    auto events = std::move(pendingComm_);
    pendingComm_.clear();
    for (int code : events)
        if (onComm) onComm(code);
}

}  // namespace velo::test

#include <QTest>
#include <random>

namespace velo::test {

LinkRig::LinkRig(const igx1sim::SimOptions& options) {
    auto ownedClock = std::make_unique<FakeClock>();
    clock = ownedClock.get();
    auto ownedPort = std::make_unique<FakePort>(*clock, options);
    port = ownedPort.get();
    link = std::make_unique<ControllerLink>(ctx, std::move(ownedPort), std::move(ownedClock));
}

std::array<uint8_t, ConfigImage::kImageBytes> LinkRig::controllerImage() const {
    std::array<uint8_t, ConfigImage::kImageBytes> out{};
    const auto& e = port->controller.eeprom();
    std::copy(e.begin() + ConfigImage::kFirstAddress, e.end(), out.begin());
    return out;
}

void LinkRig::setControllerImage(const std::array<uint8_t, ConfigImage::kImageBytes>& bytes) {
    std::copy(bytes.begin(), bytes.end(),
              port->controller.eeprom().begin() + ConfigImage::kFirstAddress);
}

igx1sim::SimOptions simOptions(const std::vector<std::string>& args) {
    const auto parsed = igx1sim::parseArgs(args);
    if (!parsed.options) qFatal("bad simulator options: %s", parsed.error.c_str());
    return *parsed.options;
}

std::array<uint8_t, ConfigImage::kImageBytes> randomImage(uint32_t seed) {
    std::mt19937 rng(seed);
    std::array<uint8_t, ConfigImage::kImageBytes> bytes{};
    for (auto& b : bytes) b = uint8_t(rng());
    // Normalise through a decode and encode, so the bytes are what an upload sends.
    ConfigImage image;
    image.setImageBytes(bytes);
    image.UpdateParams();
    image.UpdateEEPROM();
    return image.imageBytes();
}

}  // namespace velo::test
