#include "ui/main/data_viewer.h"

#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QTableView>

#include <cmath>
#include <utility>

#include "desktop/value_text.h"

namespace rv7342 {

namespace {
constexpr int kColumns = 5;
const char* const kHeaders[kColumns] = {"No.", "Value", "Unit", "Value", "Unit"};
}  // namespace

QString UnitCellText(const UnitTable& names, int code) {
    if (code < 0 || code >= kUnitNameCount || IsUnassigned(names[code])) {
        return {};
    }
    return QString::fromUcs4(names[code].data(), kUnitNameLength);
}

GridModel::GridModel(const UnitTable& names, QObject* parent)
    : QAbstractTableModel(parent), names_(names), locale_(ValueLocale()) {}

void GridModel::ShowRecords(std::vector<Record> records) {
    beginResetModel();
    records_ = std::move(records);
    showsRecords_ = true;
    locale_ = ValueLocale();
    endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    // Before the first view the grid shows one empty row below its header.
    return showsRecords_ ? static_cast<int>(records_.size()) : 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString GridModel::CellText(int row, int column) const {
    if (!showsRecords_) {
        return {};
    }
    const Record& record = records_[row];
    switch (column) {
        case 0:
            return QString::number(row + 1);
        case 1:
            return ValueText(record.value1, locale_);
        case 2:
            return UnitCellText(names_, record.unit1);
        case 3:
            return ValueText(record.value2, locale_);
        default:
            return UnitCellText(names_, record.unit2);
    }
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return CellText(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::BackgroundRole:
            // The left column is fixed, drawn like the header.
            return index.column() == 0 ? QVariant(QApplication::palette().button()) : QVariant();
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return showsRecords_ ? QString::fromLatin1(kHeaders[section]) : QString();
    }
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignCenter);
    }
    return {};
}

void ConfigureGrid(QTableView& view, int rowHeight) {
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setMinimumSectionSize(1);
    view.verticalHeader()->setDefaultSectionSize(rowHeight);
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    view.horizontalHeader()->setHighlightSections(false);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setWordWrap(false);
    view.setTabKeyNavigation(false);  // Tab and Shift+Tab move on to the other controls
}

}  // namespace rv7342
