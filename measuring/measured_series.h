#pragma once
// The series of a data file as the measuring tools see them: each converted where a conversion
// names its unit, and lined up on the axis of the file they are compared with.

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"
#include "measuring/comparison.h"
#include "measuring/conversion.h"
#include "measuring/limits.h"
#include "readings/series.h"
#include "readings/statistics.h"

namespace rv7342 {

struct MeasuredSeries {
    ReadingSeries series;            // converted values, at reading numbers of the own file's axis
    std::string unit;                // the unit's name, the new one when converted
    std::string convertedFrom;       // the unit's name before, when converted
    std::string file;                // the name of the file it comes from
    LineUp lineUp;                   // from the file's own reading numbers; none for the own file
    std::optional<double> interval;  // the file's own logging interval

    // A reading number on the own axis as the file numbers it: a whole number.
    double FileNumber(double number) const {
        return std::round((number - lineUp.shift) / lineUp.scale);
    }
};

// The series of `records` in the order of GroupIntoSeries.
std::vector<MeasuredSeries> MeasureSeries(const std::vector<Record>& records,
                                          const UnitTable& names,
                                          const std::vector<Conversion>& conversions,
                                          const std::string& file, const LineUp& lineUp,
                                          std::optional<double> interval);

// The figures of one series between reading numbers `from` and `to` of the own axis, both
// included, with the reading numbers in them as the series' file numbers its readings.
struct MeasuredFigures {
    SeriesStatistics statistics;
    LimitFigures limits;
};
MeasuredFigures MeasureFigures(const MeasuredSeries& series, const Limits& limits, double from,
                               double to);

}  // namespace rv7342
