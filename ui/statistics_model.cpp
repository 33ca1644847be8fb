#include "ui/statistics_model.h"

#include <QLocale>
#include <QPixmap>

#include "desktop/value_text.h"

namespace rv7342 {

namespace {

// The series' name, then a column for each figure.
constexpr int kSeriesColumn = 0;

const FigureColumn& FigureIn(int column) {
    return kFigureColumns[column - 1];
}

}  // namespace

StatisticsModel::StatisticsModel(const ReadingsDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {}

void StatisticsModel::ShowSeries(std::vector<QColor> colours) {
    beginResetModel();
    colours_ = std::move(colours);
    endResetModel();
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

int StatisticsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(colours_.size());
}

int StatisticsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1 + static_cast<int>(std::size(kFigureColumns));
}

// The figures as this desktop writes numbers.
QString StatisticsModel::CellText(int row, int column) const {
    if (column == kSeriesColumn) {
        return QString::fromStdString(document_.Series()[static_cast<std::size_t>(row)].label);
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
    if (role == Qt::DisplayRole) {
        return section == kSeriesColumn ? QString::fromLatin1(kSeriesTitle)
                                        : QString::fromLatin1(FigureIn(section).title);
    }
    if (role != Qt::ToolTipRole || section == kSeriesColumn) {
        return {};
    }
    if (FigureIn(section).figure == Figure::StandardDeviation) {
        return QStringLiteral("Sample standard deviation, divided by count - 1");
    }
    if (FigureIn(section).figure == Figure::LeftOut) {
        return QStringLiteral(
            "Values that are not finite or beyond single precision: not drawn, not counted");
    }
    return {};
}

Qt::ItemFlags StatisticsModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == kSeriesColumn ? flags | Qt::ItemIsUserCheckable : flags;
}

bool StatisticsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
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
        header << headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
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
