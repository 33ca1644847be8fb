#pragma once
// rv7342-cli: the window's jobs from the command line. Each command takes its arguments (the
// command word first) and returns the program's exit status.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"
#include "document/readings_document.h"
#include "measuring/options.h"
#include "readings/time_axis.h"

namespace rv7342::cli {

// The same for every command.
enum ExitStatus {
    kDone = 0,
    kDoneInPart = 1,   // a transfer ended incomplete, a data file was read up to a faulty line
    kNothingDone = 2,  // a port or file failure
    kUsage = 64,
    kHungUp = 129,       // SIGHUP
    kInterrupted = 130,  // SIGINT
    kTerminated = 143,   // SIGTERM
};

// The exit status for a stop signal: 128 + its number.
int StatusForSignal(int signal);

extern const char kExitStatusHelp[];

int Download(const QStringList& arguments);
int Decode(const QStringList& arguments);
int Ports(const QStringList& arguments);
int Stats(const QStringList& arguments);
int Export(const QStringList& arguments);
// Needs a QApplication: the chart is a widget, drawn on the offscreen platform.
int Plot(const QStringList& arguments);

// How a download or a decoding ended.
struct TransferOutcome {
    bool complete = false;
    int records = 0;
    std::string incompleteReason;
    int malformedRecords = 0;
};
// The end of a download or a decoding told as the window tells it, about the data file at
// `path`, which was to replace a file when `replacing`; a port given as `device` is named as
// itself. kDone when complete, otherwise kDoneInPart.
int ReportTransfer(const TransferOutcome& outcome, const std::string& path, bool replacing,
                   const std::string& device = {});

// True when a file stands at `path`: a data file or a capture written there replaces it, and
// only with --force. A device or a pipe is written as it stands, and a folder is refused.
bool ReplacesAFile(const std::string& path);

// A message on standard error, each of its lines prefixed with the program's name.
void Say(const std::string& message);
void Say(const QString& message);

// Writes `text` to the standard output: `status` when it is written, otherwise kNothingDone
// with the reason told.
int PrintOutput(const std::string& text, int status);

// The command's description and, unless `file` is empty, its FILE argument.
void Describe(QCommandLineParser& parser, const QString& description, const QString& file = {});
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
// An exit status when `output` is one of the command's input files (the data file, the
// --units table or one of `inputs`), by identity: through a symbolic or a hard link too. The
// message names both, and asks for -o where `byDefault` the output name was made from the data
// file's.
std::optional<int> RefuseInputAsOutput(const QCommandLineParser& parser, const std::string& output,
                                       bool byDefault, std::vector<std::string> inputs = {});
// --interval SECONDS and --start DATETIME, and the time axis they give; no value after a
// usage error was reported.
void AddTimeAxisOptions(QCommandLineParser& parser);
std::optional<TimeAxis> TimeAxisOptions(const QCommandLineParser& parser, const QString& command);

// --from N and --to N, the reading numbers of a range; all readings by default. No value
// after a usage error was reported.
void AddRangeOptions(QCommandLineParser& parser);
std::optional<std::pair<double, double>> RangeOptions(const QCommandLineParser& parser,
                                                      const QString& command);

// --limit and --between (for stats, `stats`), --convert and --compare: what they give. No
// value after a usage error was reported, also for a unit given twice to --limit or --convert.
struct Measuring {
    std::map<std::string, Limits> limits;  // by unit
    std::vector<Conversion> conversions;
    std::vector<ComparedFile> compared;
    std::optional<Cursors> between;
};
void AddMeasuringOptions(QCommandLineParser& parser, bool stats);
std::optional<Measuring> MeasuringOptions(const QCommandLineParser& parser, const QString& command,
                                          bool stats);
// --convert, for the commands that take no other measuring option, and the conversions it gives.
void AddConvertOption(QCommandLineParser& parser);
Failure ConvertOptions(const QCommandLineParser& parser, std::vector<Conversion>& conversions);
// --between takes two values, which the option parser cannot: they are joined into one before
// the arguments are parsed. No value after a usage error was reported.
std::optional<QStringList> JoinBetween(const QStringList& arguments, const QString& command);
// The conversions, the files compared (read, each one given compared in the order given, so
// that series n's file is measuring.compared[n.source - 1]) and the limits, in `document`. The
// exit status so far: kNothingDone when a file compared cannot be read, kUsage when an option
// names a unit no series has, both reported; otherwise the input's, kDoneInPart when a file
// compared was read in part.
int ApplyMeasuring(const Measuring& measuring, const DataFileArgument& input,
                   const QString& command, ReadingsDocument& document);

// Keeps the arguments as the system gave them, so that a path keeps every byte of its name,
// also where the bytes are no text in the local encoding.
void KeepRawArguments(int argc, char** argv);
// A path named on the command line, relative to the working folder, for the file functions:
// the bytes of the argument it came from.
std::string ArgumentPath(const QString& argument);
// The unit table the window reads, by the same rule (UnitTablePath).
QString ProgramUnitTable();

}  // namespace rv7342::cli
