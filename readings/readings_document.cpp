#include "readings/readings_document.h"

#include <utility>

namespace rv7342 {

ReadingsDocument::ReadingsDocument(std::string sourceFile, const std::vector<Record>& records,
                                   const UnitTable& names)
    : sourceFile_(std::move(sourceFile)), readingCount_(records.size()) {
    for (ReadingSeries& readings : GroupIntoSeries(records)) {
        DocumentSeries& added = series_.emplace_back();
        added.sourceFile = sourceFile_;
        added.unit = UnitLabel(names, readings.unitCode);
        added.label = SeriesLabel(names, readings);
        added.whole = ComputeStatistics(readings);
        added.shown = readings.display == Display::First;
        added.readings = std::move(readings);
    }
    // The series stay where they are from here on: the block statistics point into them.
    for (const DocumentSeries& series : series_) {
        blocks_.emplace_back(series.readings);
    }
    ShowWholeMemory();
}

std::size_t ReadingsDocument::LeftOut() const {
    std::size_t leftOut = 0;
    for (const DocumentSeries& series : series_) {
        leftOut += series.whole.leftOut;
    }
    return leftOut;
}

void ReadingsDocument::SetAxis(const TimeAxis& axis) {
    axis_ = axis;
    UpdateRangeLine();
}

void ReadingsDocument::Show(std::size_t series, bool shown) {
    series_.at(series).shown = shown;
}

void ReadingsDocument::SetRange(const Span& range) {
    range_ = range;
    rangeStatistics_.clear();
    for (const BlockStatistics& blocks : blocks_) {
        rangeStatistics_.push_back(blocks.Of(range.lower, range.upper));
    }
    UpdateRangeLine();
}

void ReadingsDocument::ShowWholeMemory() {
    std::vector<SeriesStatistics> whole;
    for (const DocumentSeries& series : series_) {
        whole.push_back(series.whole);
    }
    SetRange(WholeReadingSpan(whole));
}

void ReadingsDocument::UpdateRangeLine() {
    ReadingsInRange readings;
    for (const DocumentSeries& series : series_) {
        CountReadingsOf(series.readings, range_.lower, range_.upper, readings);
    }
    rangeLine_ = DescribeReadings(readings, readingCount_, axis_);
}

}  // namespace rv7342
