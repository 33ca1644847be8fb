#pragma once
// rv7342-cli: the window's jobs from the command line. Each command takes its arguments (the
// command word first) and returns the program's exit status.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"
#include "readings/time_axis.h"

namespace rv7342::cli {

// The same for every command.
enum ExitStatus {
    kDone = 0,
    kDoneInPart = 1,   // a transfer ended incomplete, a data file was read up to a faulty line
    kNothingDone = 2,  // a port or file failure
    kUsage = 64,
    kInterrupted = 130,  // SIGINT
    kTerminated = 143,   // SIGTERM
};

extern const char kExitStatusHelp[];

int Download(const QStringList& arguments);
int Decode(const QStringList& arguments);
int Ports(const QStringList& arguments);
int Stats(const QStringList& arguments);
int Export(const QStringList& arguments);
// Needs a QApplication: the chart is a widget, drawn on the offscreen platform.
int Plot(const QStringList& arguments);

// The end of a download or a decoding told as the window tells it, about the data file at
// `path`; kDone when complete, otherwise kDoneInPart.
int ReportTransfer(bool complete, int records, const std::string& path,
                   const std::string& incompleteReason, int malformedRecords);

// A message on standard error, prefixed with the program's name.
void Say(const std::string& message);
void Say(const QString& message);

// The command's description, its word and, unless `file` is empty, its FILE argument.
void Describe(QCommandLineParser& parser, const QString& command, const QString& description,
              const QString& file = {});
// Parses a command's arguments, adding --help and --version. An exit status when the command
// ends here: its help or the version shown, or a usage error reported; `files` is the number
// of FILE arguments the command takes.
std::optional<int> Parse(QCommandLineParser& parser, const QStringList& arguments, int files);
// A usage error naming the option: reported, and the status to exit with.
int UsageError(const QString& command, const QString& message);
// The value of a seconds option: a number above 0. No value after a usage error was reported.
std::optional<double> Seconds(const QCommandLineParser& parser, const QString& command,
                              const QString& option);

// --units FILE: the unit names are read from it, or else from the program's own table.
void AddUnitsOption(QCommandLineParser& parser);
// The data file the command's FILE names, read whole, with the unit names. `status` is the
// exit status so far: kDone, kDoneInPart with the records before a faulty line, or
// kNothingDone when the table named or the file cannot be read. A failure is reported.
struct DataFileArgument {
    int status = kDone;
    QString file;
    UnitTable names{};
    std::vector<Record> records;
};
DataFileArgument ReadDataFileArgument(const QCommandLineParser& parser);
// --interval SECONDS and --start DATETIME, and the time axis they give; no value after a
// usage error was reported.
void AddTimeAxisOptions(QCommandLineParser& parser);
std::optional<TimeAxis> TimeAxisOptions(const QCommandLineParser& parser, const QString& command);

// --from N and --to N, the reading numbers of a range; all readings by default. No value
// after a usage error was reported.
void AddRangeOptions(QCommandLineParser& parser);
std::optional<std::pair<double, double>> RangeOptions(const QCommandLineParser& parser,
                                                      const QString& command);

// A path named on the command line, relative to the working folder, for the file functions.
std::string ArgumentPath(const QString& argument);
// The unit table the window reads, by the same rule (UnitTablePath).
QString ProgramUnitTable();

}  // namespace rv7342::cli
