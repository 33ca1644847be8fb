#pragma once
// rv7342-cli: the window's jobs from the command line. Each command takes its arguments (the
// command word first) and returns the program's exit status.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

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
int Ports(const QStringList& arguments);

// A message on standard error, prefixed with the program's name.
void Say(const std::string& message);
void Say(const QString& message);

// Parses a command's arguments, adding --help and --version. An exit status when the command
// ends here: its help or the version shown, or a usage error reported; `files` is the number
// of FILE arguments the command takes.
std::optional<int> Parse(QCommandLineParser& parser, const QStringList& arguments, int files);
// A usage error naming the option: reported, and the status to exit with.
int UsageError(const QString& command, const QString& message);
// The value of a seconds option: a number above 0. No value after a usage error was reported.
std::optional<double> Seconds(const QCommandLineParser& parser, const QString& command,
                              const QString& option);

// A path named on the command line, relative to the working folder, for the file functions.
std::string LocalPath(const QString& argument);
// The unit table the window reads too: unit2.dat beside the program.
QString ProgramUnitTable();

}  // namespace rv7342::cli
