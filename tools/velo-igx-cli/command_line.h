#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <vector>

namespace velo::cli {

class CommandLine;

enum CommandFlags {
    kOwnArguments = 1,  // reads its arguments itself: an entry such as "-5" is no option
    kPaints = 2,        // needs a QGuiApplication (fonts, PDF)
};

// One command of the tool: the usage line, the parser's options and the workflow are made
// from its row.
struct CliCommand {
    const char* name;
    const char* arguments;  // its usage line after the name; a --units option adds its part
    QList<QCommandLineOption> options;
    int (*run)(const CommandLine& line);
    int flags = 0;
};

template <int (*run)(const QStringList&)>
int withOwnArguments(const CommandLine& line);

// Every command, in the order the usage lists them.
const std::vector<CliCommand>& commands();
const CliCommand* findCommand(const QString& name);
// "  velo-igx-cli show FILE.dat [--json] [--units inHg|kPa|psi|bar]"
QString usageLine(const CliCommand& command);

// A command's arguments as QCommandLineParser reads them with the command's options.
class CommandLine {
  public:
    CommandLine(const CliCommand& command, const QStringList& args);

    const QStringList& arguments() const { return args_; }
    const QStringList& files() const { return files_; }
    bool isSet(const QString& option) const { return parser_.isSet(option); }
    QString value(const QString& option) const { return parser_.value(option); }
    QStringList values(const QString& option) const { return parser_.values(option); }
    // The option given without its value ("--device"), or empty.
    const QString& missingValue() const { return missingValue_; }
    // The first argument, in the order given, that is no option of the command or a file
    // beyond the first `maxFiles`; empty when there is none.
    QString stray(int maxFiles) const;

  private:
    QStringList args_;
    QCommandLineParser parser_;
    QStringList files_;
    QVector<int> fileAt_;  // where each file stands in the arguments
    int strayAt_ = -1;
    QString missingValue_;
};

template <int (*run)(const QStringList&)>
int withOwnArguments(const CommandLine& line) {
    return run(line.arguments());
}

}  // namespace velo::cli
