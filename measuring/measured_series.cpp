#include "measuring/measured_series.h"

namespace rv7342 {

std::vector<MeasuredSeries> MeasureSeries(const std::vector<Record>& records,
                                          const UnitTable& names,
                                          const std::vector<Conversion>& conversions,
                                          const std::string& file, const LineUp& lineUp,
                                          std::optional<double> interval) {
    std::vector<MeasuredSeries> measured;
    for (ReadingSeries& series : LinedUp(GroupIntoSeries(records), lineUp)) {
        MeasuredSeries& one = measured.emplace_back();
        one.unit = UnitLabel(names, series.unitCode);
        if (const Conversion* conversion = ConversionOf(conversions, one.unit)) {
            series = Converted(series, *conversion);
            one.convertedFrom = one.unit;
            one.unit = conversion->newUnit;
        }
        one.series = std::move(series);
        one.file = file;
        one.lineUp = lineUp;
        one.interval = interval;
    }
    return measured;
}

MeasuredFigures MeasureFigures(const MeasuredSeries& series, const Limits& limits, double from,
                               double to) {
    MeasuredFigures figures;
    figures.statistics = ComputeStatistics(series.series, from, to);
    figures.statistics.firstReading = series.FileNumber(figures.statistics.firstReading);
    figures.statistics.lastReading = series.FileNumber(figures.statistics.lastReading);
    figures.limits = ComputeLimitFigures(series.series, limits, from, to, series.interval);
    if (figures.limits.firstOutside) {
        figures.limits.firstOutside = series.FileNumber(*figures.limits.firstOutside);
    }
    return figures;
}

}  // namespace rv7342
