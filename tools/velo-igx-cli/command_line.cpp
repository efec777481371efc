#include "command_line.h"

#include "cli.h"

#include <algorithm>

namespace velo::cli {

namespace {

const QCommandLineOption* optionOf(const CliCommand& command, const QString& name) {
    const auto& all = command.options;
    const auto it = std::find_if(all.begin(), all.end(), [&](const QCommandLineOption& o) {
        return o.names().contains(name);
    });
    return it == all.end() ? nullptr : &*it;
}

}  // namespace

const std::vector<CliCommand>& commands() {
    static const std::vector<CliCommand> table = [] {
        const QCommandLineOption json("json"), trace("trace"), noReadFirst("no-read-first");
        const QCommandLineOption units("units", {}, "UNIT"), device("device", {}, "PATH");
        const QCommandLineOption port("port", {}, "N"), comment("comment", {}, "TEXT");
        const QList<QCommandLineOption> transfer{device, port, trace, noReadFirst};
        return std::vector<CliCommand>{
            {"show", "FILE.dat [--json]", {json, units}, runShow},
            {"diff", "A.dat B.dat [--json]", {json, units}, runDiff},
            {"download", "OUT.dat [--device PATH | --port N] [--trace]", transfer, runDownload},
            {"upload", "IN.dat [--device PATH | --port N] [--trace] [--no-read-first]", transfer,
             runUpload},
            {"verify", "FILE.dat [--device PATH | --port N] [--trace]", transfer, runVerify},
            {"modify",
             "IN.dat OUT.dat ENTRY [--rows A-B] [--cols A-B]",
             {},
             withOwnArguments<runModify>,
             kOwnArguments},
            {"report", "IN.dat OUT.pdf|- [--comment TEXT]", {comment}, runReport, kPaints},
            {"export", "IN.dat OUT.csv", {units}, runExport},
            {"import", "IN.dat TABLE.csv OUT.dat", {units}, runImport},
            {"history",
             "[--json] | export ID OUT.dat | note ID TEXT",
             {},
             withOwnArguments<runHistory>,
             kOwnArguments},
            {"ports", "[--device PATH]... [--json]", {device, json}, runPorts},
            {"check", "FILE.dat [--json]", {json, units}, runCheck},
        };
    }();
    return table;
}

const CliCommand* findCommand(const QString& name) {
    const auto& all = commands();
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const CliCommand& c) { return name == c.name; });
    return it == all.end() ? nullptr : &*it;
}

QString usageLine(const CliCommand& command) {
    QString line = QString("  velo-igx-cli %1 %2").arg(command.name, command.arguments);
    if (optionOf(command, "units")) line += " [--units " + unitList("|", "|") + "]";
    return line;
}

CommandLine::CommandLine(const CliCommand& command, const QStringList& args) : args_(args) {
    if (command.flags & kOwnArguments) return;
    parser_.addOptions(command.options);
    parser_.parse(QStringList{"velo-igx-cli"} + args);
    // Where each argument stands, read as the tool always has: only the command's own
    // "--name" (and its value) is an option, a single dash starts a file name, and the
    // commands word their complaints themselves.
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QCommandLineOption* o = a.startsWith("--") ? optionOf(command, a.mid(2)) : nullptr;
        if (!a.startsWith("--")) {
            files_ << a;
            fileAt_ << i;
        } else if (!o) {
            if (strayAt_ < 0) strayAt_ = i;
        } else if (!o->valueName().isEmpty() && ++i == args.size()) {
            missingValue_ = a;
        }
    }
}

QString CommandLine::stray(int maxFiles) const {
    int at = strayAt_;
    if (files_.size() > maxFiles && (at < 0 || fileAt_[maxFiles] < at)) at = fileAt_[maxFiles];
    return at < 0 ? QString() : args_[at];
}

}  // namespace velo::cli
