#pragma once
// Qt's texts checked for a part, what a table shows a user, cell by cell, and numbers written
// as a user reads them in the language the test runs in.

#include <QAbstractItemModel>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <tuple>

#include "datafiles/unit_table.h"
#include "tests/text_contains.h"

// Qt's strings in GoogleTest's messages as the text they hold.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace rv7342 {

inline testing::AssertionResult Contains(const QString& text, const QString& part) {
    return Contains(text.toStdString(), part.toStdString());
}

inline QString Cell(const QAbstractItemModel& model, int row, int column) {
    return model.index(row, column).data().toString();
}

inline QString Header(const QAbstractItemModel& model, int column) {
    return model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

// The cells of `row`, from the first column to the last.
inline QStringList Row(const QAbstractItemModel& model, int row) {
    QStringList cells;
    for (int column = 0; column < model.columnCount(); ++column) {
        cells << Cell(model, row, column);
    }
    return cells;
}

// A unit table entry of exactly the ten characters given (names are cut to ten).
static_assert(std::tuple_size_v<UnitName> == 10, "a unit name is ten characters");
inline UnitName UnitNameOf(const char32_t (&tenCharacters)[11]) {
    UnitName name;
    std::copy_n(tenCharacters, 10, name.begin());
    return name;
}

// An entry's ten characters, as the table of readings shows them.
inline QString Shown(const UnitName& name) {
    return QString::fromUcs4(name.data(), static_cast<qsizetype>(name.size()));
}

// True when the test runs in German, as LC_ALL, LC_NUMERIC or LANG says (the first one set):
// the language of the comma-decimal run.
inline bool RunningInGerman() {
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            return std::string(value).rfind("de_", 0) == 0;
        }
    }
    return false;
}

// `numbers` written with periods, as a user reads them: with commas in German.
inline QString Decimals(QString numbers) {
    return RunningInGerman() ? numbers.replace('.', ',') : numbers;
}

inline QStringList Decimals(QStringList numbers) {
    for (QString& number : numbers) {
        number = Decimals(number);
    }
    return numbers;
}

}  // namespace rv7342
