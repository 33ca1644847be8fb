#include "export/export_table.h"

#include <algorithm>

namespace rv7342 {

namespace {

Cell Number(double value) {
    return {Cell::Kind::Number, value, {}};
}

Cell MeasuredNumber(double value) {
    return IsMeasured(value) ? Number(value) : Cell{};
}

Cell Text(const std::string& text) {
    return {Cell::Kind::Text, 0, text};
}

}  // namespace

ReadingsTable::ReadingsTable(const std::vector<Record>& records, const UnitTable& names,
                             const TimeAxis& axis)
    : records_(records), numbers_(ReadingNumbers(records)), axis_(axis) {
    for (int code = 0; code < kUnitNameCount; ++code) {
        unitLabels_.push_back(UnitLabel(names, code));
    }
    secondOfCodeZeroMeasured_ = std::any_of(records.begin(), records.end(), [](const Record& r) {
        return r.unit2 == 0 && r.value2 != 0;
    });
    header_ = {"No."};
    if (axis_.interval) {
        header_.push_back("Elapsed (s)");
        if (axis_.start) {
            header_.push_back("Time");
        }
    }
    header_.insert(header_.end(), {"Value", "Unit", "Value 2", "Unit 2"});
}

void ReadingsTable::Row(std::size_t row, std::vector<Cell>& cells) const {
    const Record& record = records_[row];
    const double number = numbers_[row];
    const auto unit = [this](int code) {
        return Text(code >= 0 && code < kUnitNameCount ? unitLabels_[code]
                                                       : "unit " + std::to_string(code));
    };
    cells.clear();
    cells.push_back(Number(number));
    if (const auto elapsed = ElapsedSeconds(axis_, number)) {
        cells.push_back(Number(*elapsed));
        if (const auto clock = ClockSeconds(axis_, number)) {
            cells.push_back({Cell::Kind::LocalTime, *clock, {}});
        }
    }
    cells.push_back(MeasuredNumber(record.value1));
    cells.push_back(unit(record.unit1));
    if (record.unit2 == 0 && record.value2 == 0 && !secondOfCodeZeroMeasured_) {
        cells.insert(cells.end(), 2, Cell{});
    } else {
        cells.push_back(MeasuredNumber(record.value2));
        cells.push_back(unit(record.unit2));
    }
}

const std::vector<std::string>& StatisticsHeader() {
    static const std::vector<std::string> header = [] {
        std::vector<std::string> titles = {kSeriesTitle};
        for (const FigureColumn& column : kFigureColumns) {
            titles.emplace_back(column.title);
        }
        return titles;
    }();
    return header;
}

std::vector<Cell> StatisticsRow(const std::string& seriesLabel, const SeriesStatistics& figures) {
    std::vector<Cell> row = {Text(seriesLabel)};
    for (const FigureColumn& column : kFigureColumns) {
        const std::optional<double> figure = FigureOf(figures, column.figure);
        row.push_back(figure ? Number(*figure) : Cell{});
    }
    return row;
}

}  // namespace rv7342
