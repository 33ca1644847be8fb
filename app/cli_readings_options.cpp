// What the data-file commands share: the file's readings and the unit names to go with them.

#include <QFile>

#include <cmath>
#include <limits>

#include "app/cli.h"
#include "desktop/local_text.h"

namespace rv7342::cli {

namespace {

// A reading number of --from or --to; no value after a usage error was reported.
std::optional<double> ReadingNumber(const QCommandLineParser& parser, const QString& command,
                                    const QString& option, double otherwise) {
    if (!parser.isSet(option)) {
        return otherwise;
    }
    bool number = false;
    const double value = parser.value(option).toDouble(&number);
    if (!number || !std::isfinite(value)) {
        UsageError(
            command,
            QStringLiteral("--%1: '%2' is not a reading number").arg(option, parser.value(option)));
        return std::nullopt;
    }
    return value;
}

}  // namespace

void AddUnitsOption(QCommandLineParser& parser) {
    parser.addOption(QCommandLineOption(
        QStringLiteral("units"),
        QStringLiteral("Read the unit names from this table instead of the unit2.dat the window "
                       "reads."),
        QStringLiteral("FILE")));
}

namespace {

// An exit status when the table named cannot be read.
std::optional<int> LoadUnits(const QCommandLineParser& parser, UnitTable& names) {
    if (parser.isSet(QStringLiteral("units"))) {
        if (const Failure failure =
                LoadUnitTable(ArgumentPath(parser.value(QStringLiteral("units"))), names)) {
            Say(*failure);
            return kNothingDone;
        }
        return std::nullopt;
    }
    // As in the window, a missing table of its own only leaves the units unnamed.
    if (const Failure failure = LoadUnitTable(LocalPath(ProgramUnitTable()), names)) {
        Say(*failure + " Units are named by their codes.");
    }
    return std::nullopt;
}

}  // namespace

DataFileArgument ReadDataFileArgument(const QCommandLineParser& parser) {
    DataFileArgument input;
    input.file = parser.positionalArguments().at(1);
    if (const std::optional<int> status = LoadUnits(parser, input.names)) {
        input.status = *status;
    } else if (const Failure failure = ReadDataFile(ArgumentPath(input.file), input.records)) {
        Say(*failure);
        input.status = input.records.empty() ? kNothingDone : kDoneInPart;
    }
    return input;
}

std::optional<TimeAxis> TimeAxisOptions(const QCommandLineParser& parser, const QString& command) {
    TimeAxis axis;
    if (parser.isSet(QStringLiteral("interval"))) {
        bool number = false;
        const double interval = parser.value(QStringLiteral("interval")).toDouble(&number);
        if (!number || !IsValidInterval(interval)) {
            UsageError(command, QStringLiteral("--interval: '%1' is not a logging interval of "
                                               "0.1 to 86400 seconds")
                                    .arg(parser.value(QStringLiteral("interval"))));
            return std::nullopt;
        }
        axis.interval = interval;
        axis.kind = AxisKind::Elapsed;
    }
    if (parser.isSet(QStringLiteral("start"))) {
        axis.start = ParseLocalTime(parser.value(QStringLiteral("start")).toStdString());
        if (!axis.start) {
            UsageError(command, QStringLiteral("--start: '%1' is no date and time such as "
                                               "2026-12-01T10:00:00")
                                    .arg(parser.value(QStringLiteral("start"))));
            return std::nullopt;
        }
        if (!axis.interval) {
            UsageError(command, QStringLiteral("--start needs --interval"));
            return std::nullopt;
        }
        axis.kind = AxisKind::Clock;
    }
    return axis;
}

void AddTimeAxisOptions(QCommandLineParser& parser) {
    parser.addOption(QCommandLineOption(
        QStringLiteral("interval"),
        QStringLiteral("The meter's logging interval, 0.1 to 86400 seconds: gives the readings "
                       "their times."),
        QStringLiteral("SECONDS")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("start"),
        QStringLiteral("The local date and time of the first reading, as 2026-12-01T10:00:00 "
                       "(with --interval)."),
        QStringLiteral("DATETIME")));
}

void AddRangeOptions(QCommandLineParser& parser) {
    parser.addOption(QCommandLineOption(QStringLiteral("from"),
                                        QStringLiteral("The first reading number taken. Default: "
                                                       "the first of the file."),
                                        QStringLiteral("N")));
    parser.addOption(QCommandLineOption(QStringLiteral("to"),
                                        QStringLiteral("The last reading number taken. Default: "
                                                       "the last of the file."),
                                        QStringLiteral("N")));
}

std::optional<std::pair<double, double>> RangeOptions(const QCommandLineParser& parser,
                                                      const QString& command) {
    const std::optional<double> from = ReadingNumber(parser, command, QStringLiteral("from"),
                                                     -std::numeric_limits<double>::infinity());
    const std::optional<double> to = from ? ReadingNumber(parser, command, QStringLiteral("to"),
                                                          std::numeric_limits<double>::infinity())
                                          : std::nullopt;
    if (!to) {
        return std::nullopt;
    }
    if (*from > *to) {
        UsageError(command, QStringLiteral("--from %1 lies after --to %2")
                                .arg(parser.value(QStringLiteral("from")),
                                     parser.value(QStringLiteral("to"))));
        return std::nullopt;
    }
    return std::make_pair(*from, *to);
}

}  // namespace rv7342::cli
