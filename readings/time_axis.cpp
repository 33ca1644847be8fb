#include "readings/time_axis.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "datafiles/text_fields.h"

namespace rv7342 {

namespace {

constexpr long long kTenthsPerDay = 864000;

long long FloorDivide(long long value, long long divisor) {
    const long long quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

// Days from 1970-01-01 in the proleptic Gregorian calendar, and back.
long long DaysFromCivil(long long year, int month, int day) {
    year -= month <= 2;
    const long long era = FloorDivide(year, 400);
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, CivilTime& time) {
    days += 719468;
    const long long era = FloorDivide(days, 146097);
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.year = static_cast<int>(yearOfEra + era * 400 + (time.month <= 2));
}

// Times are shown to a tenth of a second, the finest interval the meter logs at.
long long Tenths(double seconds) {
    return std::llround(seconds * 10);
}

std::string TimeOfDayText(long long tenthsOfDay, long long hours) {
    char text[48];
    const long long minutes = tenthsOfDay / 600 % 60;
    const long long seconds = tenthsOfDay / 10 % 60;
    const long long tenths = tenthsOfDay % 10;
    if (tenths != 0) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%lld", hours, minutes, seconds,
                      tenths);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", hours, minutes, seconds);
    }
    return text;
}

long long DayOf(double localSeconds) {
    return FloorDivide(Tenths(localSeconds), kTenthsPerDay);
}

// Round steps of a time axis up to a day, in seconds; longer ones are whole days.
constexpr double kTimeSteps[] = {0.1, 0.2, 0.5, 1,    2,    5,    10,    15,    30,    60,   120,
                                 300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};

double RoundStep(double seconds) {
    for (double step : kTimeSteps) {
        if (step >= seconds) {
            return step;
        }
    }
    const double days = seconds / kSecondsPerDay;
    const double magnitude = std::pow(10, std::floor(std::log10(days)));
    for (double mantissa : {1.0, 2.0, 5.0, 10.0}) {
        if (mantissa * magnitude >= days) {
            return mantissa * magnitude * kSecondsPerDay;
        }
    }
    return 10 * magnitude * kSecondsPerDay;
}

}  // namespace

bool IsValidInterval(double seconds) {
    return seconds >= kShortestInterval && seconds <= kLongestInterval;
}

CivilTime ToCivil(double localSeconds) {
    const long long tenths = Tenths(localSeconds);
    const long long days = FloorDivide(tenths, kTenthsPerDay);
    const long long ofDay = tenths - days * kTenthsPerDay;
    CivilTime time;
    CivilFromDays(days, time);
    time.hour = static_cast<int>(ofDay / 36000);
    time.minute = static_cast<int>(ofDay / 600 % 60);
    time.second = static_cast<double>(ofDay % 600) / 10;
    return time;
}

double FromCivil(const CivilTime& time) {
    return static_cast<double>(DaysFromCivil(time.year, time.month, time.day)) * kSecondsPerDay +
           time.hour * 3600.0 + time.minute * 60.0 + time.second;
}

std::optional<double> ParseLocalTime(std::string_view text) {
    CivilTime time;
    int consumed = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%*1[ T]%2d:%2d%n", &time.year, &time.month, &time.day,
                    &time.hour, &time.minute, &consumed) != 5) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(static_cast<std::size_t>(consumed));
    if (!rest.empty()) {
        const std::optional<double> second =
            rest.front() == ':' ? ParseNumber(rest.substr(1)) : std::nullopt;
        if (!second || *second < 0 || *second >= 60 || rest.size() < 3 ||
            !std::isdigit(static_cast<unsigned char>(rest[1]))) {
            return std::nullopt;
        }
        time.second = *second;
    }
    if (time.month < 1 || time.month > 12 || time.day < 1 || time.hour > 23 || time.minute > 59) {
        return std::nullopt;
    }
    const double seconds = FromCivil(time);
    // A day past the end of its month comes back as another date.
    if (ToCivil(std::floor(seconds)).day != time.day) {
        return std::nullopt;
    }
    return seconds;
}

AxisKind TimeAxis::Shown() const {
    if (!interval || kind == AxisKind::ReadingNumber) {
        return AxisKind::ReadingNumber;
    }
    return kind == AxisKind::Clock && !start ? AxisKind::Elapsed : kind;
}

bool TimeAxis::Allows(AxisKind wanted) const {
    switch (wanted) {
        case AxisKind::Elapsed:
            return interval.has_value();
        case AxisKind::Clock:
            return interval && start;
        case AxisKind::ReadingNumber:
            break;
    }
    return true;
}

namespace {

struct AxisName {
    AxisKind kind;
    const char* word;
    const char* title;
};

constexpr AxisName kAxisNames[] = {{AxisKind::ReadingNumber, "number", "Reading No."},
                                   {AxisKind::Elapsed, "elapsed", "Elapsed time"},
                                   {AxisKind::Clock, "clock", "Clock time"}};

const AxisName& NameOf(AxisKind kind) {
    return kAxisNames[static_cast<int>(kind)];
}

}  // namespace

const char* AxisWord(AxisKind kind) {
    return NameOf(kind).word;
}

const char* AxisTitle(AxisKind kind) {
    return NameOf(kind).title;
}

std::optional<AxisKind> AxisKindNamed(std::string_view word) {
    if (word == "readings") {
        return AxisKind::ReadingNumber;
    }
    for (const AxisName& name : kAxisNames) {
        if (word == name.word) {
            return name.kind;
        }
    }
    return std::nullopt;
}

std::optional<double> ElapsedSeconds(const TimeAxis& axis, double number) {
    if (!axis.interval) {
        return std::nullopt;
    }
    return (number - 1) * *axis.interval;
}

std::optional<double> ClockSeconds(const TimeAxis& axis, double number) {
    const std::optional<double> elapsed = ElapsedSeconds(axis, number);
    if (!elapsed || !axis.start) {
        return std::nullopt;
    }
    return *axis.start + *elapsed;
}

std::string ElapsedText(double seconds, bool withDays) {
    const std::string sign = Tenths(seconds) < 0 ? "-" : "";
    const long long tenths = std::llabs(Tenths(seconds));
    if (!withDays) {
        return sign + TimeOfDayText(tenths, tenths / 36000);
    }
    const long long days = tenths / kTenthsPerDay;
    const long long ofDay = tenths % kTenthsPerDay;
    return sign + std::to_string(days) + "d " + TimeOfDayText(ofDay, ofDay / 36000);
}

std::string ClockText(double localSeconds, bool withDate) {
    const long long tenths = Tenths(localSeconds);
    const long long ofDay = tenths - FloorDivide(tenths, kTenthsPerDay) * kTenthsPerDay;
    std::string text = TimeOfDayText(ofDay, ofDay / 36000);
    if (text.find(':') == 1) {
        text.insert(0, "0");  // hh:mm:ss
    }
    if (!withDate) {
        return text;
    }
    const CivilTime date = ToCivil(localSeconds);
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%04d-%02d-%02d ", date.year, date.month, date.day);
    return prefix + text;
}

std::string ReadingTimeText(const TimeAxis& axis, double number) {
    switch (axis.Shown()) {
        case AxisKind::Elapsed: {
            const double elapsed = *ElapsedSeconds(axis, number);
            return ElapsedText(elapsed, std::fabs(elapsed) >= kSecondsPerDay);
        }
        case AxisKind::Clock:
            return ClockText(*ClockSeconds(axis, number), true);
        case AxisKind::ReadingNumber:
            break;
    }
    return {};
}

std::string TickLabel(const TimeAxis& axis, double number, double from, double to) {
    switch (axis.Shown()) {
        case AxisKind::Elapsed:
            return ElapsedText(*ElapsedSeconds(axis, number),
                               (to - from) * *axis.interval > kSecondsPerDay);
        case AxisKind::Clock:
            return ClockText(*ClockSeconds(axis, number),
                             DayOf(*ClockSeconds(axis, from)) != DayOf(*ClockSeconds(axis, to)));
        case AxisKind::ReadingNumber:
            break;
    }
    return FormatDouble(number);
}

TickSpacing TimeTickSpacing(const TimeAxis& axis, double from, double to, int count) {
    if (axis.Shown() == AxisKind::ReadingNumber) {
        return {};
    }
    const double interval = *axis.interval;
    const double step = RoundStep(std::max((to - from) * interval / std::max(count, 1), 0.1));
    double origin = 1;  // elapsed time 0
    if (axis.Shown() == AxisKind::Clock) {
        const double firstRound = std::ceil(*axis.start / step) * step;
        origin = 1 + (firstRound - *axis.start) / interval;
    }
    return {step / interval, origin};
}

}  // namespace rv7342
