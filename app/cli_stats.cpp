// rv7342-cli stats: the statistics table of the readings window, as text for scripts.

#include <charconv>
#include <cstdio>

#include "app/cli.h"
#include "export/export_table.h"
#include "readings/readings_document.h"

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

// One row: the series' unit, its display, and the figures of the statistics table.
std::vector<Cell> Row(const DocumentSeries& series, const SeriesStatistics& figures) {
    std::vector<Cell> row = {
        {Cell::Kind::Text, 0, series.unit},
        {Cell::Kind::Text, 0, series.readings.display == Display::First ? "first" : "second"}};
    for (const FigureColumn& column : kFigureColumns) {
        const std::optional<double> figure = FigureOf(figures, column.figure);
        row.push_back(figure ? Cell{Cell::Kind::Number, *figure, {}} : Cell{});
    }
    return row;
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

void PrintTable(const std::vector<std::vector<Cell>>& rows) {
    std::string text;
    for (const std::string& key : Keys()) {
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

void PrintJson(const std::vector<std::vector<Cell>>& rows) {
    const std::vector<std::string> keys = Keys();
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
    AddUnitsOption(parser);
    if (const std::optional<int> status = Parse(parser, arguments, 1)) {
        return *status;
    }
    const std::optional<std::pair<double, double>> range = RangeOptions(parser, command);
    if (!range) {
        return kUsage;
    }
    const DataFileArgument input = ReadDataFileArgument(parser);
    if (input.status == kNothingDone) {
        return input.status;
    }
    ReadingsDocument document(ArgumentPath(input.file), input.records, input.names);
    document.SetRange({range->first, range->second});
    std::vector<std::vector<Cell>> rows;
    for (std::size_t i = 0; i < document.Series().size(); ++i) {
        rows.push_back(Row(document.Series()[i], document.RangeStatistics()[i]));
    }
    parser.isSet(json) ? PrintJson(rows) : PrintTable(rows);
    return input.status;
}

}  // namespace rv7342::cli
