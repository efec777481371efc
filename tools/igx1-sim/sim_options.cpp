#include "sim_options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>

namespace igx1sim {

bool Faults::at(Fault fault, int value) const {
    auto it = values_.find(fault);
    return it != values_.end() &&
           std::find(it->second.begin(), it->second.end(), value) != it->second.end();
}

int Faults::value(Fault fault, int fallback) const {
    auto it = values_.find(fault);
    return it == values_.end() ? fallback : it->second.back();
}

std::vector<int> Faults::values(Fault fault) const {
    auto it = values_.find(fault);
    return it == values_.end() ? std::vector<int>{} : it->second;
}

namespace {

struct OptionEntry {
    const char* name;
    Arg arg;
    const char* argName;
    const char* help;  // one line, ends with an example
    std::function<void(SimOptions&, const std::string& text, const std::vector<int>& numbers)>
        apply;
};

using Numbers = std::vector<int>;

auto fault(Fault f) {
    return [f](SimOptions& o, const std::string&, const Numbers& n) {
        if (n.empty()) o.faults.add(f);
        for (int v : n) o.faults.add(f, v);
    };
}

// The options that are no faults; kFaultRows follow them.
std::vector<OptionEntry> makeOptionTable() {
    std::vector<OptionEntry> table = {
        {"--image", Arg::Text, "FILE", "load addresses 16..279 from a data file (--image demo.dat)",
         [](SimOptions& o, const std::string& t, const Numbers&) { o.imageFile = t; }},
        {"--save", Arg::Text, "FILE", "write addresses 16..279 to FILE on exit (--save out.dat)",
         [](SimOptions& o, const std::string& t, const Numbers&) { o.saveFile = t; }},
        {"--ready", Arg::Text, "FILE", "write the device path to FILE (--ready /tmp/dev)",
         [](SimOptions& o, const std::string& t, const Numbers&) { o.readyFile = t; }},
        {"--stdin-quit", Arg::None, "", "exit (and save) at the end of standard input",
         [](SimOptions& o, const std::string&, const Numbers&) { o.stdinQuit = true; }},
        {"--busy", Arg::None, "", "answer without a wake-up delay; keeps a core busy (benchmarks)",
         [](SimOptions& o, const std::string&, const Numbers&) { o.busy = true; }},
        {"--adapter-latency", Arg::Byte, "MS",
         "answer through a USB adapter whose latency timer is MS ms, 0 = none (--adapter-latency "
         "16)",
         [](SimOptions& o, const std::string&, const Numbers& n) { o.adapterLatencyMs = n[0]; }},
        {"--verbose", Arg::None, "", "log every byte with its time on stderr (also -v)",
         [](SimOptions& o, const std::string&, const Numbers&) { o.verbose = true; }},
        {"-v", Arg::None, "", "",
         [](SimOptions& o, const std::string&, const Numbers&) { o.verbose = true; }},
        {"--status", Arg::Byte, "N", "answer read status with N, 1 = engine stopped (--status 0)",
         [](SimOptions& o, const std::string&, const Numbers& n) { o.status = n[0]; }},
        {"--id", Arg::Text, "TEXT",
         "identification text, \\xHH \\r \\n \\\\ escapes, may be empty (--id 'igx-1\\x00')",
         [](SimOptions& o, const std::string& t, const Numbers&) { o.idText = t; }},
    };
    for (const FaultRow& f : kFaultRows)
        table.push_back({f.option, f.arg, f.argName, f.help, fault(f.fault)});
    return table;
}

const std::vector<OptionEntry>& optionTable() {
    static const std::vector<OptionEntry> table = makeOptionTable();
    return table;
}

std::optional<int> number(const std::string& text, int max) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);  // decimal or 0x..
    if (errno != 0 || *end != '\0' || v < 0 || v > max) return std::nullopt;
    return static_cast<int>(v);
}

int maxOf(Arg arg) {
    switch (arg) {
        case Arg::Byte:
        case Arg::Bytes:
            return 255;
        case Arg::Address:
            return 0xFFFF;
        default:
            return 100'000'000;
    }
}

std::optional<Numbers> numbers(const std::string& value, Arg arg) {
    Numbers out;
    size_t from = 0;
    for (;;) {
        const size_t comma = arg == Arg::Bytes ? value.find(',', from) : std::string::npos;
        const auto n = number(value.substr(from, comma - from), maxOf(arg));
        if (!n) return std::nullopt;
        out.push_back(*n);
        if (comma == std::string::npos) return out;
        from = comma + 1;
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                const int hi = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
                const int lo = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
                if (hi < 0 || lo < 0) return std::nullopt;
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

ParseResult parseArgs(const std::vector<std::string>& args) {
    SimOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "-h") return {std::nullopt, ""};
        const auto& table = optionTable();
        auto entry = std::find_if(table.begin(), table.end(),
                                  [&](const OptionEntry& e) { return name == e.name; });
        if (entry == table.end()) return {std::nullopt, "unknown option " + args[i]};
        std::string value;
        if (entry->arg != Arg::None) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return {std::nullopt, name + " needs " + entry->argName};
            }
        } else if (inlineValue) {
            return {std::nullopt, name + " takes no value"};
        }
        Numbers n;
        if (entry->arg != Arg::None && entry->arg != Arg::Text) {
            const auto parsed = numbers(value, entry->arg);
            if (!parsed) {
                return {std::nullopt, name + ": '" + value + "' is not a valid " + entry->argName};
            }
            n = *parsed;
        }
        if (name == "--id") {
            const auto text = unescape(value);
            if (!text) return {std::nullopt, "--id: broken escape in '" + value + "'"};
            value = *text;
        }
        entry->apply(options, value, n);
    }
    return {options, ""};
}

std::string helpText() {
    std::string text =
        "Usage: igx1-sim [OPTION]...\n"
        "A simulated IGX-1 ignition controller on a pseudo-terminal. The device path is the\n"
        "first line of standard output. SIGTERM, SIGINT and SIGHUP end it (after --save).\n"
        "Each byte sent takes the line time of 10 bits at 56000 baud (178.6 us).\n"
        "Numbers are decimal or 0x hex; commands are counted from 1. The EEPROM has 280 bytes,\n"
        "0xFF until loaded; reads past 279 answer 0xFF, writes past it are answered 0x15.\n"
        "Exit status: 0 done, 2 bad usage or file, 3 unplugged.\n\n"
        "Options:\n";
    const auto& table = optionTable();
    const size_t firstFault = table.size() - std::size(kFaultRows);
    for (size_t i = 0; i < table.size(); ++i) {
        const OptionEntry& entry = table[i];
        if (i == firstFault) text += "\nFaults (may be combined):\n";
        if (*entry.help == '\0') continue;  // an alias, named in its long form's line
        std::string left = std::string("  ") + entry.name;
        if (entry.arg != Arg::None) left += std::string(" ") + entry.argName;
        left.resize(std::max<size_t>(left.size() + 1, 23), ' ');
        text += left + entry.help + "\n";
    }
    text += "  --help               print this text\n";
    return text;
}

}  // namespace igx1sim
