#pragma once
// A linear conversion of a unit's readings into another unit, as a sensor measured with the
// meter needs: a thermocouple adapter's millivolts into degrees, a shunt's into amperes.

#include <string>
#include <vector>

#include "datafiles/failure.h"
#include "readings/series.h"

namespace rv7342 {

// Readings in `unit` become factor x reading + offset in `newUnit`. Units are named as the
// readings window names them ("mV DC").
struct Conversion {
    std::string unit;
    std::string newUnit;
    double factor = 1;
    double offset = 0;

    bool operator==(const Conversion& other) const {
        return unit == other.unit && newUnit == other.newUnit && factor == other.factor &&
               offset == other.offset;
    }
};

// Why a conversion cannot be applied: a unit not named, a factor or offset that is not a
// finite number, or a factor of 0, which would make every reading the same.
Failure CheckConversion(const Conversion& conversion);

// The factor and offset from two readings and the values they stand for (a two-point
// calibration). Two equal readings give no conversion, and neither do two equal values.
Failure TwoPointConversion(double reading1, double value1, double reading2, double value2,
                           Conversion& conversion);

// The conversion of the unit named `unit`, if there is one.
const Conversion* ConversionOf(const std::vector<Conversion>& conversions, const std::string& unit);

// The series in the new unit; values that are not measured stay so.
ReadingSeries Converted(ReadingSeries series, const Conversion& conversion);

// "mV DC → deg C: × 0.1 - 273.15", as an export notes it.
std::string DescribeConversion(const Conversion& conversion);

}  // namespace rv7342
