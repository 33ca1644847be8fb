// rv7342-cli stats: the statistics table of the readings window, as text for scripts, with the
// measuring tools: limits, conversions, other files compared and the cursors' readings.

#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

#include "app/cli.h"
#include "export/export_table.h"
#include "measuring/options.h"
#include "readings/readings_document.h"

namespace rv7342::cli {

namespace {

const char* const kKeys[] = {"series", "display", "count", "min",  "max",
                             "mean",   "sd",      "first", "last", "left_out"};
const char* const kLimitKeys[] = {"below", "above", "outside_seconds", "first_outside"};

// The shortest text that reads back as the same double, with a period.
std::string FullPrecision(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return {text, end};
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

Cell TextCell(const std::string& text) {
    Cell cell;
    cell.kind = Cell::Kind::Text;
    cell.text = text;
    return cell;
}

Cell NumberCell(std::optional<double> number) {
    Cell cell;
    if (number) {
        cell.kind = Cell::Kind::Number;
        cell.number = *number;
    }
    return cell;
}

std::string Field(const Cell& cell, bool json) {
    switch (cell.kind) {
        case Cell::Kind::Number:
        case Cell::Kind::LocalTime:
            return FullPrecision(cell.number);
        case Cell::Kind::Text:
            return json ? JsonString(cell.text) : cell.text;
        case Cell::Kind::Empty:
            break;
    }
    return json ? "null" : "";
}

void PrintTable(const std::vector<std::string>& keys, const std::vector<std::vector<Cell>>& rows) {
    std::string text;
    for (const std::string& key : keys) {
        text += (text.empty() ? "" : "\t") + key;
    }
    text += '\n';
    for (const std::vector<Cell>& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            text += (i == 0 ? "" : "\t") + Field(row[i], false);
        }
        text += '\n';
    }
    std::fputs(text.c_str(), stdout);
}

void PrintJson(const std::vector<std::string>& keys, const std::vector<std::vector<Cell>>& rows) {
    std::string text = "[";
    for (const std::vector<Cell>& row : rows) {
        text += text.size() == 1 ? "\n  {" : ",\n  {";
        for (std::size_t i = 0; i < row.size(); ++i) {
            text += (i == 0 ? "" : ", ") + JsonString(keys[i]) + ": " + Field(row[i], true);
        }
        text += "}";
    }
    std::fputs((text + (rows.empty() ? "]\n" : "\n]\n")).c_str(), stdout);
}

// What the measuring options give.
struct Measuring {
    std::map<std::string, Limits> limits;  // by unit
    std::vector<Conversion> conversions;
    std::vector<ComparedFile> compared;
    std::optional<Cursors> between;
};

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
std::optional<Measuring> MeasuringOptions(const QCommandLineParser& parser,
                                          const QString& command) {
    Measuring measuring;
    Failure failure;
    for (const QString& text : parser.values(QStringLiteral("limit"))) {
        UnitLimits limit;
        if ((failure = ParseLimitOption(text.toStdString(), limit))) {
            break;
        }
        measuring.limits[limit.unit] = limit.limits;
    }
    for (const QString& text : parser.values(QStringLiteral("convert"))) {
        if (failure) {
            break;
        }
        Conversion& conversion = measuring.conversions.emplace_back();
        failure = ParseConvertOption(text.toStdString(), conversion);
    }
    for (const QString& text : parser.values(QStringLiteral("compare"))) {
        if (failure) {
            break;
        }
        ComparedFile& file = measuring.compared.emplace_back();
        failure = ParseCompareOption(text.toStdString(), file);
    }
    if (!failure && parser.isSet(QStringLiteral("between"))) {
        const QStringList readings = parser.value(QStringLiteral("between")).split('\n');
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

void AddMeasuringOptions(QCommandLineParser& parser) {
    parser.addOption(QCommandLineOption(
        QStringLiteral("limit"),
        QStringLiteral("Lower and upper limit of a unit's readings, either may be left out: "
                       "'V DC=11.5:'. Adds the columns below, above, outside_seconds (with "
                       "--interval) and first_outside. Repeatable."),
        QStringLiteral("UNIT=LOW:HIGH")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("convert"),
        QStringLiteral("Convert a unit's readings into NEWUNIT as FACTOR x reading + OFFSET: "
                       "'mV DC=deg C:1,0'. Repeatable."),
        QStringLiteral("UNIT=NEWUNIT:FACTOR,OFFSET")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("compare"),
        QStringLiteral("Another data file's series too, lined up by clock time (with --start), "
                       "elapsed time (with --interval) or reading number; its own interval "
                       "and start follow the name: 'run2.dat,interval=5,start=2026-12-01T10:00:00' "
                       "(by default the interval of --interval). Adds the column file. "
                       "Repeatable."),
        QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("between"),
        QStringLiteral("--between A B: the readings from reading A to B, both included, as "
                       "between the readings window's cursors."),
        QStringLiteral("A B")));
}

// The records of a compared file; kNothingDone when none could be read, reported.
int ReadCompared(const ComparedFile& file, std::vector<Record>& records) {
    if (const Failure failure =
            ReadDataFile(LocalPath(QString::fromStdString(file.path)), records)) {
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

// A unit an option names that no series has is a usage error: most likely a typing error.
std::optional<std::string> UnitNamedByNone(const Measuring& measuring,
                                           const ReadingsDocument& document) {
    for (const auto& [unit, limits] : measuring.limits) {
        if (UnitList(document, true).find("'" + unit + "'") == std::string::npos) {
            return "--limit: no series is in '" + unit + "'; the units are " +
                   UnitList(document, true);
        }
    }
    for (const Conversion& conversion : measuring.conversions) {
        if (UnitList(document, false).find("'" + conversion.unit + "'") == std::string::npos) {
            return "--convert: no series is in '" + conversion.unit + "'; the units are " +
                   UnitList(document, false);
        }
    }
    return std::nullopt;
}

// A reading number of the document's axis as the series' own file numbers it.
double FileNumber(const DocumentSeries& series, double number) {
    return std::round((number - series.lineUp.shift) / series.lineUp.scale);
}

// One row: the series' unit, its display, the figures of the statistics table, and those of
// the measuring options given. `file` is the series' file as the command line named it.
std::vector<Cell> Row(const DocumentSeries& series, SeriesStatistics figures, LimitFigures limits,
                      const Measuring& measuring, const std::string& file) {
    figures.firstReading = FileNumber(series, figures.firstReading);
    figures.lastReading = FileNumber(series, figures.lastReading);
    std::vector<Cell> row = StatisticsRow(series.unit, figures);
    row.insert(row.begin() + 1,
               TextCell(series.readings.display == Display::First ? "first" : "second"));
    if (!measuring.limits.empty()) {
        const bool limited = measuring.limits.count(series.unit) != 0;
        row.push_back(NumberCell(limited ? std::optional<double>(limits.below) : std::nullopt));
        row.push_back(NumberCell(limited ? std::optional<double>(limits.above) : std::nullopt));
        row.push_back(NumberCell(limits.outsideSeconds));
        if (limits.firstOutside) {
            limits.firstOutside = FileNumber(series, *limits.firstOutside);
        }
        row.push_back(NumberCell(limits.firstOutside));
    }
    if (!measuring.compared.empty()) {
        row.push_back(TextCell(file));
    }
    return row;
}

}  // namespace

int Stats(const QStringList& arguments) {
    const QString command = QStringLiteral("stats");
    QCommandLineParser parser;
    Describe(parser, command,
             QStringLiteral("The statistics of the readings window for each series of FILE: "
                            "tab-separated with a header line, or JSON."),
             QStringLiteral("The data file."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Write a JSON array of objects instead."));
    parser.addOption(json);
    AddRangeOptions(parser);
    AddMeasuringOptions(parser);
    AddTimeAxisOptions(parser);
    AddUnitsOption(parser);
    const std::optional<QStringList> joined = JoinBetween(arguments, command);
    if (!joined) {
        return kUsage;
    }
    if (const std::optional<int> status = Parse(parser, *joined, 1)) {
        return *status;
    }
    const std::optional<std::pair<double, double>> range = RangeOptions(parser, command);
    const std::optional<TimeAxis> axis = range ? TimeAxisOptions(parser, command) : std::nullopt;
    const std::optional<Measuring> measuring =
        axis ? MeasuringOptions(parser, command) : std::nullopt;
    if (!measuring) {
        return kUsage;
    }
    const DataFileArgument input = ReadDataFileArgument(parser);
    if (input.status == kNothingDone) {
        return input.status;
    }
    int status = input.status;
    ReadingsDocument document(LocalPath(input.file), input.records, input.names);
    document.SetAxis(*axis);
    document.SetConversions(measuring->conversions);
    std::map<std::string, std::string> given = {{document.SourceFile(), input.file.toStdString()}};
    for (const ComparedFile& file : measuring->compared) {
        std::vector<Record> records;
        const int read = ReadCompared(file, records);
        if (read == kNothingDone) {
            return read;
        }
        status = std::max(status, read);
        const std::string path = LocalPath(QString::fromStdString(file.path));
        given[path] = file.path;
        document.AddComparedFile(
            path, records, input.names,
            {file.interval ? file.interval : axis->interval, file.start, axis->kind});
    }
    if (const std::optional<std::string> unknown = UnitNamedByNone(*measuring, document)) {
        return UsageError(command, QString::fromStdString(*unknown));
    }
    for (const auto& [unit, limits] : measuring->limits) {
        document.SetLimits(unit, limits);
    }
    if (measuring->between) {
        document.SetCursors(measuring->between->a, measuring->between->b);
        document.SetStatisticsBetweenCursors(true);
    } else {
        document.SetRange({range->first, range->second});
    }
    std::vector<std::vector<Cell>> rows;
    for (std::size_t i = 0; i < document.Series().size(); ++i) {
        const DocumentSeries& series = document.Series()[i];
        rows.push_back(Row(series, document.RangeStatistics()[i], document.RangeLimitFigures()[i],
                           *measuring, given[series.sourceFile]));
    }
    std::vector<std::string> keys(std::begin(kKeys), std::end(kKeys));
    if (!measuring->limits.empty()) {
        keys.insert(keys.end(), std::begin(kLimitKeys), std::end(kLimitKeys));
    }
    if (!measuring->compared.empty()) {
        keys.push_back("file");
    }
    parser.isSet(json) ? PrintJson(keys, rows) : PrintTable(keys, rows);
    return status;
}

}  // namespace rv7342::cli
