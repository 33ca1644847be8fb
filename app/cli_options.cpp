#ifndef _WIN32
#include <unistd.h>
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/cli.h"
#include "datafiles/output_file.h"
#include "desktop/local_text.h"
#include "desktop/program_places.h"

namespace rv7342::cli {

const char kExitStatusHelp[] = R"(Exit status:
  0    done
  1    done in part: a transfer ended incomplete, or a data file was read only up to a
       faulty line; the output holds what was read
  2    nothing done: a port or file failure (port missing, busy or refused, file not
       readable or not writable, an existing FILE without --force)
  64   usage error
  130  stopped by SIGINT (143 by SIGTERM), 129 by SIGHUP; every whole reading is kept
)";

int StatusForSignal(int signal) {
#ifdef SIGHUP
    if (signal == SIGHUP) {
        return kHungUp;
    }
#endif
    return signal == SIGTERM ? kTerminated : kInterrupted;
}

void Say(const std::string& message) {
    // Every line carries the program's name; the blank lines between paragraphs are left out.
    std::string text;
    for (std::size_t start = 0; start < message.size();) {
        const std::size_t end = std::min(message.find('\n', start), message.size());
        if (end > start) {
            text += "rv7342-cli: " + message.substr(start, end - start) + '\n';
        }
        start = end + 1;
    }
    std::fputs(text.empty() ? "rv7342-cli:\n" : text.c_str(), stderr);
    std::fflush(stderr);
}

void Say(const QString& message) {
    Say(ToLocalText(message));
}

int PrintOutput(const std::string& text, int status) {
    OutputFile out;
    Failure failure = out.Open(OutputFile::kStandardOutput);
    failure = failure ? failure : out.Write(text);
    failure = failure ? failure : out.Commit();
    if (failure) {
        Say(*failure);
        return kNothingDone;
    }
    return status;
}

int UsageError(const QString& command, const QString& message) {
    Say(message);
    Say(QStringLiteral("Try 'rv7342-cli %1--help'.")
            .arg(command.isEmpty() ? QString() : command + QLatin1Char(' ')));
    return kUsage;
}

void Describe(QCommandLineParser& parser, const QString& description, const QString& file) {
    parser.setApplicationDescription(description);
    if (!file.isEmpty()) {
        parser.addPositionalArgument(QStringLiteral("FILE"), file);
    }
}

std::optional<int> Parse(QCommandLineParser& parser, const QStringList& arguments, int files) {
    const QString command = arguments.value(0);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and the exit statuses."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the program's version."));
    parser.addOption(help);
    parser.addOption(version);
    // The command word stands where Qt expects the program's name.
    QStringList withProgram = arguments;
    withProgram[0] = QStringLiteral("rv7342-cli");
    if (!parser.parse(withProgram)) {
        return UsageError(command, parser.errorText());
    }
    if (parser.isSet(help)) {
        // Qt's usage line names the program as it was started and puts the options first.
        const QString text = parser.helpText();
        const QString usage = QStringLiteral("Usage: rv7342-cli %1 [options]%2")
                                  .arg(command, files == 2   ? QStringLiteral(" CAPTURE FILE")
                                                : files == 1 ? QStringLiteral(" FILE")
                                                             : QString());
        return PrintOutput(
            ToLocalText(usage + text.mid(text.indexOf(QLatin1Char('\n')))) + "\n" + kExitStatusHelp,
            kDone);
    }
    if (parser.isSet(version)) {
        return PrintOutput(std::string("rv7342-cli ") + RV7342_VERSION + "\n", kDone);
    }
    const qsizetype given = parser.positionalArguments().size();
    if (given != files) {
        return UsageError(command,
                          given < files
                              ? (files == 2 ? QStringLiteral("CAPTURE and FILE are both needed")
                                            : QStringLiteral("FILE is missing"))
                              : QStringLiteral("too many arguments: '%1'")
                                    .arg(parser.positionalArguments().last()));
    }
    return std::nullopt;
}

std::optional<double> Seconds(const QCommandLineParser& parser, const QString& command,
                              const QString& option) {
    bool number = false;
    const double seconds = parser.value(option).toDouble(&number);
    if (!number || !std::isfinite(seconds) || seconds <= 0 || seconds > 86400) {
        UsageError(command,
                   QStringLiteral("--%1: '%2' is not a number of seconds above 0 and up to 86400")
                       .arg(option, parser.value(option)));
        return std::nullopt;
    }
    return seconds;
}

namespace {
std::vector<std::string> rawArguments;
}  // namespace

void KeepRawArguments(int argc, char** argv) {
    rawArguments.assign(argv + 1, argv + argc);
}

#ifndef _WIN32
namespace {

// The bytes of the argument that reads as `argument`: a whole one, the value of --option=VALUE
// or of -oVALUE. The local encoding of the text otherwise.
std::string RawBytes(const QString& argument) {
    for (const std::string& raw : rawArguments) {
        const std::size_t equals = raw.rfind("--", 0) == 0 ? raw.find('=') : std::string::npos;
        for (const std::size_t from :
             {std::size_t{0}, equals == std::string::npos ? raw.size() : equals + 1,
              raw.rfind("-o", 0) == 0 ? std::size_t{2} : raw.size()}) {
            const std::string bytes = raw.substr(std::min(from, raw.size()));
            if (!bytes.empty() && QString::fromLocal8Bit(bytes.data(), bytes.size()) == argument) {
                return bytes;
            }
        }
    }
    return QFile::encodeName(argument).toStdString();
}

}  // namespace

#endif

// On POSIX the path keeps the argument's own bytes; Windows gives the arguments as UTF-16
// texts, whose path is made absolute by Qt.
std::string ArgumentPath(const QString& argument) {
#ifdef _WIN32
    return LocalPath(QDir::toNativeSeparators(QFileInfo(argument).absoluteFilePath()));
#else
    std::string bytes = RawBytes(argument);
    if (!bytes.empty() && bytes.front() == '/') {
        return bytes;
    }
    while (bytes.rfind("./", 0) == 0) {
        bytes.erase(0, 2);
    }
    const std::unique_ptr<char, void (*)(void*)> folder(::getcwd(nullptr, 0), &std::free);
    return std::string(folder ? folder.get() : ".") + '/' + bytes;
#endif
}

QString ProgramUnitTable() {
    return PlacesOf(QCoreApplication::applicationDirPath()).unitTable;
}

}  // namespace rv7342::cli
