#include "ui/readings/statistics_model.h"

#include <QLocale>
#include <QPixmap>

#include <cmath>

#include "datafiles/text_fields.h"
#include "desktop/value_text.h"

namespace rv7342 {

namespace {

// The series' name, then a column for each figure.
constexpr int kSeriesColumn = 0;

const FigureColumn& FigureIn(int column) {
    return kFigureColumns[column - 1];
}

// The limit columns follow those of the figures.
enum LimitColumn { kLower, kUpper, kBelow, kAbove, kTimeOutside, kFirstOutside, kLimitColumns };
const char* const kLimitHeader[] = {"Lower limit", "Upper limit",  "Below",
                                    "Above",       "Time outside", "First outside"};
// The short headings of the figures' columns, then of the limits'.
const char* const kShortFigureHeader[] = {"Count", "Min",   "Max",  "Mean",
                                          "SD",    "First", "Last", "Left out"};
const char* const kShortLimitHeader[] = {"Lower", "Upper",    "Below",
                                         "Above", "Time out", "First out"};
static_assert(std::size(kShortFigureHeader) == std::size(kFigureColumns));

int FigureColumns() {
    return 1 + static_cast<int>(std::size(kFigureColumns));
}

}  // namespace

StatisticsModel::StatisticsModel(const ReadingsDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {}

void StatisticsModel::ShowSeries(std::vector<QColor> colours) {
    beginResetModel();
    colours_ = std::move(colours);
    endResetModel();
}

void StatisticsModel::ShowColours(std::vector<QColor> colours) {
    colours_ = std::move(colours);
    if (rowCount() > 0) {
        emit dataChanged(index(0, kSeriesColumn), index(rowCount() - 1, kSeriesColumn),
                         {Qt::DecorationRole});
    }
}

void StatisticsModel::ShowShown(int row) {
    emit dataChanged(index(row, kSeriesColumn), index(row, kSeriesColumn), {Qt::CheckStateRole});
}

void StatisticsModel::ShowFigures() {
    if (rowCount() > 0) {
        emit dataChanged(index(0, kSeriesColumn + 1), index(rowCount() - 1, columnCount() - 1),
                         {Qt::DisplayRole});
    }
}

QString StatisticsModel::Readings() const {
    return QString::fromStdString(document_.RangeLine());
}

void StatisticsModel::ShowLimits(bool shown) {
    if (shown != limitsShown_) {
        beginResetModel();
        limitsShown_ = shown;
        endResetModel();
    }
}

int StatisticsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(colours_.size());
}

int StatisticsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FigureColumns() + (limitsShown_ ? kLimitColumns : 0);
}

QString StatisticsModel::LimitCellText(int row, int column) const {
    const auto series = static_cast<std::size_t>(row);
    if (series >= document_.RangeLimitFigures().size()) {
        return {};
    }
    const Limits limits = document_.LimitsOf(series);
    const LimitFigures& figures = document_.RangeLimitFigures()[series];
    const TimeAxis& axis = document_.Axis();
    const auto value = [](const std::optional<double>& number) {
        return number ? ValueText(*number) : QString();
    };
    switch (column) {
        case kLower:
            return value(limits.lower);
        case kUpper:
            return value(limits.upper);
        case kBelow:
            return limits.lower ? QString::number(figures.below) : QString();
        case kAbove:
            return limits.upper ? QString::number(figures.above) : QString();
        case kTimeOutside:
            return figures.outsideSeconds && axis.Shown() != AxisKind::ReadingNumber
                       ? QString::fromStdString(ElapsedText(
                             *figures.outsideSeconds, *figures.outsideSeconds >= kSecondsPerDay))
                       : QString();
        case kFirstOutside: {
            if (!figures.firstOutside) {
                return {};
            }
            const std::string time = ReadingTimeText(axis, *figures.firstOutside);
            return QString::fromStdString(FormatDouble(*figures.firstOutside) +
                                          (time.empty() ? "" : " (" + time + ")"));
        }
        default:
            return {};
    }
}

// The figures as this desktop writes numbers.
QString StatisticsModel::CellText(int row, int column) const {
    if (column == kSeriesColumn) {
        return QString::fromStdString(document_.Series()[static_cast<std::size_t>(row)].label);
    }
    if (column >= FigureColumns()) {
        return LimitCellText(row, column - FigureColumns());
    }
    const std::vector<SeriesStatistics>& figures = document_.RangeStatistics();
    const SeriesStatistics none;
    const FigureColumn& shown = FigureIn(column);
    const std::optional<double> figure = FigureOf(static_cast<std::size_t>(row) < figures.size()
                                                      ? figures[static_cast<std::size_t>(row)]
                                                      : none,
                                                  shown.figure);
    if (!figure) {
        return {};
    }
    return shown.whole ? QString::number(*figure, 'f', 0) : ValueText(*figure);
}

QVariant StatisticsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const int row = index.row(), column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return CellText(row, column);
        case Qt::CheckStateRole:
            return column == kSeriesColumn
                       ? QVariant(document_.Shown(static_cast<std::size_t>(row)) ? Qt::Checked
                                                                                 : Qt::Unchecked)
                       : QVariant();
        case Qt::DecorationRole:
            if (column == kSeriesColumn) {
                QPixmap swatch(12, 12);
                swatch.fill(colours_.at(static_cast<std::size_t>(row)));
                return swatch;
            }
            return {};
        case Qt::TextAlignmentRole:
            return column == kSeriesColumn ? QVariant()
                                           : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant StatisticsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    const int limit = section - FigureColumns();
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(section == kSeriesColumn ? kSeriesTitle
                                   : limit >= 0             ? kShortLimitHeader[limit]
                                                            : kShortFigureHeader[section - 1]);
    }
    if (role != Qt::ToolTipRole) {
        return {};
    }
    const QString heading = Heading(section);
    if (limit == kLower || limit == kUpper) {
        return heading + QStringLiteral(": edit to set the unit's limit; empty for none");
    }
    if (limit == kTimeOutside) {
        return heading + QStringLiteral(": each reading outside counts for one logging interval");
    }
    if (section == kSeriesColumn || limit >= 0) {
        return heading;
    }
    if (FigureIn(section).figure == Figure::StandardDeviation) {
        return heading + QStringLiteral(": sample standard deviation, divided by count - 1");
    }
    if (FigureIn(section).figure == Figure::LeftOut) {
        return heading + QStringLiteral(
                             ": values that are not finite or beyond single precision: not "
                             "drawn, not counted");
    }
    return heading;
}

QString StatisticsModel::Heading(int column) const {
    const int limit = column - FigureColumns();
    return QString::fromLatin1(column == kSeriesColumn ? kSeriesTitle
                               : limit >= 0            ? kLimitHeader[limit]
                                                       : FigureIn(column).title);
}

Qt::ItemFlags StatisticsModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int limit = index.column() - FigureColumns();
    if (limit == kLower || limit == kUpper) {
        return flags | Qt::ItemIsEditable;
    }
    return index.column() == kSeriesColumn ? flags | Qt::ItemIsUserCheckable : flags;
}

// A limit as typed in this desktop's language or with a period; empty for none. A limit that
// does not read, or would lie beyond the other one, is not taken.
bool StatisticsModel::SetLimit(int row, int column, const QString& typed) {
    Limits limits = document_.LimitsOf(static_cast<std::size_t>(row));
    std::optional<double>& bound = column == kLower ? limits.lower : limits.upper;
    const QString text = typed.trimmed();
    bool ok = true;
    if (text.isEmpty()) {
        bound.reset();
    } else {
        double number = QLocale().toDouble(text, &ok);
        if (!ok) {
            const std::optional<double> invariant = ParseNumber(text.toStdString());
            ok = invariant.has_value();
            number = invariant.value_or(0);
        }
        bound = number;
        ok = ok && std::isfinite(number);
    }
    if (!ok || (limits.lower && limits.upper && *limits.lower > *limits.upper)) {
        return false;
    }
    emit limitsRequested(row, limits);
    return true;
}

bool StatisticsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int limit = index.column() - FigureColumns();
    if (index.isValid() && role == Qt::EditRole && (limit == kLower || limit == kUpper)) {
        return SetLimit(index.row(), limit, value.toString());
    }
    if (!index.isValid() || index.column() != kSeriesColumn || role != Qt::CheckStateRole) {
        return false;
    }
    emit showRequested(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QString StatisticsModel::Text() const {
    QStringList lines{Readings()};
    QStringList header;
    for (int column = 0; column < columnCount(); ++column) {
        header << Heading(column);
    }
    lines << header.join(QLatin1Char('\t'));
    for (int row = 0; row < rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < columnCount(); ++column) {
            cells << CellText(row, column);
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace rv7342
