// rv7342-cli stats: the statistics table of the readings window, as text for scripts, with the
// measuring tools: limits, conversions, other files compared and the cursors' readings.

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

#include "app/cli.h"
#include "datafiles/text_fields.h"
#include "document/readings_document.h"
#include "export/export_table.h"
#include "measuring/options.h"

namespace rv7342::cli {

namespace {

// The keys of the figures follow the series' unit and display.
std::vector<std::string> Keys() {
    std::vector<std::string> keys = {"series", "display"};
    for (const FigureColumn& column : kFigureColumns) {
        keys.emplace_back(column.key);
    }
    return keys;
}
const char* const kLimitKeys[] = {"below", "above", "outside_seconds", "first_outside"};

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

// A figure that is no finite number (none is, but JSON could not hold one) is an empty cell.
Cell NumberCell(std::optional<double> number) {
    Cell cell;
    if (number && std::isfinite(*number)) {
        cell.kind = Cell::Kind::Number;
        cell.number = *number;
    }
    return cell;
}

std::string Field(const Cell& cell, bool json) {
    switch (cell.kind) {
        case Cell::Kind::Number:
        case Cell::Kind::LocalTime:
            return ShortestNumberText(cell.number);
        case Cell::Kind::Text:
            return json ? JsonString(cell.text) : cell.text;
        case Cell::Kind::Empty:
            break;
    }
    return json ? "null" : "";
}

std::string Table(const std::vector<std::string>& keys,
                  const std::vector<std::vector<Cell>>& rows) {
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
    return text;
}

std::string Json(const std::vector<std::string>& keys, const std::vector<std::vector<Cell>>& rows) {
    std::string text = "[";
    for (const std::vector<Cell>& row : rows) {
        text += text.size() == 1 ? "\n  {" : ",\n  {";
        for (std::size_t i = 0; i < row.size(); ++i) {
            text += (i == 0 ? "" : ", ") + JsonString(keys[i]) + ": " + Field(row[i], true);
        }
        text += "}";
    }
    return text + (rows.empty() ? "]\n" : "\n]\n");
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
    std::vector<Cell> row = {
        TextCell(series.unit),
        TextCell(series.readings.display == Display::First ? "first" : "second")};
    for (const FigureColumn& column : kFigureColumns) {
        row.push_back(NumberCell(FigureOf(figures, column.figure)));
    }
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
        row.push_back(TextCell(PrintableText(file)));
    }
    return row;
}

}  // namespace

int Stats(const QStringList& arguments) {
    const QString command = QStringLiteral("stats");
    QCommandLineParser parser;
    Describe(parser,
             QStringLiteral("The statistics of the readings window for each series of FILE: "
                            "tab-separated with a header line, or JSON."),
             QStringLiteral("The data file."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Write a JSON array of objects instead."));
    parser.addOption(json);
    AddRangeOptions(parser);
    AddMeasuringOptions(parser, true);
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
        axis ? MeasuringOptions(parser, command, true) : std::nullopt;
    if (!measuring) {
        return kUsage;
    }
    const DataFileArgument input = ReadDataFileArgument(parser);
    if (input.status == kNothingDone) {
        return input.status;
    }
    ReadingsDocument document(ArgumentPath(input.file), input.records, input.names);
    document.SetAxis(*axis);
    const int status = ApplyMeasuring(*measuring, input, command, document);
    if (status == kNothingDone || status == kUsage) {
        return status;
    }
    if (measuring->between) {
        document.SetCursors(measuring->between->a, measuring->between->b);
        document.SetStatisticsBetweenCursors(true);
    } else {
        document.SetRange({range->first, range->second});
    }
    // Each row's file as the command line names it.
    std::vector<std::string> files = {input.file.toStdString()};
    for (const ComparedFile& compared : measuring->compared) {
        files.push_back(compared.path);
    }
    std::vector<std::vector<Cell>> rows;
    for (std::size_t i = 0; i < document.Series().size(); ++i) {
        const DocumentSeries& series = document.Series()[i];
        rows.push_back(Row(series, document.RangeStatistics()[i], document.RangeLimitFigures()[i],
                           *measuring, files.at(series.source)));
    }
    std::vector<std::string> keys = Keys();
    if (!measuring->limits.empty()) {
        keys.insert(keys.end(), std::begin(kLimitKeys), std::end(kLimitKeys));
    }
    if (!measuring->compared.empty()) {
        keys.push_back("file");
    }
    return PrintOutput(parser.isSet(json) ? Json(keys, rows) : Table(keys, rows), status);
}

}  // namespace rv7342::cli
