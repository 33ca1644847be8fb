// The measuring options of rv7342-cli's stats and plot: limits, conversions, other files
// compared and the cursors' readings, applied to the readings document as the window does.

#include <algorithm>

#include "app/cli.h"
#include "measuring/options.h"

namespace rv7342::cli {

namespace {

// The records of a compared file; kNothingDone when none could be read, reported.
int ReadCompared(const ComparedFile& file, std::vector<Record>& records) {
    if (const Failure failure =
            ReadDataFile(ArgumentPath(QString::fromStdString(file.path)), records)) {
        Say(*failure);
        return records.empty() ? kNothingDone : kDoneInPart;
    }
    return kDone;
}

// The units of the series, as a message lists them: 'V DC', 'deg C'; as read or converted.
std::string UnitList(const ReadingsDocument& document, bool converted) {
    std::string units;
    for (const DocumentSeries& series : document.Series()) {
        const std::string unit = "'" + (converted ? series.unit : series.readUnit) + "'";
        if (units.find(unit) == std::string::npos) {
            units += (units.empty() ? "" : ", ") + unit;
        }
    }
    return units;
}

bool HasUnit(const ReadingsDocument& document, const std::string& unit, bool converted) {
    return std::any_of(document.Series().begin(), document.Series().end(),
                       [&](const DocumentSeries& series) {
                           return (converted ? series.unit : series.readUnit) == unit;
                       });
}

// A unit an option names that no series has is a usage error: most likely a typing error.
std::optional<std::string> UnitNamedByNone(const Measuring& measuring,
                                           const ReadingsDocument& document) {
    for (const auto& [unit, limits] : measuring.limits) {
        if (!HasUnit(document, unit, true)) {
            return "--limit: no series is in '" + unit + "'; the units are " +
                   UnitList(document, true);
        }
    }
    for (const Conversion& conversion : measuring.conversions) {
        if (!HasUnit(document, conversion.unit, false)) {
            return "--convert: no series is in '" + conversion.unit + "'; the units are " +
                   UnitList(document, false);
        }
    }
    return std::nullopt;
}

// A unit given a second time would silently take the place of the first.
Failure GivenTwice(const char* option, const std::string& unit) {
    return std::string(option) + ": '" + unit + "' is given twice; give each unit once";
}

}  // namespace

Failure ConvertOptions(const QCommandLineParser& parser, std::vector<Conversion>& conversions) {
    for (const QString& text : parser.values(QStringLiteral("convert"))) {
        Conversion conversion;
        if (Failure failure = ParseConvertOption(text.toStdString(), conversion)) {
            return failure;
        }
        if (ConversionOf(conversions, conversion.unit)) {
            return GivenTwice("--convert", conversion.unit);
        }
        conversions.push_back(conversion);
    }
    return std::nullopt;
}

void AddConvertOption(QCommandLineParser& parser) {
    parser.addOption(QCommandLineOption(
        QStringLiteral("convert"),
        QStringLiteral("Convert a unit's readings into NEWUNIT as FACTOR x reading + OFFSET: "
                       "'mV DC=deg C:1,0'. Repeatable."),
        QStringLiteral("UNIT=NEWUNIT:FACTOR,OFFSET")));
}

// --between takes two values, which the option parser cannot: they are joined into one.
// No value after a usage error was reported.
std::optional<QStringList> JoinBetween(const QStringList& arguments, const QString& command) {
    QStringList joined;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--")) {
            return joined + arguments.mid(i);
        }
        if (arguments[i] != QStringLiteral("--between")) {
            joined << arguments[i];
            continue;
        }
        if (i + 2 >= arguments.size()) {
            UsageError(command, QStringLiteral("--between needs two reading numbers: A B"));
            return std::nullopt;
        }
        Cursors cursors;
        if (const Failure failure = ParseBetweenOption(arguments[i + 1].toStdString(),
                                                       arguments[i + 2].toStdString(), cursors)) {
            UsageError(command, QString::fromStdString(*failure));
            return std::nullopt;
        }
        joined << QStringLiteral("--between=%1\n%2").arg(arguments[i + 1], arguments[i + 2]);
        i += 2;
    }
    return joined;
}

// No value after a usage error was reported.
std::optional<Measuring> MeasuringOptions(const QCommandLineParser& parser, const QString& command,
                                          bool stats) {
    Measuring measuring;
    Failure failure;
    const QStringList limits = stats ? parser.values(QStringLiteral("limit")) : QStringList();
    for (const QString& text : limits) {
        UnitLimits limit;
        if ((failure = ParseLimitOption(text.toStdString(), limit))) {
            break;
        }
        if (!measuring.limits.emplace(limit.unit, limit.limits).second) {
            failure = GivenTwice("--limit", limit.unit);
            break;
        }
    }
    if (!failure) {
        failure = ConvertOptions(parser, measuring.conversions);
    }
    for (const QString& text : parser.values(QStringLiteral("compare"))) {
        if (failure) {
            break;
        }
        ComparedFile& file = measuring.compared.emplace_back();
        failure = ParseCompareOption(text.toStdString(), file);
    }
    if (!failure && stats && parser.isSet(QStringLiteral("between"))) {
        const QStringList readings =
            parser.value(QStringLiteral("between")).split(QLatin1Char('\n'));
        Cursors cursors;
        failure = ParseBetweenOption(readings.value(0).toStdString(),
                                     readings.value(1).toStdString(), cursors);
        measuring.between = cursors;
        if (!failure &&
            (parser.isSet(QStringLiteral("from")) || parser.isSet(QStringLiteral("to")))) {
            failure = "--between gives the readings: leave out --from and --to";
        }
    }
    if (failure) {
        UsageError(command, QString::fromStdString(*failure));
        return std::nullopt;
    }
    return measuring;
}

void AddMeasuringOptions(QCommandLineParser& parser, bool stats) {
    if (stats) {
        parser.addOption(QCommandLineOption(
            QStringLiteral("limit"),
            QStringLiteral("Lower and upper limit of a unit's readings, either may be left out: "
                           "'V DC=11.5:'. Adds the columns below, above, outside_seconds (with "
                           "--interval) and first_outside. Repeatable."),
            QStringLiteral("UNIT=LOW:HIGH")));
        parser.addOption(QCommandLineOption(
            QStringLiteral("between"),
            QStringLiteral("--between A B: the readings from reading A to B, both included, as "
                           "between the readings window's cursors."),
            QStringLiteral("A B")));
    }
    AddConvertOption(parser);
    parser.addOption(QCommandLineOption(
        QStringLiteral("compare"),
        QStringLiteral("Another data file's series too, lined up by clock time (with --start), "
                       "elapsed time (with --interval) or reading number; its own interval "
                       "and start follow the name: 'run2.dat,interval=5,start=2026-12-01T10:00:00' "
                       "(by default the interval of --interval). stats adds the column file. "
                       "Repeatable."),
        QStringLiteral("FILE")));
}

int ApplyMeasuring(const Measuring& measuring, const DataFileArgument& input,
                   const QString& command, ReadingsDocument& document) {
    int status = input.status;
    document.SetConversions(measuring.conversions);
    for (const ComparedFile& file : measuring.compared) {
        std::vector<Record> records;
        const int read = ReadCompared(file, records);
        if (read == kNothingDone) {
            return read;
        }
        status = std::max(status, read);
        const TimeAxis& axis = document.Axis();
        document.AddComparedFile(
            ArgumentPath(QString::fromStdString(file.path)), records, input.names,
            {file.interval ? file.interval : axis.interval, file.start, axis.kind});
    }
    if (const std::optional<std::string> unknown = UnitNamedByNone(measuring, document)) {
        return UsageError(command, QString::fromStdString(*unknown));
    }
    for (const auto& [unit, limits] : measuring.limits) {
        document.SetLimits(unit, limits);
    }
    return status;
}

}  // namespace rv7342::cli
