#pragma once
// The measuring tools' values as the command line gives them. Each parser leaves its result
// alone on a failure, whose reason names the option and quotes the value. Units come out
// printable (see PrintableText): they are shown and written as they are.

#include <optional>
#include <string>
#include <string_view>

#include "datafiles/failure.h"
#include "measuring/conversion.h"
#include "measuring/cursors.h"
#include "measuring/limits.h"

namespace rv7342 {

struct UnitLimits {
    std::string unit;
    Limits limits;
};

// --limit UNIT=LOW:HIGH, either side may be empty: "V DC=11.5:".
Failure ParseLimitOption(std::string_view text, UnitLimits& limit);
// The text ParseLimitOption reads back as `limit`, as settings keep it.
std::string LimitOptionText(const UnitLimits& limit);

// --convert UNIT=NEWUNIT:FACTOR,OFFSET, the offset 0 when left out: "mV DC=deg C:1,0".
Failure ParseConvertOption(std::string_view text, Conversion& conversion);

// The text ParseConvertOption reads back as `conversion`, as settings keep it.
std::string ConvertOptionText(const Conversion& conversion);

// --between A B: the reading numbers of cursors A and B.
Failure ParseBetweenOption(std::string_view a, std::string_view b, Cursors& cursors);

// --compare FILE[,interval=SECONDS][,start=DATETIME]: another data file, with its own logging
// interval and start where they differ from the file's.
struct ComparedFile {
    std::string path;
    std::optional<double> interval;
    std::optional<double> start;
};
Failure ParseCompareOption(std::string_view text, ComparedFile& file);

}  // namespace rv7342
