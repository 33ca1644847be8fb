#include "desktop/value_text.h"

#include <cmath>

#include "datafiles/text_fields.h"

namespace rv7342 {

QString ValueText(double value, const QLocale& locale) {
    const auto single = static_cast<float>(value);
    if (!std::isfinite(value) || std::isinf(single)) {
        return QString::fromStdString(std::isinf(value) ? (value > 0 ? "inf" : "-inf")
                                                        : FormatDouble(value));
    }
    return locale.toString(static_cast<double>(single), 'G', 7);
}

QString ValueText(double value) {
    return ValueText(value, ValueLocale());
}

QLocale ValueLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

}  // namespace rv7342
