#include "export/export_table.h"

#include <algorithm>
#include <set>
#include <utility>

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
                             const TimeAxis& axis, const std::vector<Conversion>& conversions)
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
    if (!conversions.empty()) {
        FindConversions(names, conversions);
    }
}

// The conversion of each unit code the readings use, and those applied.
void ReadingsTable::FindConversions(const UnitTable& names,
                                    const std::vector<Conversion>& conversions) {
    std::set<int> used;
    for (const Record& record : records_) {
        used.insert(record.unit1);
        if (!(record.unit2 == 0 && record.value2 == 0 && !secondOfCodeZeroMeasured_)) {
            used.insert(record.unit2);
        }
    }
    for (const int code : used) {
        if (const Conversion* conversion = ConversionOf(conversions, UnitLabel(names, code))) {
            conversionOf_[code] = *conversion;
        }
    }
    for (const Conversion& conversion : conversions) {
        const bool applied =
            std::any_of(conversionOf_.begin(), conversionOf_.end(),
                        [&conversion](const auto& used) { return used.second == conversion; });
        if (applied) {
            applied_.push_back(conversion);
        }
    }
}

// The value in its unit, converted where a conversion applies, and the unit's label.
std::pair<Cell, Cell> ReadingsTable::ValueAndUnit(double value, int code) const {
    const auto conversion = conversionOf_.find(code);
    if (conversion != conversionOf_.end()) {
        const Conversion& applied = conversion->second;
        return {MeasuredNumber(IsMeasured(value) ? applied.factor * value + applied.offset : value),
                Text(applied.newUnit)};
    }
    return {MeasuredNumber(value),
            Text(code >= 0 && code < kUnitNameCount ? unitLabels_[code]
                                                    : "unit " + std::to_string(code))};
}

void ReadingsTable::Row(std::size_t row, std::vector<Cell>& cells) const {
    const Record& record = records_[row];
    const double number = numbers_[row];
    const auto append = [this, &cells](double value, int code) {
        auto [valueCell, unitCell] = ValueAndUnit(value, code);
        cells.push_back(std::move(valueCell));
        cells.push_back(std::move(unitCell));
    };
    cells.clear();
    cells.push_back(Number(number));
    if (const auto elapsed = ElapsedSeconds(axis_, number)) {
        cells.push_back(Number(*elapsed));
        if (const auto clock = ClockSeconds(axis_, number)) {
            cells.push_back({Cell::Kind::LocalTime, *clock, {}});
        }
    }
    append(record.value1, record.unit1);
    if (record.unit2 == 0 && record.value2 == 0 && !secondOfCodeZeroMeasured_) {
        cells.insert(cells.end(), 2, Cell{});
    } else {
        append(record.value2, record.unit2);
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

std::vector<std::vector<Cell>> StatisticsRows(const std::vector<Record>& records,
                                              const UnitTable& names,
                                              const std::vector<Conversion>& conversions) {
    std::vector<std::vector<Cell>> rows;
    // A display at a time, each series let go (or converted in place) once its figures are
    // taken: a long file's export holds no more than one display's series.
    for (const Display display : {Display::First, Display::Second}) {
        for (ReadingSeries& series : SeriesOfDisplay(records, display)) {
            std::string label = SeriesLabel(names, series);
            const std::string unit = UnitLabel(names, series.unitCode);
            if (const Conversion* conversion = ConversionOf(conversions, unit)) {
                label = conversion->newUnit + label.substr(unit.size());
                series = Converted(std::move(series), *conversion);
            }
            rows.push_back(StatisticsRow(label, ComputeStatistics(series)));
            series = {};
        }
    }
    return rows;
}

}  // namespace rv7342
