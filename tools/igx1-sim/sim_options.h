#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace igx1sim {

// The ways the simulated controller can misbehave. Each is switched on by one option; the
// ones keyed by an address or a command number may be given several times.
enum class Fault {
    SilentFrom,    // no answer from command number N on
    ResyncAnswer,  // resync answered with this byte instead of 0x06
    ResyncFail,    // the first N resyncs get no answer
    IdNoCr,        // identification text without its 0x0D
    AddrAnswer,    // set address answered with this byte
    WriteRefuse,   // write at this address answered 0x15, nothing stored
    ReadCorrupt,   // read at this address answered with the byte XOR 0xFF
    ReadDrop,      // read at this address gets no answer (the pointer still advances)
    ResetAnswer,   // reset with the right key answered with these bytes
    ResetSilent,   // reset with the right key gets no answer
    DelayMs,       // pause before an answer
    DelayAt,       // only these command numbers are delayed
    SplitUs,       // pause between the bytes of an answer
    Garbage,       // junk bytes waiting in the client's input before it opens
    UnplugRead,    // adapter pulled out when a read reaches this address
    UnplugWrite,   // adapter pulled out when a write reaches this address
};

class Faults {
  public:
    void add(Fault fault, int value = 0) { values_[fault].push_back(value); }
    bool on(Fault fault) const { return values_.count(fault) != 0; }
    // Switched on for this address (or command number).
    bool at(Fault fault, int value) const;
    // The value given last, or `fallback` when the fault is off.
    int value(Fault fault, int fallback = 0) const;
    // Every value given, in order.
    std::vector<int> values(Fault fault) const;

  private:
    std::map<Fault, std::vector<int>> values_;
};

struct SimOptions {
    std::string imageFile;  // loaded into addresses 16..279 at start
    std::string saveFile;   // addresses 16..279 written here at exit
    std::string readyFile;  // receives the device path once the line is up
    bool stdinQuit = false;
    bool verbose = false;
    bool busy = false;
    int status = 1;                     // engine stopped
    int adapterLatencyMs = 0;           // a USB adapter's latency timer; 0: none
    std::string idText = "IGX-1 V2.1";  // identification text, without the 0x0D
    Faults faults;
};

struct ParseResult {
    std::optional<SimOptions> options;  // empty on an error or after --help
    std::string error;                  // message for stderr; empty for --help
};

ParseResult parseArgs(const std::vector<std::string>& args);
std::string helpText();

// Turns \xHH, \r, \n, \t and \\ into their bytes; nullopt for a broken escape.
std::optional<std::string> unescape(const std::string& text);

}  // namespace igx1sim
