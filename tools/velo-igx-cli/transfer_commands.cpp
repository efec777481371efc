// download and upload: the Communications menu's workflows from a terminal.
#include "cli.h"

#include "core/error_report.h"
#include "core/port_settings.h"
#include "core/scripted_interaction.h"
#include "data/data_file.h"
#include "data/file_commands.h"
#include "data/history_records.h"
#include "data/table_as_shown.h"
#include "data/workbench.h"
#include "link/controller_link.h"
#include "link/tracing_port.h"
#include "table/compare_file.h"
#include "table/table_check.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace velo::cli {

namespace {

struct TransferArgs {
    QString file;
    QString device;
    int port = 0;  // 0: the stored setting
    bool trace = false;
    bool readFirst = true;  // upload: keep the controller's tune first
};

std::optional<TransferArgs> parse(const CommandLine& line, int& status) {
    TransferArgs out;
    if (!line.missingValue().isEmpty()) {
        status = usage(line.missingValue() + " needs a value");
        return std::nullopt;
    }
    if (const QString a = line.stray(1); !a.isEmpty()) {
        status = usage("unexpected argument " + a);
        return std::nullopt;
    }
    out.file = line.files().value(0);
    out.device = line.value("device");
    out.trace = line.isSet("trace");
    out.readFirst = !line.isSet("no-read-first");
    if (line.isSet("port")) {
        bool ok = false;
        out.port = line.value("port").toInt(&ok);
        if (!ok || out.port < 1 || out.port > kPortCount) {
            status = usage("--port takes a number from 1 to 255");
            return std::nullopt;
        }
    }
    if (out.file.isEmpty()) {
        status = usage("a data file is needed");
        return std::nullopt;
    }
    if (!out.device.isEmpty() && out.port) {
        status = usage("give --device or --port, not both");
        return std::nullopt;
    }
    return out;
}

// What a window would hold, with the link on the chosen port.
class Session {
  public:
    explicit Session(const TransferArgs& args)
        : settings_(openUserSettings()), portSettings_(*settings_), bench_(stderr) {
        bench_.state.CommPort = args.port;
        if (!bench_.state.CommPort) {
            // As the window's start-up: a bad setting is reported and leaves no port
            // (or the one outside the list) for the link to fail on.
            Trap trap(bench_.ui);
            trap.step([&] {
                bench_.state.CommPort = PortSettings::parseCommPort(portSettings_.storedCommPort());
            });
            trap.step([&] { PortSettings::checkListPosition(bench_.state.CommPort); });
        }
        const QString device = args.device;
        std::unique_ptr<SerialPort> port = makeSystemPort([this, device](int n) {
            return device.isEmpty() ? portSettings_.deviceFor(n) : device;
        });
        if (args.trace) port = std::make_unique<TracingPort>(std::move(port), stderr);
        link_ = std::make_unique<ControllerLink>(bench_.ctx, std::move(port));
        link_->slowAdapter = [](const QString& text) {
            std::fprintf(stderr, "Note: %s\n", qPrintable(text));
        };
        bench_.ctx.history = cliHistory();
        bench_.ctx.askTableAsShown = settings_->value(kAskTableAsShownKey, true).toBool();
        // Told before every transfer until a verified upload or a download ends it.
        if (history::lastUploadFailed(bench_.ctx.history))
            std::fprintf(stderr, "Tune History: %s\n", history::kPartlyProgrammed);
    }

    AppContext& ctx() { return bench_.ctx; }
    ControllerLink& link() { return *link_; }
    const QSettings& settings() const { return *settings_; }

  private:
    std::unique_ptr<QSettings> settings_;
    PortSettings portSettings_;
    Workbench<ScriptedInteraction> bench_;
    std::unique_ptr<ControllerLink> link_;
};

}  // namespace

int runDownload(const CommandLine& line) {
    int status = kUsage;
    const auto parsed = parse(line, status);
    if (!parsed) return status;
    // Found out before the controller is read, not after.
    const QFileInfo target(parsed->file);
    if (!target.absoluteDir().exists()) {
        std::fprintf(stderr, "velo-igx-cli: the folder of %s does not exist\n",
                     qPrintable(parsed->file));
        return kFileError;
    }
    if (target.isDir()) {
        std::fprintf(stderr, "velo-igx-cli: %s is a folder\n", qPrintable(parsed->file));
        return kFileError;
    }
    Session session(*parsed);
    if (session.link().download() != TransferOutcome::Completed) return kFailed;
    Trap trap(session.ctx().ui);
    try {
        // Aborted: an image whose parameters do not fit their bytes.
        if (!saveDataFile(session.ctx(), parsed->file, trap)) return kFailed;
    } catch (const RunError& e) {
        std::fprintf(stderr, "velo-igx-cli: cannot write %s\n", qPrintable(e.description));
        return kFileError;
    }
    return kOk;
}

int runUpload(const CommandLine& line) {
    int status = kUsage;
    const auto parsed = parse(line, status);
    if (!parsed) return status;
    Session session(*parsed);
    try {
        if (loadDataFile(session.ctx(), parsed->file) != LoadResult::Loaded) return kFailed;
    } catch (const RunError& e) {
        std::fprintf(stderr, "Open Data File: %s\n", qPrintable(e.description));
        return kFileError;
    }
    // As after File Open: the next identification fills these in.
    session.ctx().state.FirmwareID.clear();
    session.ctx().state.UnitModel.clear();
    if (const auto table = checkedTableInUse(session.ctx().image)) {
        const CheckRules rules = CheckRules::fromSettings(session.settings());
        printFindings(checkTable(*table, rules), rules, stderr, "Check Timing Table: ");
    }
    offerTableAsShown(session.ctx());
    if (!uploadDespiteFindings(session.ctx(), session.settings())) return kFailed;
    session.link().readBeforeUpload =
        parsed->readFirst &&
        session.settings().value("TuneHistory/ReadBeforeUpload", true).toBool();
    return session.link().upload() == TransferOutcome::Completed ? kOk : kFailed;
}

int runVerify(const CommandLine& line) {
    int status = kUsage;
    const auto parsed = parse(line, status);
    if (!parsed) return status;
    Session session(*parsed);
    if (const int failed = readImage(parsed->file, session.ctx().image)) return failed;
    const auto c = compareBufferWithController(session.ctx(), session.link());
    if (!c) return kFailed;
    const ImageDiff d = compareImages(c->buffer, c->file);
    printImageDiff(d, parsed->file, "controller on " + c->path, PressureUnit::InHg);
    return d.equal() ? kOk : kFailed;
}

}  // namespace velo::cli
