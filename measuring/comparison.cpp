#include "measuring/comparison.h"

#include "datafiles/text_fields.h"

namespace rv7342 {

namespace {

AxisKind Possible(const TimeAxis& own, const TimeAxis& other, AxisKind wanted) {
    const bool intervals = own.interval && other.interval;
    if (wanted == AxisKind::Clock && intervals && own.start && other.start) {
        return AxisKind::Clock;
    }
    if (wanted != AxisKind::ReadingNumber && intervals) {
        return AxisKind::Elapsed;
    }
    return AxisKind::ReadingNumber;
}

}  // namespace

LineUp LineUpFiles(const TimeAxis& own, const TimeAxis& other, AxisKind wanted) {
    LineUp lineUp;
    lineUp.by = Possible(own, other, wanted);
    if (lineUp.by == AxisKind::ReadingNumber) {
        return lineUp;
    }
    // The times of both readings equal: (m - 1) x own = (n - 1) x other + start difference.
    lineUp.scale = *other.interval / *own.interval;
    const double startDifference = lineUp.by == AxisKind::Clock ? *other.start - *own.start : 0;
    lineUp.shift = 1 - lineUp.scale + startDifference / *own.interval;
    return lineUp;
}

std::vector<ReadingSeries> LinedUp(std::vector<ReadingSeries> series, const LineUp& lineUp) {
    for (ReadingSeries& one : series) {
        for (double& number : one.numbers) {
            number = lineUp.Number(number);
        }
    }
    return series;
}

std::string ComparedLabel(const std::string& seriesLabel, const std::string& fileName) {
    return seriesLabel + " \xC2\xB7 " + PrintableText(fileName);
}

}  // namespace rv7342
