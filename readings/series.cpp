#include "readings/series.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "datafiles/text_fields.h"

namespace rv7342 {

namespace {

int UnitCode(const Record& record, Display display) {
    return display == Display::First ? record.unit1 : record.unit2;
}

double Value(const Record& record, Display display) {
    return display == Display::First ? record.value1 : record.value2;
}

// Finds the series of a unit code; readings of one unit mostly follow each other, so the last
// one found is tried first.
class SeriesIndex {
  public:
    void Add(int unitCode, std::size_t index) { indices_[unitCode] = index; }
    std::size_t Find(int unitCode) {
        if (unitCode != lastCode_) {
            lastCode_ = unitCode;
            lastIndex_ = indices_.at(unitCode);
        }
        return lastIndex_;
    }

  private:
    std::map<int, std::size_t> indices_;
    std::optional<int> lastCode_;
    std::size_t lastIndex_ = 0;
};

// Adds the series of one display: sized first, so that a long file is not copied as the
// series grow.
void AddSeriesOf(const std::vector<Record>& records, const std::vector<double>& numbers,
                 Display display, std::vector<ReadingSeries>& series) {
    std::map<int, std::size_t> counts;
    for (const Record& record : records) {
        ++counts[UnitCode(record, display)];
    }
    SeriesIndex index;
    for (const auto& [code, count] : counts) {
        index.Add(code, series.size());
        ReadingSeries& added = series.emplace_back();
        added.display = display;
        added.unitCode = code;
        added.numbers.reserve(count);
        added.values.reserve(count);
    }
    for (std::size_t row = 0; row < records.size(); ++row) {
        ReadingSeries& target = series[index.Find(UnitCode(records[row], display))];
        target.numbers.push_back(numbers[row]);
        target.values.push_back(Value(records[row], display));
    }
}

}  // namespace

std::vector<double> ReadingNumbers(const std::vector<Record>& records) {
    std::vector<double> numbers(records.size());
    const bool rising =
        std::adjacent_find(records.begin(), records.end(), [](const Record& a, const Record& b) {
            return b.number <= a.number;
        }) == records.end();
    for (std::size_t row = 0; row < records.size(); ++row) {
        numbers[row] =
            rising ? static_cast<double>(records[row].number) : static_cast<double>(row + 1);
    }
    return numbers;
}

bool NeverMeasured(const ReadingSeries& series) {
    return series.display == Display::Second && series.unitCode == 0 &&
           std::all_of(series.values.begin(), series.values.end(),
                       [](double value) { return value == 0; });
}

std::vector<ReadingSeries> GroupIntoSeries(const std::vector<Record>& records) {
    std::vector<ReadingSeries> series = SeriesOfDisplay(records, Display::First);
    for (ReadingSeries& second : SeriesOfDisplay(records, Display::Second)) {
        series.push_back(std::move(second));
    }
    return series;
}

std::vector<ReadingSeries> SeriesOfDisplay(const std::vector<Record>& records, Display display) {
    std::vector<ReadingSeries> series;
    AddSeriesOf(records, ReadingNumbers(records), display, series);
    series.erase(std::remove_if(series.begin(), series.end(), NeverMeasured), series.end());
    return series;
}

std::string UnitLabel(const UnitTable& names, int unitCode) {
    std::string label;
    if (unitCode >= 0 && unitCode < kUnitNameCount && !IsUnassigned(names[unitCode])) {
        for (char32_t character : names[unitCode]) {
            AppendUtf8(character, label);
        }
        label = PrintableText(label);
        label.erase(label.find_last_not_of(' ') + 1);
        label.erase(0, label.find_first_not_of(' '));
    }
    return label.empty() ? "unit " + std::to_string(unitCode) : label;
}

std::string SeriesLabel(const UnitTable& names, const ReadingSeries& series) {
    const std::string unit = UnitLabel(names, series.unitCode);
    return series.display == Display::First ? unit : unit + " (second display)";
}

bool IsMeasured(double value) {
    return std::fabs(value) <= FLT_MAX;
}

}  // namespace rv7342
