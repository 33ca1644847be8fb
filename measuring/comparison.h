#pragma once
// Another data file's readings shown beside a file's own: lined up on the file's axis of
// reading numbers by number, by elapsed time or by clock time, each file with its own interval
// and start.

#include <string>
#include <vector>

#include "readings/series.h"
#include "readings/time_axis.h"

namespace rv7342 {

// The other file's reading n stands at reading number scale x n + shift of the file's own.
struct LineUp {
    AxisKind by = AxisKind::ReadingNumber;
    double scale = 1;
    double shift = 0;

    double Number(double otherNumber) const { return scale * otherNumber + shift; }
};

// Lines up by `wanted` where both files have the times it needs: clock time needs both
// intervals and starts, otherwise elapsed time both intervals, otherwise reading numbers.
LineUp LineUpFiles(const TimeAxis& own, const TimeAxis& other, AxisKind wanted);

// The series with their reading numbers moved onto the file's own axis.
std::vector<ReadingSeries> LinedUp(std::vector<ReadingSeries> series, const LineUp& lineUp);

// "deg C · run2.dat": a compared series is named with the unit and its file's name, printable.
std::string ComparedLabel(const std::string& seriesLabel, const std::string& fileName);

}  // namespace rv7342
