#pragma once

#include "command_line.h"
#include "table/pressure_units.h"

#include <QStringList>
#include <QVector>
#include <cstdio>

namespace velo {
class ConfigImage;
struct ImageDiff;
class TuneHistory;
struct CheckRules;
struct TableFinding;
}  // namespace velo

namespace velo::cli {

// Exit codes, the same for every command: 0 the workflow ended with its success
// message; 1 any other end, a data file that was read but cannot be used (too short)
// included; 2 usage errors and files that cannot be read or written.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;
inline constexpr int kFileError = 2;

int runShow(const CommandLine& line);
int runDiff(const CommandLine& line);
void printImageDiff(const ImageDiff& d, const QString& pathA, const QString& pathB,
                    PressureUnit unit);
int runExport(const CommandLine& line);
int runImport(const CommandLine& line);
// Reads "--units UNIT"; false (after the usage) when it is wrong.
bool takeUnits(const CommandLine& line, PressureUnit& unit);
int runDownload(const CommandLine& line);
int runUpload(const CommandLine& line);
// verify FILE.dat: the controller against a data file, as diff prints two files.
int runVerify(const CommandLine& line);
int runModify(const QStringList& args);
// The usage line that tells what modify's ENTRY may be.
QString modifyUsage();
// history [--json] | export ID OUT.dat | note ID TEXT
int runHistory(const QStringList& args);
// This run's Tune History, opened on first use.
TuneHistory* cliHistory();
// Needs a QGuiApplication.
int runReport(const CommandLine& line);

// Finding the controller and checking a table.
int runPorts(const CommandLine& line);
int runCheck(const CommandLine& line);
// The findings' sentences, then one line that counts the notes; each line after `prefix`.
void printFindings(const QVector<TableFinding>& all, const CheckRules& rules, FILE* to,
                   const char* prefix = "");

void printUsage(FILE* to);
// Says why on stderr, then the usage; gives the usage exit code.
int usage(const QString& why);
// Reads a data file into `image` as File Open does; otherwise says why on stderr and
// gives the exit code.
int readImage(const QString& path, ConfigImage& image);

}  // namespace velo::cli
