#include "measuring/conversion.h"

#include <cmath>

#include "datafiles/text_fields.h"

namespace rv7342 {

Failure CheckConversion(const Conversion& conversion) {
    if (conversion.unit.empty() || conversion.newUnit.empty()) {
        return std::string("a conversion needs the unit it converts and the unit it gives");
    }
    if (!std::isfinite(conversion.factor) || !std::isfinite(conversion.offset)) {
        return "the factor and the offset of the conversion of " + conversion.unit +
               " must be numbers";
    }
    if (conversion.factor == 0) {
        return "a factor of 0 would make every reading in " + conversion.unit + " the same";
    }
    return std::nullopt;
}

Failure TwoPointConversion(double reading1, double value1, double reading2, double value2,
                           Conversion& conversion) {
    if (reading1 == reading2) {
        return "two equal readings (" + FormatDouble(reading1) +
               ") cannot tell a conversion: give two different readings";
    }
    if (value1 == value2) {
        return "two readings that stand for the same value (" + FormatDouble(value1) +
               ") cannot tell a conversion: give two different values";
    }
    Conversion calibrated = conversion;
    calibrated.factor = (value2 - value1) / (reading2 - reading1);
    calibrated.offset = value1 - calibrated.factor * reading1;
    if (Failure failure = CheckConversion(calibrated)) {
        return failure;
    }
    conversion = calibrated;
    return std::nullopt;
}

const Conversion* ConversionOf(const std::vector<Conversion>& conversions,
                               const std::string& unit) {
    for (const Conversion& conversion : conversions) {
        if (conversion.unit == unit) {
            return &conversion;
        }
    }
    return nullptr;
}

ReadingSeries Converted(ReadingSeries series, const Conversion& conversion) {
    for (double& value : series.values) {
        if (IsMeasured(value)) {
            value = conversion.factor * value + conversion.offset;
        }
    }
    return series;
}

std::string DescribeConversion(const Conversion& conversion) {
    const std::string offset = conversion.offset < 0 ? " - " + FormatDouble(-conversion.offset)
                                                     : " + " + FormatDouble(conversion.offset);
    return conversion.unit + " \xE2\x86\x92 " + conversion.newUnit + ": \xC3\x97 " +
           FormatDouble(conversion.factor) + offset;
}

}  // namespace rv7342
