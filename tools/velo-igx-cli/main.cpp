// velo-igx-cli: the program's workflows from a terminal.
#include "cli.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

namespace velo::cli {

int usage(const QString& why) {
    std::fprintf(stderr, "velo-igx-cli: %s\n", qPrintable(why));
    printUsage(stderr);
    return kUsage;
}

void printUsage(FILE* to) {
    std::fputs(
        "Usage:\n"
        "  velo-igx-cli show FILE.dat [--json] [--units inHg|kPa|psi|bar]\n"
        "  velo-igx-cli diff A.dat B.dat [--json] [--units inHg|kPa|psi|bar]\n"
        "  velo-igx-cli download OUT.dat [--device PATH | --port N] [--trace]\n"
        "  velo-igx-cli upload IN.dat [--device PATH | --port N] [--trace] [--no-read-first]\n"
        "  velo-igx-cli verify FILE.dat [--device PATH | --port N] [--trace]\n"
        "  velo-igx-cli modify IN.dat OUT.dat ENTRY [--rows A-B] [--cols A-B]\n"
        "  velo-igx-cli report IN.dat OUT.pdf|- [--comment TEXT]\n"
        "  velo-igx-cli export IN.dat OUT.csv [--units inHg|kPa|psi|bar]\n"
        "  velo-igx-cli import IN.dat TABLE.csv OUT.dat [--units inHg|kPa|psi|bar]\n"
        "  velo-igx-cli history [--json] | export ID OUT.dat | note ID TEXT\n"
        "  velo-igx-cli ports [--device PATH]... [--json]\n"
        "  velo-igx-cli check FILE.dat [--json] [--units inHg|kPa|psi|bar]\n"
        "Wherever a data file is read, @ID reads entry ID of Tune History instead.\n"
        "\n"
        "Messages are printed as \"TITLE: TEXT\" on stderr; questions are answered so that\n"
        "the work goes on, error reports with Abort.\n"
        "Exit status, for every command: 0 success; 1 the workflow ended any other way,\n"
        "a data file that was read but cannot be used (too short) included; 2 usage\n"
        "errors and files that cannot be read or written.\n"
        "diff lists the parameters and timing table cells that differ, for the tables in\n"
        "use in either file, and counts any other bytes that differ: it exits 0 only when\n"
        "the two files hold the same 264 bytes, 1 when they differ.\n"
        "ports asks every serial port (and each --device) for its identification: exit 0\n"
        "when an IGX-1 answered, 1 when none did. check exits 0 when the table in use has\n"
        "no findings, 1 when it has some.\n"
        "upload first reads the controller's tune and keeps it in Tune History;\n"
        "--no-read-first skips that. verify reads the controller and compares it with\n"
        "FILE.dat as diff does: exit 0 when they hold the same bytes, 1 when not.\n",
        to);
    std::fputs(qPrintable(modifyUsage()), to);
}

}  // namespace velo::cli

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) return velo::cli::runReport(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Velo_IGX_Main");
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args[0] == "--help" || args[0] == "-h") {
        velo::cli::printUsage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? velo::cli::kUsage : velo::cli::kOk;
    }
    const QString command = args.takeFirst();
    if (command == "show") return velo::cli::runShow(args);
    if (command == "diff") return velo::cli::runDiff(args);
    if (command == "download") return velo::cli::runDownload(args);
    if (command == "upload") return velo::cli::runUpload(args);
    if (command == "verify") return velo::cli::runVerify(args);
    if (command == "modify") return velo::cli::runModify(args);
    if (command == "history") return velo::cli::runHistory(args);
    if (command == "export") return velo::cli::runExport(args);
    if (command == "import") return velo::cli::runImport(args);
    if (command == "ports") return velo::cli::runPorts(args);
    if (command == "check") return velo::cli::runCheck(args);
    std::fprintf(stderr, "velo-igx-cli: unknown command \"%s\"\n", qPrintable(command));
    velo::cli::printUsage(stderr);
    return velo::cli::kUsage;
}
