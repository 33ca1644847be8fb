#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstdio>

#include "app/cli.h"
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
  130  stopped by SIGINT (143 by SIGTERM); every whole reading is kept
)";

void Say(const std::string& message) {
    std::fprintf(stderr, "rv7342-cli: %s\n", message.c_str());
    std::fflush(stderr);
}

void Say(const QString& message) {
    Say(ToLocalText(message));
}

int UsageError(const QString& command, const QString& message) {
    Say(message);
    std::fprintf(stderr, "Try 'rv7342-cli %s--help'.\n",
                 command.isEmpty() ? "" : (command + QLatin1Char(' ')).toLocal8Bit().constData());
    return kUsage;
}

void Describe(QCommandLineParser& parser, const QString& command, const QString& description,
              const QString& file) {
    parser.setApplicationDescription(description);
    parser.addPositionalArgument(command, QStringLiteral("The command."));
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
    QStringList withProgram = arguments;
    withProgram.prepend(QStringLiteral("rv7342-cli"));
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
        std::printf("%s%s\n%s", usage.toLocal8Bit().constData(),
                    text.mid(text.indexOf(QLatin1Char('\n'))).toLocal8Bit().constData(),
                    kExitStatusHelp);
        return kDone;
    }
    if (parser.isSet(version)) {
        std::printf("rv7342-cli %s\n", RV7342_VERSION);
        return kDone;
    }
    // The command word is the first positional argument.
    const qsizetype given = parser.positionalArguments().size() - 1;
    if (given != files) {
        return UsageError(command, given < files ? QStringLiteral("FILE is missing")
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

std::string ArgumentPath(const QString& argument) {
    return LocalPath(QDir::toNativeSeparators(QFileInfo(argument).absoluteFilePath()));
}

QString ProgramUnitTable() {
    return PlacesOf(QCoreApplication::applicationDirPath()).unitTable;
}

}  // namespace rv7342::cli
