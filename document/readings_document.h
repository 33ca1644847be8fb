#pragma once
// The readings of one data file as the program understands them: its records as series with
// the labels of their units, the statistics of the whole file, the time axis, which
// series are shown, and the range of readings shown with its statistics and the line that
// says which readings those are. The readings window and every rv7342-cli command hold one;
// the chart draws it, the statistics table and the time-axis controls show it, and what the
// user does reaches it through its operations. Measuring on the readings is part of it: the
// cursors A and B with their readout, and each unit's limits with how the readings keep to
// them. The records themselves are not kept: the series
// hold every value, and an export reads the file again as it stands then.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"
#include "measuring/comparison.h"
#include "measuring/conversion.h"
#include "measuring/cursors.h"
#include "measuring/limits.h"
#include "readings/series.h"
#include "readings/statistics.h"
#include "readings/time_axis.h"

namespace rv7342 {

// A series as the document shows it.
struct DocumentSeries {
    ReadingSeries readings;
    std::string sourceFile;  // the data file the readings come from
    // 0 for the file's own readings, n for those of the n-th file compared (ComparedFiles()).
    std::size_t source = 0;
    std::string unit;        // the unit's label, "V DC" or "unit 57"
    std::string label;       // as the legend and the statistics name it
    SeriesStatistics whole;  // of every reading of the file
    bool shown = false;
    // Of another file compared: how its reading numbers stand on the file's own axis.
    LineUp lineUp;
    // The unit as the file gives it; `unit` is the new one while a conversion applies.
    std::string readUnit;
    std::vector<double> readValues;  // the values as read, while converted
};

class ReadingsDocument {
  public:
    // No readings: nothing to show.
    ReadingsDocument() = default;
    // The records of the data file at `sourceFile`, their units named by `names`: first
    // values shown, second ones hidden, the whole memory in range, an axis of reading numbers.
    ReadingsDocument(std::string sourceFile, const std::vector<Record>& records,
                     const UnitTable& names);
    ReadingsDocument(ReadingsDocument&&) noexcept = default;
    ReadingsDocument& operator=(ReadingsDocument&&) noexcept = default;
    ReadingsDocument(const ReadingsDocument&) = delete;
    ReadingsDocument& operator=(const ReadingsDocument&) = delete;

    const std::string& SourceFile() const { return sourceFile_; }
    // How many records the series were made of.
    std::size_t ReadingCount() const { return readingCount_; }
    const std::vector<DocumentSeries>& Series() const { return series_; }
    // How many values of the whole file are not measured.
    std::size_t LeftOut() const;

    const TimeAxis& Axis() const { return axis_; }
    void SetAxis(const TimeAxis& axis);

    bool Shown(std::size_t series) const { return series_.at(series).shown; }
    void Show(std::size_t series, bool shown);

    // The reading numbers shown. The statistics of the range are of the readings inside it,
    // both ends included.
    const Span& Range() const { return range_; }
    void SetRange(const Span& range);
    // Every reading of the file in range.
    void ShowWholeMemory();
    // The figures of the range shown, or of the readings between the cursors while the
    // statistics are asked of them, and how each series keeps to its unit's limits there.
    const std::vector<SeriesStatistics>& RangeStatistics() const { return rangeStatistics_; }
    const std::vector<LimitFigures>& RangeLimitFigures() const { return rangeLimitFigures_; }
    // "Readings 1201–2400 of 32767" or "All 32767 readings"; "Between the cursors: ..." while
    // the statistics are of the readings between them.
    const std::string& RangeLine() const { return rangeLine_; }

    // Cursors A and B, each standing on a reading number once placed.
    std::optional<double> CursorA() const { return cursorA_; }
    std::optional<double> CursorB() const { return cursorB_; }
    void SetCursors(std::optional<double> a, std::optional<double> b);
    // Both cursors, once both are placed.
    std::optional<Cursors> BothCursors() const;
    // The reading numbers a cursor can stand on: one for each record, rising.
    const std::vector<double>& CursorReadings() const { return cursorReadings_; }
    // Whether the statistics are of the readings between the cursors (while both are placed)
    // rather than of the range shown.
    bool StatisticsBetweenCursors() const { return betweenCursors_; }
    void SetStatisticsBetweenCursors(bool between);
    // Every series shown at the cursors, in the order of the series, as a table with a header
    // row: see ReadoutTable. With one cursor placed, only its column.
    std::vector<std::vector<std::string>> Readout() const;

    // Other data files' readings beside the file's own, each file with its own time axis, lined
    // up with the file's own readings by the axis shown (see LineUpFiles); its series are named
    // "deg C · run2.dat" and shown as the file's own are. Every file added is compared, in the
    // order added: the file itself (at another interval, say) and a file compared already too.
    void AddComparedFile(const std::string& file, const std::vector<Record>& records,
                         const UnitTable& names, const TimeAxis& axis);
    // Every comparison with `file`; the file's own readings stay.
    void RemoveComparedFile(const std::string& file);
    std::vector<std::string> ComparedFiles() const;

    // Linear conversions of the units as read ("mV DC" into "deg C"): a converted series is in
    // its new unit, named, drawn, counted against limits and read at the cursors in it.
    const std::vector<Conversion>& Conversions() const { return conversions_; }
    void SetConversions(std::vector<Conversion> conversions);

    // Each unit's limits, by its label; a unit without limits is left out.
    const std::map<std::string, Limits>& UnitLimits() const { return limits_; }
    void SetLimits(const std::string& unit, const Limits& limits);
    // The limits of the unit of series `index`.
    Limits LimitsOf(std::size_t series) const;

  private:
    struct ComparedAxis {
        std::string file;
        TimeAxis axis;
    };

    void AddSeries(const std::string& file, std::size_t source, const std::vector<Record>& records,
                   const UnitTable& names, const LineUp& lineUp);
    void LineUpComparedFiles();
    void Convert(DocumentSeries& series) const;
    void RebuildBlocks();
    void UpdateRangeFigures();
    void UpdateRangeLine(const Span& span, bool betweenCursors);

    std::string sourceFile_;
    std::size_t readingCount_ = 0;
    std::vector<DocumentSeries> series_;
    std::vector<BlockStatistics> blocks_;  // one per series, of its readings
    TimeAxis axis_;
    Span range_{0, 2};
    std::vector<SeriesStatistics> rangeStatistics_;
    std::vector<LimitFigures> rangeLimitFigures_;
    std::string rangeLine_;
    std::optional<double> cursorA_;
    std::optional<double> cursorB_;
    std::vector<double> cursorReadings_;
    bool betweenCursors_ = false;
    std::map<std::string, Limits> limits_;
    std::vector<ComparedAxis> compared_;
    std::vector<Conversion> conversions_;
};

}  // namespace rv7342
