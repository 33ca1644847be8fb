#pragma once
// The data viewer: GridModel, the model of the table of readings: number, first value, its unit,
// second value, its unit. A model holds the records read from the data file and formats a cell only
// when it is drawn, so a full memory of 32767 readings shows at once.

#include <QAbstractTableModel>
#include <QLocale>

#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"

class QTableView;

namespace rv7342 {

// The ten characters of a unit name, blanks included; empty for a code outside the table
// or an entry the table file never reached.
QString UnitCellText(const UnitTable& names, int code);

class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    GridModel(const UnitTable& names, QObject* parent = nullptr);

    // Replaces the table with these records and the header row.
    void ShowRecords(std::vector<Record> records);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QString CellText(int row, int column) const;

    const UnitTable& names_;
    std::vector<Record> records_;
    bool showsRecords_ = false;
    QLocale locale_;
};

// The grid's fixed look: header row frozen, no row header, rows of one fixed height.
void ConfigureGrid(QTableView& view, int rowHeight);

}  // namespace rv7342
