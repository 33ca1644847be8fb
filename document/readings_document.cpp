#include "document/readings_document.h"

#include <algorithm>
#include <utility>

namespace rv7342 {

ReadingsDocument::ReadingsDocument(std::string sourceFile, const std::vector<Record>& records,
                                   const UnitTable& names)
    : sourceFile_(std::move(sourceFile)), readingCount_(records.size()) {
    AddSeries(sourceFile_, 0, records, names, LineUp{});
    std::vector<ReadingSeries> readings;
    for (const DocumentSeries& series : series_) {
        readings.push_back(series.readings);
    }
    cursorReadings_ = FileReadings(readings);
    ShowWholeMemory();
}

void ReadingsDocument::AddSeries(const std::string& file, std::size_t source,
                                 const std::vector<Record>& records, const UnitTable& names,
                                 const LineUp& lineUp) {
    for (ReadingSeries& readings : LinedUp(GroupIntoSeries(records), lineUp)) {
        DocumentSeries& added = series_.emplace_back();
        added.sourceFile = file;
        added.source = source;
        added.readUnit = UnitLabel(names, readings.unitCode);
        added.shown = readings.display == Display::First;
        added.readings = std::move(readings);
        added.lineUp = lineUp;
        Convert(added);
    }
    RebuildBlocks();
}

// The series in the unit its conversion gives, or as read; its label and figures with it.
void ReadingsDocument::Convert(DocumentSeries& series) const {
    if (!series.readValues.empty()) {
        series.readings.values = std::move(series.readValues);
        series.readValues.clear();
    }
    series.unit = series.readUnit;
    if (const Conversion* conversion = ConversionOf(conversions_, series.readUnit)) {
        series.readValues = series.readings.values;
        series.readings = Converted(series.readings, *conversion);
        series.unit = conversion->newUnit;
    }
    std::string label = series.unit;
    if (series.readings.display == Display::Second) {
        label += " (second display)";
    }
    const std::string& file = series.sourceFile;
    series.label = series.source == 0
                       ? label
                       : ComparedLabel(label, file.substr(file.find_last_of("/\\") + 1));
    series.whole = ComputeStatistics(series.readings);
}

void ReadingsDocument::SetConversions(std::vector<Conversion> conversions) {
    conversions_ = std::move(conversions);
    for (DocumentSeries& series : series_) {
        Convert(series);
    }
    RebuildBlocks();
    UpdateRangeFigures();
}

// The block statistics point into the series: made again whenever the series move.
void ReadingsDocument::RebuildBlocks() {
    blocks_.clear();
    for (const DocumentSeries& series : series_) {
        blocks_.emplace_back(series.readings);
    }
}

void ReadingsDocument::AddComparedFile(const std::string& file, const std::vector<Record>& records,
                                       const UnitTable& names, const TimeAxis& axis) {
    compared_.push_back({file, axis});
    AddSeries(file, compared_.size(), records, names, LineUpFiles(axis_, axis, axis_.Shown()));
    UpdateRangeFigures();
}

void ReadingsDocument::RemoveComparedFile(const std::string& file) {
    constexpr std::size_t kRemoved = 0;  // no compared file's source is 0
    std::vector<std::size_t> newSource = {0};
    std::vector<ComparedAxis> kept;
    for (const ComparedAxis& compared : compared_) {
        if (compared.file != file) {
            kept.push_back(compared);
        }
        newSource.push_back(compared.file != file ? kept.size() : kRemoved);
    }
    series_.erase(std::remove_if(series_.begin(), series_.end(),
                                 [&](const DocumentSeries& s) {
                                     return s.source != 0 && newSource[s.source] == kRemoved;
                                 }),
                  series_.end());
    for (DocumentSeries& series : series_) {
        series.source = newSource[series.source];
    }
    compared_ = std::move(kept);
    RebuildBlocks();
    UpdateRangeFigures();
}

std::vector<std::string> ReadingsDocument::ComparedFiles() const {
    std::vector<std::string> files;
    for (const ComparedAxis& compared : compared_) {
        files.push_back(compared.file);
    }
    return files;
}

// Lined up again by the axis shown now, from the numbers each file gives its readings.
void ReadingsDocument::LineUpComparedFiles() {
    for (std::size_t i = 0; i < compared_.size(); ++i) {
        const LineUp lineUp = LineUpFiles(axis_, compared_[i].axis, axis_.Shown());
        for (DocumentSeries& series : series_) {
            if (series.source != i + 1) {
                continue;
            }
            for (double& number : series.readings.numbers) {
                number = lineUp.Number((number - series.lineUp.shift) / series.lineUp.scale);
            }
            series.lineUp = lineUp;
            series.whole = ComputeStatistics(series.readings);
        }
    }
    RebuildBlocks();
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
    if (!compared_.empty()) {
        LineUpComparedFiles();
    }
    UpdateRangeFigures();
}

void ReadingsDocument::Show(std::size_t series, bool shown) {
    series_.at(series).shown = shown;
}

void ReadingsDocument::SetRange(const Span& range) {
    range_ = range;
    UpdateRangeFigures();
}

void ReadingsDocument::UpdateRangeFigures() {
    const std::optional<Cursors> cursors = BothCursors();
    const bool between = betweenCursors_ && cursors;
    const Span span = between ? BetweenCursors(*cursors) : range_;
    rangeStatistics_.clear();
    rangeLimitFigures_.clear();
    for (std::size_t i = 0; i < series_.size(); ++i) {
        rangeStatistics_.push_back(blocks_[i].Of(span.lower, span.upper));
        rangeLimitFigures_.push_back(ComputeLimitFigures(series_[i].readings, LimitsOf(i),
                                                         span.lower, span.upper, axis_.interval));
    }
    UpdateRangeLine(span, between);
}

void ReadingsDocument::ShowWholeMemory() {
    std::vector<SeriesStatistics> whole;
    for (const DocumentSeries& series : series_) {
        whole.push_back(series.whole);
    }
    SetRange(WholeReadingSpan(whole));
}

void ReadingsDocument::UpdateRangeLine(const Span& span, bool betweenCursors) {
    ReadingsInRange readings;
    for (const DocumentSeries& series : series_) {
        if (series.source == 0) {
            CountReadingsOf(series.readings, span.lower, span.upper, readings);
        }
    }
    rangeLine_ = DescribeReadings(readings, readingCount_, axis_);
    if (betweenCursors) {
        rangeLine_ = "Between the cursors: " + rangeLine_;
    }
}

void ReadingsDocument::SetCursors(std::optional<double> a, std::optional<double> b) {
    cursorA_ = a;
    cursorB_ = b;
    UpdateRangeFigures();
}

std::optional<Cursors> ReadingsDocument::BothCursors() const {
    if (!cursorA_ || !cursorB_) {
        return std::nullopt;
    }
    return Cursors{*cursorA_, *cursorB_};
}

void ReadingsDocument::SetStatisticsBetweenCursors(bool between) {
    betweenCursors_ = between;
    UpdateRangeFigures();
}

std::vector<std::vector<std::string>> ReadingsDocument::Readout() const {
    if (!cursorA_ && !cursorB_) {
        return {};
    }
    const double a = cursorA_ ? *cursorA_ : *cursorB_;
    const double b = cursorB_ ? *cursorB_ : a;
    std::vector<const ReadingSeries*> shown;
    std::vector<std::string> labels;
    for (const DocumentSeries& series : series_) {
        if (series.shown) {
            shown.push_back(&series.readings);
            labels.push_back(series.label);
        }
    }
    std::vector<std::vector<std::string>> rows =
        ReadoutTable(ReadCursors(shown, {a, b}, axis_.interval), labels, axis_);
    if (!cursorA_ || !cursorB_) {
        const std::size_t kept = cursorA_ ? 1 : 2;
        for (std::vector<std::string>& row : rows) {
            row = {row[0], row[kept]};
        }
    }
    return rows;
}

void ReadingsDocument::SetLimits(const std::string& unit, const Limits& limits) {
    if (limits.Any()) {
        limits_[unit] = limits;
    } else {
        limits_.erase(unit);
    }
    UpdateRangeFigures();
}

Limits ReadingsDocument::LimitsOf(std::size_t series) const {
    const auto limits = limits_.find(series_.at(series).unit);
    return limits == limits_.end() ? Limits{} : limits->second;
}

}  // namespace rv7342
