#include "measuring/options.h"

#include <cmath>

#include "datafiles/text_fields.h"
#include "readings/time_axis.h"

namespace rv7342 {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A text given in an option as a message quotes it, printable.
std::string Quoted(std::string_view text) {
    return "'" + PrintableText(text) + "'";
}

// A finite number; the reason names what it should have been.
Failure ReadNumber(std::string_view text, const std::string& what, double& number) {
    const std::optional<double> value = ParseNumber(Trimmed(text));
    if (!value || !std::isfinite(*value)) {
        return what + " " + Quoted(text) + " is not a number";
    }
    number = *value;
    return std::nullopt;
}

Failure ReadOptionalNumber(std::string_view text, const std::string& what,
                           std::optional<double>& number) {
    if (Trimmed(text).empty()) {
        number.reset();
        return std::nullopt;
    }
    double value = 0;
    if (Failure failure = ReadNumber(text, what, value)) {
        return failure;
    }
    number = value;
    return std::nullopt;
}

std::string OptionFailure(const char* option, std::string_view text, const std::string& reason) {
    return std::string(option) + ": " + Quoted(text) + ": " + reason;
}

}  // namespace

Failure ParseLimitOption(std::string_view text, UnitLimits& limit) {
    const auto equals = text.rfind('=');
    const auto colon = text.rfind(':');
    if (equals == std::string_view::npos || colon == std::string_view::npos || colon < equals ||
        Trimmed(text.substr(0, equals)).empty()) {
        return OptionFailure("--limit", text, "give it as UNIT=LOW:HIGH, such as 'V DC=11.5:'");
    }
    const std::string_view bounds = text.substr(equals + 1);
    if (bounds.find(':') != bounds.rfind(':')) {
        return OptionFailure("--limit", text, "give it as UNIT=LOW:HIGH, with one colon");
    }
    UnitLimits parsed;
    parsed.unit = PrintableText(Trimmed(text.substr(0, equals)));
    const std::size_t split = colon - equals - 1;
    if (Failure failure =
            ReadOptionalNumber(bounds.substr(0, split), "the lower limit", parsed.limits.lower)) {
        return OptionFailure("--limit", text, *failure);
    }
    if (Failure failure =
            ReadOptionalNumber(bounds.substr(split + 1), "the upper limit", parsed.limits.upper)) {
        return OptionFailure("--limit", text, *failure);
    }
    if (!parsed.limits.Any()) {
        return OptionFailure("--limit", text, "it gives neither a lower nor an upper limit");
    }
    if (parsed.limits.lower && parsed.limits.upper && *parsed.limits.lower > *parsed.limits.upper) {
        return OptionFailure("--limit", text, "the lower limit lies above the upper one");
    }
    limit = parsed;
    return std::nullopt;
}

std::string LimitOptionText(const UnitLimits& limit) {
    const auto bound = [](const std::optional<double>& value) {
        return value ? FormatDouble(*value) : std::string();
    };
    return limit.unit + "=" + bound(limit.limits.lower) + ":" + bound(limit.limits.upper);
}

Failure ParseConvertOption(std::string_view text, Conversion& conversion) {
    const auto equals = text.find('=');
    const auto colon = text.rfind(':');
    if (equals == std::string_view::npos || colon == std::string_view::npos || colon < equals) {
        return OptionFailure("--convert", text,
                             "give it as UNIT=NEWUNIT:FACTOR,OFFSET, such as 'mV DC=deg C:1,0'");
    }
    Conversion parsed;
    parsed.unit = PrintableText(Trimmed(text.substr(0, equals)));
    parsed.newUnit = PrintableText(Trimmed(text.substr(equals + 1, colon - equals - 1)));
    const std::string_view numbers = text.substr(colon + 1);
    const auto comma = numbers.find(',');
    if (Failure failure = ReadNumber(numbers.substr(0, comma), "the factor", parsed.factor)) {
        return OptionFailure("--convert", text, *failure);
    }
    if (comma != std::string_view::npos) {
        if (Failure failure = ReadNumber(numbers.substr(comma + 1), "the offset", parsed.offset)) {
            return OptionFailure("--convert", text, *failure);
        }
    }
    if (Failure failure = CheckConversion(parsed)) {
        return OptionFailure("--convert", text, *failure);
    }
    conversion = parsed;
    return std::nullopt;
}

std::string ConvertOptionText(const Conversion& conversion) {
    return conversion.unit + "=" + conversion.newUnit + ":" + FormatDouble(conversion.factor) +
           "," + FormatDouble(conversion.offset);
}

Failure ParseBetweenOption(std::string_view a, std::string_view b, Cursors& cursors) {
    Cursors parsed;
    for (auto [text, number] : {std::pair{a, &parsed.a}, std::pair{b, &parsed.b}}) {
        if (ReadNumber(text, "", *number)) {
            return "--between: " + Quoted(text) + " is not a reading number";
        }
    }
    cursors = parsed;
    return std::nullopt;
}

Failure ParseCompareOption(std::string_view text, ComparedFile& file) {
    ComparedFile parsed;
    std::string_view path = text;
    // The settings follow the file's name; a comma elsewhere belongs to the name.
    for (auto comma = path.rfind(','); comma != std::string_view::npos; comma = path.rfind(',')) {
        const std::string_view setting = path.substr(comma + 1);
        if (setting.rfind("interval=", 0) == 0) {
            double interval = 0;
            if (ReadNumber(setting.substr(9), "", interval) || !IsValidInterval(interval)) {
                return OptionFailure("--compare", text,
                                     Quoted(setting.substr(9)) +
                                         " is not a logging interval of 0.1 to 86400 seconds");
            }
            parsed.interval = interval;
        } else if (setting.rfind("start=", 0) == 0) {
            parsed.start = ParseLocalTime(setting.substr(6));
            if (!parsed.start) {
                return OptionFailure(
                    "--compare", text,
                    Quoted(setting.substr(6)) + " is no date and time such as 2026-12-01T10:00:00");
            }
        } else {
            break;
        }
        path = path.substr(0, comma);
    }
    if (path.empty()) {
        return OptionFailure("--compare", text, "the data file is missing");
    }
    parsed.path = path;
    file = parsed;
    return std::nullopt;
}

}  // namespace rv7342
