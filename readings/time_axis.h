#pragma once
// The horizontal axis of the readings: reading numbers, or the time of each reading from the
// meter's logging interval and, optionally, the local date and time logging started at.
// Local times are calendar seconds from 1970-01-01 00:00:00 with no time zone, as the meter's
// clock and a spreadsheet's date-time cell count them.

#include <optional>
#include <string>
#include <string_view>

namespace rv7342 {

enum class AxisKind { ReadingNumber, Elapsed, Clock };

constexpr double kShortestInterval = 0.1;   // seconds
constexpr double kLongestInterval = 86400;  // seconds
constexpr double kSecondsPerDay = 86400;

bool IsValidInterval(double seconds);

struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    double second = 0;
};

CivilTime ToCivil(double localSeconds);
double FromCivil(const CivilTime& time);
// "2026-12-07 14:03:20", a "T" in place of the blank and a fraction of seconds accepted;
// no value for anything else or a date that does not exist.
std::optional<double> ParseLocalTime(std::string_view text);

struct TimeAxis {
    std::optional<double> interval;  // seconds between two readings
    std::optional<double> start;     // local time of reading number 1
    AxisKind kind = AxisKind::ReadingNumber;

    // The axis that can be drawn: a time axis needs an interval, clock time a start too.
    AxisKind Shown() const;
    // Whether an axis of `kind` can be drawn, by the same rule.
    bool Allows(AxisKind kind) const;
};

// The names of the axis kinds: the word of the command line and the settings file ("number",
// "elapsed", "clock"), and the title of the controls and the chart ("Reading No.", ...).
constexpr AxisKind kAxisKinds[] = {AxisKind::ReadingNumber, AxisKind::Elapsed, AxisKind::Clock};
const char* AxisWord(AxisKind kind);
const char* AxisTitle(AxisKind kind);
// The kind a word names; "readings", which earlier settings files hold, names reading numbers.
std::optional<AxisKind> AxisKindNamed(std::string_view word);

// The time of reading `number`: (number - 1) x interval after the first one.
std::optional<double> ElapsedSeconds(const TimeAxis& axis, double number);
std::optional<double> ClockSeconds(const TimeAxis& axis, double number);

// h:mm:ss, "3d 4:05:06" with days; tenths of seconds only where the time has them.
std::string ElapsedText(double seconds, bool withDays);
// hh:mm:ss, with the date first as yyyy-mm-dd.
std::string ClockText(double localSeconds, bool withDate);

// The time of reading `number` on the axis shown, as the hover text and the range line tell
// it (with days or the date); empty on an axis of reading numbers.
std::string ReadingTimeText(const TimeAxis& axis, double number);

// The label of a tick at reading `number` among ticks from reading `from` to `to`: days only
// when that span is longer than a day, the date only when it crosses midnight.
std::string TickLabel(const TimeAxis& axis, double number, double from, double to);

// Ticks of a time axis, in reading numbers: one at `origin` and every `step` from there, so
// that each falls on a round time (10 s, 5 min, 1 h, a day, ...) for about `count` ticks.
struct TickSpacing {
    double step = 1;
    double origin = 1;
};
TickSpacing TimeTickSpacing(const TimeAxis& axis, double from, double to, int count);

}  // namespace rv7342
