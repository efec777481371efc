#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace igx1sim {

// The ways the simulated controller can misbehave. Each is switched on by its option in
// kFaultRows; the ones keyed by an address or a command number may be given several times.
enum class Fault {
    SilentFrom,
    ResyncAnswer,
    ResyncFail,
    IdNoCr,
    AddrAnswer,
    WriteRefuse,
    ReadCorrupt,
    ReadDrop,
    ResetAnswer,
    ResetSilent,
    DelayMs,
    DelayAt,
    SplitUs,
    Garbage,
    UnplugRead,
    UnplugWrite,
};

// What an option's value is read as.
enum class Arg { None, Text, Number, Byte, Bytes, Address };

// One fault: its option, its value, its help line, and how the random user gives it.
struct FaultRow {
    Fault fault;
    const char* option;
    Arg arg;
    const char* argName;
    const char* help;  // what it does, in one line ending with an example
    // The random user's value: `value` when set, else a number from `low` to `high`;
    // `with` is given beside it. A row with neither is left to the others (DelayMs).
    int low, high;
    const char* value = nullptr;
    const char* with = nullptr;
};

inline constexpr int kAnyAddress[] = {16, 279};  // the image's addresses

inline const FaultRow kFaultRows[] = {
    {Fault::SilentFrom, "--silent-from", Arg::Number, "N",
     "no answer from command N on, commands still act (--silent-from 1)", 1, 300},
    {Fault::ResyncAnswer, "--resync-answer", Arg::Byte, "BYTE",
     "answer resync with BYTE (--resync-answer 0x15)", 0, 0, "0x15"},
    {Fault::ResyncFail, "--resync-fail", Arg::Number, "N",
     "no answer to the first N resyncs (--resync-fail 3)", 1, 4},
    {Fault::IdNoCr, "--id-no-cr", Arg::None, "",
     "send the identification without its 0x0D (--id-no-cr)", 0, 0},
    {Fault::AddrAnswer, "--addr-answer", Arg::Byte, "BYTE",
     "answer set address with BYTE, pointer loaded anyway (--addr-answer 0x15)", 0, 0, "0x15"},
    {Fault::WriteRefuse, "--write-refuse", Arg::Address, "ADDR",
     "answer a write at ADDR 0x15, store nothing, pointer stays (--write-refuse 50)",
     kAnyAddress[0], kAnyAddress[1]},
    {Fault::ReadCorrupt, "--read-corrupt", Arg::Address, "ADDR",
     "answer a read at ADDR with the byte XOR 0xFF (--read-corrupt 100)", kAnyAddress[0],
     kAnyAddress[1]},
    {Fault::ReadDrop, "--read-drop", Arg::Address, "ADDR",
     "no answer to a read at ADDR, pointer advances (--read-drop 120)", kAnyAddress[0],
     kAnyAddress[1]},
    {Fault::ResetAnswer, "--reset-answer", Arg::Bytes, "BYTES",
     "answer a reset with these bytes, it still restarts (--reset-answer 0x06,0x00)", 0, 0,
     "0x06,0x00"},
    {Fault::ResetSilent, "--reset-silent", Arg::None, "",
     "no answer to a reset, it still restarts (--reset-silent)", 0, 0},
    {Fault::DelayMs, "--delay-ms", Arg::Number, "MS",
     "wait MS ms before each answer (--delay-ms 1200)", 0, -1},
    {Fault::DelayAt, "--delay-at", Arg::Number, "N",
     "--delay-ms only for command N, repeatable (--delay-at 3 --delay-ms 1500)", 1, 20, nullptr,
     "--delay-ms=1100"},
    {Fault::SplitUs, "--split-us", Arg::Number, "US",
     "pause US microseconds between the bytes of an answer (--split-us 300000)", 0, 0, "400"},
    {Fault::Garbage, "--garbage", Arg::Number, "N",
     "N junk bytes wait in the input of whoever opens the device (--garbage 5)", 1, 40},
    {Fault::UnplugRead, "--unplug-read", Arg::Address, "ADDR",
     "pull the adapter out at a read of ADDR: device gone, save, exit 3 (--unplug-read 100)",
     kAnyAddress[0], kAnyAddress[1]},
    {Fault::UnplugWrite, "--unplug-write", Arg::Address, "ADDR",
     "the same at a write to ADDR, byte not stored (--unplug-write 100)", kAnyAddress[0],
     kAnyAddress[1]},
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
