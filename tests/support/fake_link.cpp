#include "support/fake_link.h"

#include "core/run_error.h"

#include <QTest>
#include <algorithm>
#include <random>

namespace velo::test {

namespace {
constexpr double kByteTime = 10.0 / 56000.0;
constexpr double kMessageStep = 50e-6;
}  // namespace

void FakeClock::letMessagesRun(bool userInput) {
    now += kMessageStep;
    if (!userInput) return;
    ++userPasses;
    if (onUserPass) onUserPass();
}

void FakeClock::pause(int micros) {
    if (port) port->wire << "p" + QString::number(micros / 1000.0);
    LinkTiming::pause(micros);
}

FakePort::FakePort(FakeClock& clock, const igx1sim::SimOptions& options)
    : controller(options), clock_(clock) {
    clock_.port = this;
}

void FakePort::open() {
    if (open_) return;
    if (openFails)
        raise(8002, "Velo_IGX_Main",
              QString("Cannot open Com%1: No such file or directory").arg(number_));
    open_ = true;
}

void FakePort::close() {
    open_ = false;
    received_.clear();
}

void FakePort::deliver() {
    while (!inFlight_.empty() && inFlight_.front().first <= clock_.now) {
        if (open_) received_.push_back(inFlight_.front().second);
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
    sent.push_back(byte);
    wire << QString("%1").arg(byte, 2, 16, QChar('0')).toUpper();
    if (!open_) return;
    // The controller has the byte once the line has carried it; its answer comes back
    // the same way.
    double t = lineFree_ = std::max(lineFree_, clock_.now) + kByteTime;
    if (const auto answer = controller.feed(byte))
        for (uint8_t b : answer->bytes) inFlight_.push_back({t += kByteTime, b});
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
    clock_.now = std::max(clock_.now + 1e-6, until);
    deliver();
}

LinkRig::LinkRig(const QStringList& simArgs) {
    std::vector<std::string> args;
    for (const QString& a : simArgs) args.push_back(a.toStdString());
    const auto parsed = igx1sim::parseArgs(args);
    if (!parsed.options) qFatal("bad simulator options: %s", parsed.error.c_str());
    auto ownedClock = std::make_unique<FakeClock>();
    clock = ownedClock.get();
    auto ownedPort = std::make_unique<FakePort>(*clock, *parsed.options);
    port = ownedPort.get();
    link = std::make_unique<ControllerLink>(ctx, std::move(ownedPort), std::move(ownedClock));
}

ImageBytes LinkRig::controllerImage() const {
    ImageBytes out{};
    const auto& e = port->controller.eeprom();
    std::copy(e.begin() + ConfigImage::kFirstAddress, e.end(), out.begin());
    return out;
}

void LinkRig::setControllerImage(const ImageBytes& bytes) {
    std::copy(bytes.begin(), bytes.end(),
              port->controller.eeprom().begin() + ConfigImage::kFirstAddress);
}

ImageBytes randomImage(uint32_t seed) {
    std::mt19937 rng(seed);
    ImageBytes bytes{};
    for (auto& b : bytes) b = uint8_t(rng());
    // Normalise through a decode and encode, so the bytes are what an upload sends.
    ConfigImage image;
    image.loadImageBytes(bytes);
    image.UpdateEEPROM();
    return image.imageBytes();
}

}  // namespace velo::test
