// velo-igx-cli: the program's workflows from a terminal.
#include "cli.h"

#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace velo::cli {

int usage(const QString& why) {
    std::fprintf(stderr, "velo-igx-cli: %s\n", qPrintable(why));
    printUsage(stderr);
    return kUsage;
}

void printUsage(FILE* to) {
    QString text = "Usage:\n";
    for (const CliCommand& command : commands()) text += usageLine(command) + "\n";
    text +=
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
        "FILE.dat as diff does: exit 0 when they hold the same bytes, 1 when not.\n";
    std::fputs(text.toUtf8().constData(), to);
    std::fputs(qPrintable(modifyUsage()), to);
}

}  // namespace velo::cli

int main(int argc, char** argv) {
    using namespace velo::cli;
    const CliCommand* command = argc > 1 ? findCommand(QString::fromLocal8Bit(argv[1])) : nullptr;
    std::unique_ptr<QCoreApplication> app;
    if (command && (command->flags & kPaints)) {
        // Fonts and painting need a GUI application; no screen is needed for it.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName("Velo_IGX_Main");
    const QStringList args = app->arguments().mid(1);
    if (args.isEmpty() || args[0] == "--help" || args[0] == "-h") {
        printUsage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? kUsage : kOk;
    }
    if (!command) {
        std::fprintf(stderr, "velo-igx-cli: unknown command \"%s\"\n", qPrintable(args[0]));
        printUsage(stderr);
        return kUsage;
    }
    return command->run(CommandLine(*command, args.mid(1)));
}
